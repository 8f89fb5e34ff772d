#pragma once

#include <QObject>

#include <functional>
#include <memory>

namespace varnelo {

// Turns the ways a desktop session ends the program (SIGTERM and SIGINT, the session manager's
// commit request, the application quitting, the end-of-session message on Windows) into one call
// of onEnd on the GUI thread, so the window can store what the user set and then end the
// program (the watcher itself ends nothing: a caught SIGTERM no longer kills). Needs a
// QGuiApplication; only the first of several watchers living at once watches the signals.
class SessionEndWatcher : public QObject {
public:
    explicit SessionEndWatcher(std::function<void()> onEnd, QObject *parent = nullptr);
    ~SessionEndWatcher() override;

    // Calls onEnd unless it ran already; the window's own close comes through here too.
    void end();
    bool ended() const { return m_ended; }
    // False when the signal handlers could not be installed (the other ways still work).
    bool watchesSignals() const;

private:
    struct Signals;
    struct NativeFilter;

    std::function<void()> m_onEnd;
    bool m_ended = false;
    std::unique_ptr<Signals> m_signals;
    std::unique_ptr<NativeFilter> m_nativeFilter;
};

}  // namespace varnelo
