#include "platform/playedclock.h"

#include <algorithm>
#include <cmath>

namespace varnelo {

void PlayedClock::restart(qint64 nowNs, int rate, qint64 frames) {
    m_rate = rate;
    m_startNs = nowNs;
    m_startFrames = frames;
    m_usableFromNs = nowNs + kWarmUpNs;
    m_lastDevice = frames;
    m_level = 0;
    m_levels = 0;
}

double PlayedClock::meanLevelNs() const {
    const int n = std::min(m_levels, kLevels);
    double sum = 0;
    for (int i = 0; i < n; ++i) {
        sum += m_recent[size_t(i)];
    }
    return n > 0 ? sum / n : 0;
}

void PlayedClock::addLevel(double offsetNs) {
    m_level = offsetNs;
    m_recent[size_t(m_levels % kLevels)] = offsetNs;
    ++m_levels;
}

void PlayedClock::report(qint64 nowNs, qint64 deviceFrames) {
    if (m_rate <= 0 || deviceFrames == m_lastDevice) {
        return;
    }
    m_lastDevice = deviceFrames;
    if (nowNs < m_usableFromNs) {
        return;
    }
    // How far ahead of the bare line (no offset) the device says it is.
    const double offsetNs =
        double(deviceFrames - m_startFrames) * 1e9 / m_rate - double(nowNs - m_startNs);
    if (m_levels > 0 && std::abs(offsetNs - meanLevelNs()) > kJumpNs) {
        // Stalled or skipped: a new line from this report, with no warm-up, the device runs.
        restart(nowNs, m_rate, deviceFrames);
        m_usableFromNs = nowNs;
        addLevel(0);
        return;
    }
    if (m_levels == 0 || std::abs(offsetNs - m_level) > kLevelNs) {
        addLevel(offsetNs);
    }
}

qint64 PlayedClock::framesAt(qint64 nowNs) const {
    if (m_levels == 0) {
        return std::max<qint64>(m_lastDevice, 0);
    }
    const double frames =
        double(m_startFrames) + (double(nowNs - m_startNs) + meanLevelNs()) * m_rate / 1e9;
    return std::max<qint64>(qint64(std::floor(frames)), 0);
}

}  // namespace varnelo
