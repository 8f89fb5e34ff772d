#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QTimer>
#include <QWidget>

#include <cstdio>

// The child programs of the start-up and memory benchmarks. Each prints one line once its window
// has painted, "shown <VmRSS kB> <VmHWM kB>", and ends its event loop; the bench times the spawn
// until that line.

namespace varnelo::benchchild {

// The value of one "Name:   1234 kB" line of /proc/self/status, or -1.
inline long statusKb(const QByteArray &status, const char *name) {
    const QByteArray key = QByteArray(name) + ':';
    for (const QByteArray &line : status.split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

inline void report() {
    QFile file(QStringLiteral("/proc/self/status"));
    const QByteArray status = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    std::printf("shown %ld %ld\n", statusKb(status, "VmRSS"), statusKb(status, "VmHWM"));
    std::fflush(stdout);
}

// Reports after the first paint of window (and everything painted with it), then quits unless
// told to stay.
class FirstPaintReporter : public QObject {
public:
    explicit FirstPaintReporter(QWidget *window, bool quit = true)
        : m_window(window), m_quit(quit) {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (!m_seen && event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget *>(watched)->window() == m_window) {
            m_seen = true;
            // The rest of the window paints in the same pass; the timer runs after it.
            QTimer::singleShot(0, qApp, [quit = m_quit] {
                report();
                if (quit)
                    QCoreApplication::exit(0);
            });
        }
        return false;
    }

private:
    QWidget *m_window;
    bool m_quit;
    bool m_seen = false;
};

}  // namespace varnelo::benchchild
