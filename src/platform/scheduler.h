#pragma once

#include <QtGlobal>

#include <functional>

namespace varnelo {

// Runs callbacks after a delay on the thread that owns the scheduler. The program uses Qt's
// timers; tests hand in a virtual clock so minutes of recitation pass in milliseconds.
class Scheduler {
public:
    virtual ~Scheduler() = default;

    // Calls callback once, ms milliseconds from now (0: at the next turn of the event loop, never
    // from inside this call). Returns an id for cancel; ids are never 0.
    virtual int after(int ms, std::function<void()> callback) = 0;
    // Forgets a pending callback; an id that already ran or was cancelled is ignored.
    virtual void cancel(int id) = 0;
    // Milliseconds on a steady clock, for countdowns.
    virtual qint64 now() const = 0;
};

}  // namespace varnelo
