#include <gtest/gtest.h>

#include <vector>

#include "platform/pcmsourcedevice.h"

using namespace varnelo;

namespace {

// Gives `total` frames whose samples count up from 0, and records what it was asked for.
class CountingSource : public PcmSource {
public:
    explicit CountingSource(qint64 total) : m_total(total) {}

    qint64 readFrames(qint16 *out, qint64 frames) override {
        requests.push_back(frames);
        const qint64 got = std::min(frames, m_total - m_next);
        for (qint64 i = 0; i < got; ++i, ++m_next) {
            out[2 * i] = qint16(m_next);
            out[2 * i + 1] = qint16(-m_next);
        }
        return got;
    }

    std::vector<qint64> requests;

private:
    qint64 m_total;
    qint64 m_next = 0;
};

}  // namespace

TEST(PcmSourceDevice, APullShorterThanAFrameIsNotTheEnd) {
    CountingSource source(10);
    PcmSourceDevice device;
    device.setSource(&source);
    ASSERT_TRUE(device.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
    qint16 pcm[64] = {};
    auto *bytes = reinterpret_cast<char *>(pcm);
    for (const qint64 size : {1, 2, 3}) {
        EXPECT_EQ(device.read(bytes, size), 0) << size;
    }
    EXPECT_FALSE(device.sourceEnded());
    EXPECT_GT(device.bytesAvailable(), 0);
    EXPECT_TRUE(source.requests.empty());  // the source never sees a request for no frame

    // Whole frames only: 7 bytes are one frame.
    EXPECT_EQ(device.read(bytes, 7), 4);
    EXPECT_EQ(pcm[0], 0);
    EXPECT_EQ(device.read(bytes, sizeof pcm), 36);
    EXPECT_EQ(pcm[0], 1);
    EXPECT_EQ(pcm[17], -9);
    EXPECT_FALSE(device.sourceEnded());
    EXPECT_EQ(device.framesRead(), 10);

    // Only the source's 0 for a whole frame ends it.
    EXPECT_EQ(device.read(bytes, 4), 0);
    EXPECT_TRUE(device.sourceEnded());
    EXPECT_EQ(device.bytesAvailable(), 0);
    EXPECT_EQ(source.requests, (std::vector<qint64>{1, 32, 1}));

    // A new source counts afresh.
    CountingSource next(3);
    device.setSource(&next);
    EXPECT_FALSE(device.sourceEnded());
    EXPECT_EQ(device.read(bytes, sizeof pcm), 12);
    EXPECT_EQ(device.framesRead(), 3);
}
