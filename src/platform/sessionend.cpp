#include "platform/sessionend.h"

#include <QGuiApplication>
#include <QSessionManager>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#endif

#ifdef Q_OS_WIN
#include <QAbstractNativeEventFilter>

#include <windows.h>
#endif

namespace varnelo {

#ifdef Q_OS_UNIX

namespace {

// The write end of the current watcher's socket pair; a signal handler may reach nothing else.
volatile sig_atomic_t signalWriteFd = -1;

void onSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    // A full socket already holds a wake-up; losing this byte loses nothing.
    [[maybe_unused]] const ssize_t written = ::write(signalWriteFd, &byte, 1);
    errno = savedErrno;
}

constexpr int WatchedSignals[] = {SIGTERM, SIGINT};

}  // namespace

struct SessionEndWatcher::Signals {
    int fds[2] = {-1, -1};
    struct sigaction previous[std::size(WatchedSignals)] = {};
    bool installed = false;
    std::unique_ptr<QSocketNotifier> notifier;

    bool install(SessionEndWatcher *watcher) {
        // The signals belong to the first watcher; a second one would leave a dangling descriptor
        // behind whichever of the two goes first.
        if (signalWriteFd != -1 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0)
            return false;
        for (const int fd : fds) {
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        }
        notifier = std::make_unique<QSocketNotifier>(fds[1], QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, watcher, [this, watcher] {
            char bytes[16];
            while (::read(fds[1], bytes, sizeof bytes) > 0) {
            }
            watcher->end();
        });
        signalWriteFd = fds[0];
        struct sigaction action = {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (size_t i = 0; i < std::size(WatchedSignals); ++i)
            ::sigaction(WatchedSignals[i], &action, &previous[i]);
        installed = true;
        return true;
    }

    ~Signals() {
        if (installed) {
            for (size_t i = 0; i < std::size(WatchedSignals); ++i)
                ::sigaction(WatchedSignals[i], &previous[i], nullptr);
            signalWriteFd = -1;
        }
        notifier.reset();
        for (const int fd : fds)
            if (fd >= 0)
                ::close(fd);
    }
};

#else

struct SessionEndWatcher::Signals {
    bool installed = false;
    bool install(SessionEndWatcher *) { return false; }
};

#endif

#ifdef Q_OS_WIN

// The session ends for certain only when WM_ENDSESSION says so; a query may still be cancelled
// by another program, so it only lets the session go on.
struct SessionEndWatcher::NativeFilter : QAbstractNativeEventFilter {
    explicit NativeFilter(SessionEndWatcher *watcher) : m_watcher(watcher) {}

    bool nativeEventFilter(const QByteArray &type, void *message, qintptr *) override {
        if (type != "windows_generic_MSG")
            return false;
        const MSG *msg = static_cast<const MSG *>(message);
        if (msg->message == WM_ENDSESSION && msg->wParam)
            m_watcher->end();
        return false;
    }

    SessionEndWatcher *m_watcher;
};

#else

struct SessionEndWatcher::NativeFilter {};

#endif

SessionEndWatcher::SessionEndWatcher(std::function<void()> onEnd, QObject *parent)
    : QObject(parent), m_onEnd(std::move(onEnd)), m_signals(std::make_unique<Signals>()) {
    m_signals->install(this);
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::commitDataRequest, this, [this] { end(); });
        connect(app, &QCoreApplication::aboutToQuit, this, [this] { end(); });
    }
#ifdef Q_OS_WIN
    m_nativeFilter = std::make_unique<NativeFilter>(this);
    QCoreApplication::instance()->installNativeEventFilter(m_nativeFilter.get());
#endif
}

SessionEndWatcher::~SessionEndWatcher() {
#ifdef Q_OS_WIN
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(m_nativeFilter.get());
#endif
}

void SessionEndWatcher::end() {
    if (m_ended)
        return;
    m_ended = true;
    if (m_onEnd)
        m_onEnd();
}

bool SessionEndWatcher::watchesSignals() const {
    return m_signals->installed;
}

}  // namespace varnelo
