#pragma once

#include <QElapsedTimer>

#include <map>
#include <memory>

#include "platform/scheduler.h"

class QTimer;

namespace varnelo {

// The program's scheduler: one precise single-shot Qt timer per pending callback, on the thread
// that created the scheduler.
class QtScheduler : public Scheduler {
public:
    QtScheduler();
    ~QtScheduler() override;
    QtScheduler(const QtScheduler &) = delete;
    QtScheduler &operator=(const QtScheduler &) = delete;

    int after(int ms, std::function<void()> callback) override;
    void cancel(int id) override;
    qint64 now() const override;

    // Callbacks not yet run nor cancelled.
    int pending() const { return int(m_timers.size()); }

private:
    struct Entry;
    void fire(int id);

    std::map<int, std::unique_ptr<Entry>> m_timers;
    int m_nextId = 1;
    QElapsedTimer m_clock;
};

}  // namespace varnelo
