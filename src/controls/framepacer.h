#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>
#include <map>

namespace varnelo {

// Holds a window's redraws to one frame per interval while something moves fast (a band dragged
// across the equalizer): each redraw flushed to the screen costs the same whatever it holds, so
// the band and the curve it moves go out together. A request made when the last frame is an
// interval old or more runs at once; one made sooner runs at the next frame. Requests under the
// same key made before their frame run once, as the last one asked.
class FramePacer : public QObject {
public:
    explicit FramePacer(int intervalMs, QObject *parent = nullptr);

    void request(const void *key, std::function<void()> work);
    // Forgets what a key asked for (its widget is going away).
    void cancel(const void *key);
    bool pending() const { return !m_work.empty(); }

private:
    void runFrame();

    int m_interval;
    QTimer m_next;
    QElapsedTimer m_sinceFrame;
    std::map<const void *, std::function<void()>> m_work;
};

}  // namespace varnelo
