#include "controls/framepacer.h"

#include <utility>

namespace varnelo {

FramePacer::FramePacer(int intervalMs, QObject *parent) : QObject(parent), m_interval(intervalMs) {
    m_next.setSingleShot(true);
    m_next.setTimerType(Qt::PreciseTimer);
    connect(&m_next, &QTimer::timeout, this, &FramePacer::runFrame);
}

void FramePacer::request(const void *key, std::function<void()> work) {
    m_work[key] = std::move(work);
    if (m_next.isActive())
        return;
    const qint64 since = m_sinceFrame.isValid() ? m_sinceFrame.elapsed() : m_interval;
    if (since >= m_interval)
        runFrame();
    else
        m_next.start(int(m_interval - since));
}

void FramePacer::cancel(const void *key) {
    m_work.erase(key);
    if (m_work.empty())
        m_next.stop();
}

void FramePacer::runFrame() {
    m_sinceFrame.start();
    // Work may ask for the next frame; it waits for the next interval.
    const std::map<const void *, std::function<void()>> work = std::exchange(m_work, {});
    for (const auto &[key, run] : work)
        run();
}

}  // namespace varnelo
