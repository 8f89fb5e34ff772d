#pragma once

#include <vector>

#include "platform/scheduler.h"

namespace varnelo {

// A scheduler on a virtual clock for tests: time passes only in advance(), which runs what falls
// due in time order, callbacks due at the same time in the order they were scheduled.
class FakeScheduler : public Scheduler {
public:
    int after(int ms, std::function<void()> callback) override;
    void cancel(int id) override;
    qint64 now() const override { return m_now; }

    // Lets ms of virtual time pass. A callback may schedule or cancel others; one scheduled with
    // 0 ms during an advance runs in the next advance (the next turn), never inside after().
    void advance(qint64 ms);
    // Callbacks not yet run nor cancelled.
    int pending() const { return int(m_entries.size()); }

private:
    struct Entry {
        int id;
        qint64 due;
        qint64 turn;  // the first advance() call that may run it
        std::function<void()> callback;
    };

    std::vector<Entry> m_entries;
    qint64 m_now = 0;
    qint64 m_turn = 0;
    bool m_advancing = false;
    int m_nextId = 1;
};

}  // namespace varnelo
