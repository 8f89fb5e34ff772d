#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QStringList>
#include <QTest>

#include "controls/framepacer.h"

using namespace varnelo;

namespace {

constexpr int kInterval = 40;

// A drag's burst: the first step is drawn at once, the rest once at the next frame with the last
// state, and the band and curve keys of one frame run together.
TEST(FramePacerTest, ABurstDrawsAtOnceThenOnceAtTheNextFrameWithTheLastState) {
    FramePacer pacer(kInterval);
    const int band = 0;
    const int curve = 0;
    QStringList drawn;
    QElapsedTimer since;
    since.start();
    pacer.request(&band, [&] { drawn << "band 1"; });
    EXPECT_EQ(drawn, QStringList{"band 1"});
    EXPECT_FALSE(pacer.pending());

    pacer.request(&band, [&] { drawn << "band 2"; });
    pacer.request(&curve, [&] { drawn << "curve 2"; });
    pacer.request(&band, [&] { drawn << "band 3"; });
    EXPECT_EQ(drawn.size(), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !pacer.pending(); }, 1000));
    EXPECT_GE(since.elapsed(), kInterval - 1);
    drawn.sort();
    EXPECT_EQ(drawn, (QStringList{"band 1", "band 3", "curve 2"}));

    // Quiet for an interval: the next step is drawn at once again.
    QTest::qWait(kInterval + 5);
    pacer.request(&band, [&] { drawn << "band 4"; });
    EXPECT_EQ(drawn.size(), 4);
}

// A widget going away takes back its request; what it asked for never runs.
TEST(FramePacerTest, ACancelledRequestNeverRuns) {
    FramePacer pacer(kInterval);
    const int band = 0;
    const int curve = 0;
    int runs = 0;
    pacer.request(&band, [&] { ++runs; });
    pacer.request(&band, [&] { runs += 100; });
    pacer.request(&curve, [&] { runs += 10; });
    pacer.cancel(&band);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !pacer.pending(); }, 1000));
    EXPECT_EQ(runs, 11);
    pacer.request(&band, [&] { runs += 1000; });
    pacer.cancel(&band);
    QTest::qWait(kInterval * 2);
    EXPECT_LT(runs, 1000);
}

}  // namespace
