#include "platform/qtscheduler.h"

#include <QTimer>

#include <algorithm>

namespace varnelo {

namespace {

// Stopped at once, so that a cancelled timer never fires; deleted later, as cancel may come from
// inside its own signal.
void stopAndDelete(QTimer *timer) {
    timer->stop();
    timer->disconnect();
    timer->deleteLater();
}

}  // namespace

struct QtScheduler::Entry {
    std::unique_ptr<QTimer, void (*)(QTimer *)> timer{nullptr, stopAndDelete};
    std::function<void()> callback;
};

QtScheduler::QtScheduler() {
    m_clock.start();
}

QtScheduler::~QtScheduler() = default;

int QtScheduler::after(int ms, std::function<void()> callback) {
    const int id = m_nextId++;
    if (m_nextId <= 0) {
        m_nextId = 1;
    }
    auto entry = std::make_unique<Entry>();
    entry->callback = std::move(callback);
    entry->timer.reset(new QTimer);
    entry->timer->setSingleShot(true);
    entry->timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(entry->timer.get(), &QTimer::timeout, entry->timer.get(),
                     [this, id] { fire(id); });
    // A 0 ms timer fires at the next turn of the event loop, never inside this call.
    entry->timer->start(std::max(ms, 0));
    m_timers.emplace(id, std::move(entry));
    return id;
}

void QtScheduler::cancel(int id) {
    m_timers.erase(id);
}

qint64 QtScheduler::now() const {
    return m_clock.elapsed();
}

void QtScheduler::fire(int id) {
    const auto it = m_timers.find(id);
    if (it == m_timers.end()) {
        return;
    }
    // Forgotten before the call, so the callback may schedule or cancel freely.
    std::function<void()> callback = std::move(it->second->callback);
    m_timers.erase(it);
    callback();
}

}  // namespace varnelo
