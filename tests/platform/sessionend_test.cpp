#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <csignal>

#include "platform/sessionend.h"

using namespace varnelo;

namespace {

// Lets events run until done() or a generous guard expires; the guard only keeps a broken
// build from hanging.
template <typename Done>
bool processEventsUntil(Done done) {
    QDeadlineTimer guard(10000);
    while (!done() && !guard.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return done();
}

void (*currentHandler(int signal))(int) {
    struct sigaction action = {};
    ::sigaction(signal, nullptr, &action);
    return action.sa_handler;
}

}  // namespace

TEST(SessionEndWatcher, SignalsReachTheCallbackOnceThroughTheEventLoop) {
    int calls = 0;
    QThread *callThread = nullptr;
    SessionEndWatcher watcher([&] {
        ++calls;
        callThread = QThread::currentThread();
    });
    ASSERT_TRUE(watcher.watchesSignals());

    std::raise(SIGTERM);
    // The handler only wakes the event loop; the work waits for it.
    EXPECT_EQ(calls, 0);
    ASSERT_TRUE(processEventsUntil([&] { return calls > 0; }));
    EXPECT_EQ(callThread, QCoreApplication::instance()->thread());
    EXPECT_TRUE(watcher.ended());

    std::raise(SIGINT);
    std::raise(SIGTERM);
    QCoreApplication::processEvents();
    watcher.end();
    EXPECT_EQ(calls, 1);
}

TEST(SessionEndWatcher, OwnEndRunsOnceAndLaterSignalsAreSwallowed) {
    int calls = 0;
    SessionEndWatcher watcher([&] { ++calls; });
    watcher.end();
    watcher.end();
    EXPECT_EQ(calls, 1);
    std::raise(SIGINT);
    QCoreApplication::processEvents();
    EXPECT_EQ(calls, 1);
}

TEST(SessionEndWatcher, GivesTheSignalsBackAndOwnsThemAlone) {
    const auto before = std::signal(SIGTERM, SIG_IGN);
    {
        SessionEndWatcher first([] {});
        EXPECT_TRUE(first.watchesSignals());
        EXPECT_NE(currentHandler(SIGTERM), SIG_IGN);
        {
            int secondCalls = 0;
            SessionEndWatcher second([&] { ++secondCalls; });
            EXPECT_FALSE(second.watchesSignals());
            second.end();
            EXPECT_EQ(secondCalls, 1);
        }
        // The second watcher leaving took nothing from the first.
        EXPECT_NE(currentHandler(SIGTERM), SIG_IGN);
    }
    EXPECT_EQ(currentHandler(SIGTERM), SIG_IGN);
    {
        SessionEndWatcher again([] {});
        EXPECT_TRUE(again.watchesSignals());
    }
    std::signal(SIGTERM, before);
}
