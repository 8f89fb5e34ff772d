#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <numeric>

#include "platform/playedclock.h"

using namespace varnelo;

namespace {

constexpr int kRate = 44100;
constexpr qint64 kMs = 1000000;

qint64 framesIn(qint64 ns) {
    return qint64(std::floor(double(ns) * kRate / 1e9));
}

double msOf(qint64 frames) {
    return double(frames) * 1000.0 / kRate;
}

// A sound server as Qt's PulseAudio sink reports it: the sink renders blocks of 55 ms and the
// count is true minus the sink's latency at the last timing update plus the mean of the last
// ten of those latencies. Updates come every updateMs; the latency phase of each is scrambled
// deterministically. What played at t is exactly framesIn(t - startNs).
class SteppedDevice {
public:
    SteppedDevice(qint64 startNs, qint64 updateMs) : m_start(startNs), m_update(updateMs * kMs) {}
    qint64 countAt(qint64 nowNs) {
        while (m_nextUpdate <= nowNs) {
            m_seed = m_seed * 1103515245u + 12345u;
            m_latencies.push_back(double((m_seed >> 8) % 55000) * 1000);
            if (m_latencies.size() > 10) {
                m_latencies.pop_front();
            }
            const double mean = std::accumulate(m_latencies.begin(), m_latencies.end(), 0.0) /
                                double(m_latencies.size());
            m_errorNs = m_latencies.back() - mean;
            m_nextUpdate += m_update;
        }
        return framesIn(nowNs - m_start + qint64(m_errorNs));
    }

private:
    qint64 m_start;
    qint64 m_update;
    qint64 m_nextUpdate = 0;
    quint32 m_seed = 7;
    std::deque<double> m_latencies;
    double m_errorNs = 0;
};

}  // namespace

TEST(PlayedClock, FollowsTheSoundWithinAFewMsWhereTheServersCountStepsByTens) {
    const qint64 start = 5000 * kMs;
    SteppedDevice device(start, 700);
    PlayedClock clock;
    clock.restart(start, kRate);
    double worstDevice = 0;
    double worstClock = 0;
    for (qint64 t = start; t < start + 45000 * kMs; t += 10 * kMs) {
        const qint64 count = device.countAt(t);
        clock.report(t, count);
        if (t < start + 10000 * kMs) {
            continue;  // the first levels are few
        }
        const qint64 truth = framesIn(t - start);
        worstDevice = std::max(worstDevice, std::abs(msOf(count - truth)));
        worstClock = std::max(worstClock, std::abs(msOf(clock.framesAt(t) - truth)));
    }
    EXPECT_GT(worstDevice, 15);
    EXPECT_LT(worstClock, 5);
    EXPECT_GT(clock.levels(), 40);
}

TEST(PlayedClock, UsesTheDevicesCountUntilTheStreamHasSettled) {
    PlayedClock clock;
    clock.restart(0, kRate, 1000);
    EXPECT_EQ(clock.framesAt(0), 1000);
    // A filling stream reports far ahead; none of it may shift the line.
    clock.report(100 * kMs, 1000 + framesIn(160 * kMs));
    EXPECT_EQ(clock.framesAt(100 * kMs), 1000 + framesIn(160 * kMs));
    EXPECT_EQ(clock.levels(), 0);
    clock.report(600 * kMs, 1000 + framesIn(590 * kMs));
    ASSERT_EQ(clock.levels(), 1);
    // From the first settled report on, the line runs on between reports.
    EXPECT_NEAR(clock.framesAt(700 * kMs), 1000 + framesIn(690 * kMs), 1);
}

TEST(PlayedClock, IgnoresHeldCountsAndStartsOverAfterAStall) {
    PlayedClock clock;
    clock.restart(0, kRate);
    for (qint64 t = 500 * kMs; t <= 1000 * kMs; t += 10 * kMs) {
        clock.report(t, framesIn(t));
    }
    EXPECT_EQ(clock.levels(), 1);
    // A count clamped to what was written stands still: no new level from it.
    const qint64 held = framesIn(1000 * kMs);
    clock.report(1040 * kMs, held);
    EXPECT_EQ(clock.levels(), 1);
    EXPECT_NEAR(clock.framesAt(1040 * kMs), framesIn(1040 * kMs), 1);
    // The device starved for 300 ms: the line starts again at its count.
    clock.report(1400 * kMs, framesIn(1100 * kMs));
    EXPECT_NEAR(clock.framesAt(1400 * kMs), framesIn(1100 * kMs), 1);
    EXPECT_NEAR(clock.framesAt(1500 * kMs), framesIn(1200 * kMs), 1);
}
