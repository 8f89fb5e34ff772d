#include "platform/fakeaudiooutput.h"

namespace varnelo {

bool FakeAudioOutput::start(PcmSource *source, int sampleRate) {
    stop();
    if (!m_available || source == nullptr || sampleRate <= 0) {
        return false;
    }
    m_source = source;
    m_rate = sampleRate;
    m_played = 0;
    m_fraction = 0;
    ++m_starts;
    return true;
}

void FakeAudioOutput::stop() {
    m_source = nullptr;
    m_paused = false;
}

void FakeAudioOutput::advanceFrames(qint64 frames) {
    if (m_source == nullptr || m_paused || frames <= 0) {
        return;
    }
    const size_t at = m_recorded.size();
    m_recorded.resize(at + size_t(frames) * 2);
    const qint64 got = m_source->readFrames(m_recorded.data() + at, frames);
    m_recorded.resize(at + size_t(std::max<qint64>(got, 0)) * 2);
    m_played += std::max<qint64>(got, 0);
    if (got < frames) {
        m_source = nullptr;
    }
}

void FakeAudioOutput::advance(qint64 ms, qint64 stepMs) {
    for (qint64 done = 0; done < ms; done += stepMs) {
        const qint64 step = std::min(stepMs, ms - done);
        if (m_source != nullptr && !m_paused) {
            m_fraction += step * m_rate;
            advanceFrames(m_fraction / 1000);
            m_fraction %= 1000;
        }
        if (m_progress) {
            m_progress();
        }
    }
}

}  // namespace varnelo
