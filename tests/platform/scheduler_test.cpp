#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <vector>

#include "../testapplication.h"
#include "platform/fakescheduler.h"
#include "platform/qtscheduler.h"

using namespace varnelo;
using varnelo::test::TestCoreApplication;

TEST(FakeScheduler, RunsWhatFallsDueInTimeOrderAndCallbacksMayReschedule) {
    FakeScheduler scheduler;
    std::vector<std::pair<int, qint64>> ran;
    const auto note = [&](int tag) { ran.push_back({tag, scheduler.now()}); };
    scheduler.after(30, [&] { note(3); });
    scheduler.after(10, [&] {
        note(1);
        // Inside the same advance: a later one runs in order, a 0 ms one waits for the next turn.
        scheduler.after(5, [&] { note(2); });
        scheduler.after(0, [&] { note(9); });
    });
    const int cancelled = scheduler.after(20, [&] { note(99); });
    scheduler.after(30, [&] { note(4); });  // same time: in the order scheduled
    EXPECT_TRUE(ran.empty());
    scheduler.cancel(cancelled);
    scheduler.cancel(12345);  // unknown ids are ignored
    scheduler.advance(40);
    EXPECT_EQ(ran, (std::vector<std::pair<int, qint64>>{{1, 10}, {2, 15}, {3, 30}, {4, 30}}));
    EXPECT_EQ(scheduler.now(), 40);
    EXPECT_EQ(scheduler.pending(), 1);
    scheduler.advance(0);
    EXPECT_EQ(ran.back(), (std::pair<int, qint64>{9, 40}));
    EXPECT_EQ(scheduler.pending(), 0);

    // A 0 ms callback never runs inside after(); a callback may cancel one due with it.
    bool ranAtOnce = false;
    scheduler.after(0, [&] { ranAtOnce = true; });
    EXPECT_FALSE(ranAtOnce);
    int second = 0;
    bool secondRan = false;
    scheduler.after(5, [&] { scheduler.cancel(second); });
    second = scheduler.after(5, [&] { secondRan = true; });
    scheduler.advance(10);
    EXPECT_TRUE(ranAtOnce);
    EXPECT_FALSE(secondRan);
}

TEST(QtScheduler, FiresOnTheEventLoopInTimeOrderAndCancels) {
    TestCoreApplication app;
    QtScheduler scheduler;
    std::vector<int> ran;
    scheduler.after(40, [&] { ran.push_back(2); });
    scheduler.after(0, [&] { ran.push_back(0); });
    const int cancelled = scheduler.after(20, [&] { ran.push_back(99); });
    int self = 0;
    self = scheduler.after(10, [&] {
        ran.push_back(1);
        scheduler.cancel(self);  // its own id, already run: ignored
        scheduler.cancel(cancelled);
    });
    EXPECT_TRUE(ran.empty());
    EXPECT_EQ(scheduler.pending(), 4);
    const qint64 start = scheduler.now();
    QElapsedTimer timer;
    timer.start();
    while (scheduler.pending() > 0 && timer.elapsed() < 2000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    EXPECT_EQ(ran, (std::vector<int>{0, 1, 2}));
    EXPECT_GE(scheduler.now() - start, 40);
}
