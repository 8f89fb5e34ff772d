#include "platform/fakescheduler.h"

#include <algorithm>

namespace varnelo {

int FakeScheduler::after(int ms, std::function<void()> callback) {
    const int id = m_nextId++;
    const qint64 delay = std::max(ms, 0);
    // Inside an advance a 0 ms callback would otherwise run in the same pass as its scheduler.
    const qint64 turn = m_advancing && delay == 0 ? m_turn + 1 : m_turn;
    m_entries.push_back({id, m_now + delay, turn, std::move(callback)});
    return id;
}

void FakeScheduler::cancel(int id) {
    std::erase_if(m_entries, [id](const Entry &e) { return e.id == id; });
}

void FakeScheduler::advance(qint64 ms) {
    ++m_turn;
    m_advancing = true;
    const qint64 target = m_now + std::max<qint64>(ms, 0);
    for (;;) {
        // Entries keep the order they were scheduled in, so the first earliest is the one to run.
        auto next = m_entries.end();
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
            if (it->due <= target && it->turn <= m_turn &&
                (next == m_entries.end() || it->due < next->due)) {
                next = it;
            }
        }
        if (next == m_entries.end()) {
            break;
        }
        m_now = std::max(m_now, next->due);
        std::function<void()> callback = std::move(next->callback);
        m_entries.erase(next);
        callback();
    }
    m_now = target;
    m_advancing = false;
}

}  // namespace varnelo
