#include <gtest/gtest.h>

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

#include "filebytes.h"
#include "mp3fixture.h"
#include "recitation/mp3cut.h"
#include "recitation/mp3stream.h"
#include "recitation/mpegheader.h"
#include "recitation/rangeexport.h"
#include "recitation/streamframelocator.h"

using namespace varnelo;
using varnelo::test::decodeAll;
using varnelo::test::Mp3Maker;
using varnelo::test::Pcm;
using varnelo::test::readFileBytes;

namespace {

constexpr qint64 kFrameSamples = 1152;

// A tone with deterministic noise, so that every stretch of samples occurs only once.
Pcm noisyTone(int seconds) {
    Pcm pcm;
    pcm.channels = 1;
    pcm.samples.resize(size_t(pcm.rate) * seconds);
    quint32 seed = 12345;
    for (size_t i = 0; i < pcm.samples.size(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        const double noise = (int(seed >> 16) - 32768) / 32768.0;
        pcm.samples[i] = qint16(
            std::lround(9000 * std::sin(2 * M_PI * 440 * double(i) / pcm.rate) + 3000 * noise));
    }
    return pcm;
}

// Offset d at which b[i + d] equals a[i] within one step over a stretch of a past its first
// frames (stereo pairs); -1 if none.
qint64 offsetOf(const std::vector<qint16> &a, const std::vector<qint16> &b, qint64 maxOffset) {
    const qint64 from = 2 * 2 * kFrameSamples;
    const qint64 stretch = 2 * 4 * kFrameSamples;
    if (qint64(a.size()) < from + stretch) {
        return -1;
    }
    for (qint64 d = 0; d <= maxOffset && qint64(b.size()) >= 2 * d + from + stretch; ++d) {
        if (std::equal(a.begin() + from, a.begin() + from + stretch, b.begin() + 2 * d + from,
                       [](int x, int y) { return std::abs(x - y) <= 1; })) {
            return d;
        }
    }
    return -1;
}

// A real frame index whose frameBefore the test chooses.
class DoubtfulFrames : public FrameLocator {
public:
    DoubtfulFrames(const FrameLocator &real, std::function<std::optional<FrameSpan>(qint64)> before)
        : m_real(real), m_before(std::move(before)) {}
    qint32 lengthMs() const override { return m_real.lengthMs(); }
    std::optional<FrameSpan> frameAt(qint32 ms) const override { return m_real.frameAt(ms); }
    std::optional<FrameSpan> frameBefore(qint64 begin) const override { return m_before(begin); }

private:
    const FrameLocator &m_real;
    std::function<std::optional<FrameSpan>(qint64)> m_before;
};

}  // namespace

TEST(Mp3Cut, RangeDecodesToTheSourceSamplesFromTheStartFrameOn) {
    VARNELO_SKIP_WITHOUT_LAME();
    Mp3Maker maker;
    const Pcm pcm = noisyTone(12);
    // Low rates fill the bit reservoir (lame resamples them to MPEG 2, 576 samples a frame).
    const struct {
        const char *name;
        QStringList lameArgs;
    } kinds[] = {
        {"cbr", {"-b", "128"}},
        {"vbr", {"-V", "4"}},
        {"cbr_low", {"-b", "32"}},
        {"abr_low", {"--abr", "40"}},
        {"cbr_id3v2", {"-b", "64", "--id3v2-only", "--tt", "Source", "--pad-id3v2-size", "4000"}},
        {"vbr_id3v2", {"-V", "2", "--add-id3v2", "--tt", "Source"}},
        {"cbr_low_id3v2", {"-b", "32", "--add-id3v2", "--tt", "Source"}},
        {"vbr_low_id3v2", {"-V", "9", "--add-id3v2", "--tt", "Source"}},
    };
    for (const auto &kind : kinds) {
        SCOPED_TRACE(kind.name);
        const QString source = maker.make(kind.name, pcm, kind.lameArgs);
        ASSERT_FALSE(source.isEmpty());
        Mp3Stream stream;
        ASSERT_TRUE(stream.open(source)) << stream.errorString().toStdString();
        const StreamFrameLocator frames(stream);
        const QByteArray sourceBytes = readFileBytes(source);
        const std::vector<qint16> sourcePcm = decodeAll(stream);

        // Every audio frame and none of the source's tags, also when the end lies past the end;
        // decoded from the first frame, frame n starts at sample n * frameSamples.
        const QString whole = maker.dir() + "/" + kind.name + "-whole.mp3";
        const QString past = maker.dir() + "/" + kind.name + "-past.mp3";
        ASSERT_TRUE(CutMp3Range(source, frames, 0, frames.lengthMs(), whole, Id3v1Tag()).ok());
        ASSERT_TRUE(CutMp3Range(source, frames, 0, 999999, past, Id3v1Tag()).ok());
        const QByteArray wholeBytes = readFileBytes(whole);
        EXPECT_EQ(readFileBytes(past), wholeBytes);
        EXPECT_FALSE(wholeBytes.startsWith("ID3"));
        EXPECT_FALSE(wholeBytes.chopped(128).right(128).startsWith("TAG"));
        Mp3Stream wholeStream;
        ASSERT_TRUE(wholeStream.open(whole));
        EXPECT_EQ(wholeStream.frameCount(), stream.frameCount());
        const qint64 codecDelay = offsetOf(sourcePcm, decodeAll(wholeStream), 4 * kFrameSamples);
        ASSERT_GE(codecDelay, 0) << "the source's frames do not decode as the source";

        for (const qint32 startMs : {2345, 5000, 7001}) {
            SCOPED_TRACE(startMs);
            const qint32 endMs = startMs + 3210;
            const QString target = maker.dir() + "/" + kind.name + "-cut.mp3";
            Id3v1Tag tag;
            tag.title = "Cut";
            const Mp3CutResult cut = CutMp3Range(source, frames, startMs, endMs, target, tag);
            ASSERT_TRUE(cut.ok()) << cut.error.toStdString();

            // Frames only: no leading tag, no info frame, and the 128-byte tag at the end.
            const QByteArray bytes = readFileBytes(target);
            ASSERT_EQ(bytes.size(), cut.audioBytes + 128);
            EXPECT_FALSE(bytes.left(200).contains("Xing") || bytes.left(200).contains("Info"));
            EXPECT_EQ(bytes.right(128), tag.toBytes());

            // The cut is the source's frames lead..last: a few frames before the start frame.
            const qint64 start = stream.frameAt(startMs);
            const qint64 last = stream.frameAt(endMs);
            const qint64 lead =
                stream.frameStartingAt(stream.frameEndOffset(last) - cut.audioBytes);
            ASSERT_GE(lead, 0) << "the cut does not begin at a frame";
            EXPECT_EQ(bytes.left(cut.audioBytes),
                      sourceBytes.mid(stream.frameOffset(lead), cut.audioBytes));
            const std::optional<MpegHeader> header =
                parseMpegHeader(sourceBytes.mid(stream.frameOffset(start), 4));
            ASSERT_TRUE(header.has_value());
            const qint64 frameSamples = header->samplesPerFrame();
            EXPECT_GE(start - lead, 1);
            EXPECT_LE(start - lead, header->mpeg1 ? 4 : 7);

            // The start time lies in the start frame, and from that frame's first sample to the
            // end of the cut the samples are the source's. The decoder's synthesis filter rounds
            // by the phase it has reached, so a few samples may be off by one step.
            const qint64 startSample = stream.msToSample(startMs);
            const qint64 frameStart = start * frameSamples - codecDelay;
            EXPECT_LE(frameStart, startSample);
            EXPECT_GT(frameStart + frameSamples, startSample);
            Mp3Stream cutStream;
            ASSERT_TRUE(cutStream.open(target)) << cutStream.errorString().toStdString();
            const std::vector<qint16> cutPcm = decodeAll(cutStream);
            ASSERT_EQ(qint64(cutPcm.size()) / 2, (last + 1 - lead) * frameSamples);
            EXPECT_GT((last + 1) * frameSamples - codecDelay, stream.msToSample(endMs));
            const qint64 shift = 2 * (lead * frameSamples - codecDelay);
            qint64 compared = 0;
            qint64 offByOne = 0;
            for (qint64 i = 2 * (start - lead) * frameSamples; i < qint64(cutPcm.size()); ++i) {
                if (i + shift < 0 || i + shift >= qint64(sourcePcm.size())) {
                    continue;
                }
                const int got = cutPcm[size_t(i)];
                const int want = sourcePcm[size_t(i + shift)];
                ASSERT_LE(std::abs(got - want), 1) << "sample " << i / 2 << " of the cut";
                ++compared;
                offByOne += got != want;
            }
            EXPECT_GT(compared, 2 * stream.msToSample(3000));
            EXPECT_LT(offByOne * 1000, compared) << offByOne << " samples one step off";
        }
    }
}

TEST(Mp3Cut, DoubtfulEarlierFramesGiveNoLeadIn) {
    VARNELO_SKIP_WITHOUT_LAME();
    Mp3Maker maker;
    const QString source = maker.make("low", noisyTone(4), {"-b", "32"});
    ASSERT_FALSE(source.isEmpty());
    Mp3Stream stream;
    ASSERT_TRUE(stream.open(source));
    const StreamFrameLocator frames(stream);
    const qint32 startMs = 2000;
    const qint32 endMs = 3000;
    const qint64 start = stream.frameOffsetAt(startMs);
    const qint64 bare = stream.frameEndOffsetAt(endMs) - start;
    const QString target = maker.dir() + "/cut.mp3";
    const auto cutBytes = [&](const QString &from, const FrameLocator &locator) {
        const Mp3CutResult cut = CutMp3Range(from, locator, startMs, endMs, target, Id3v1Tag());
        EXPECT_TRUE(cut.ok()) << cut.error.toStdString();
        return cut.audioBytes;
    };
    ASSERT_GT(cutBytes(source, frames), bare);

    // A damaged header in the lead-in; earlier frames outside the file, overlapping the start
    // frame or not on a header; no earlier frames at all: the cut starts at the start frame.
    QByteArray damaged = readFileBytes(source);
    damaged.replace(frames.frameBefore(start)->begin, 4, QByteArray(4, '\0'));
    EXPECT_EQ(cutBytes(maker.writeFile("damaged.mp3", damaged), frames), bare);
    const qint64 far = QFileInfo(source).size() + 1000;
    using Before = std::optional<FrameSpan>;
    const std::function<Before(qint64)> doubtful[] = {
        [&](qint64) -> Before {
            return FrameSpan{far, far + 100};
        },
        [](qint64 begin) -> Before {
            return FrameSpan{begin, begin + 104};
        },
        [](qint64 begin) -> Before {
            return FrameSpan{begin - 50, begin};
        },
        [](qint64) { return Before(); },
    };
    for (const auto &before : doubtful)
        EXPECT_EQ(cutBytes(source, DoubtfulFrames(frames, before)), bare);
}

TEST(MpegHeader, ReadsLayoutAndRefusesJunk) {
    // MPEG 1 layer III, 128 kbit/s, 44.1 kHz, padded, joint stereo, no CRC.
    const std::optional<MpegHeader> mpeg1 = parseMpegHeader(QByteArray::fromHex("fffb9264"));
    ASSERT_TRUE(mpeg1.has_value());
    EXPECT_TRUE(mpeg1->mpeg1);
    EXPECT_EQ(mpeg1->frameBytes, 418);
    EXPECT_EQ(mpeg1->samplesPerFrame(), 1152);
    EXPECT_EQ(mpeg1->mainDataBytes(), 418 - 4 - 32);
    // MPEG 2 layer III, 32 kbit/s, 22.05 kHz, mono, with CRC.
    const std::optional<MpegHeader> mpeg2 = parseMpegHeader(QByteArray::fromHex("fff240c4"));
    ASSERT_TRUE(mpeg2.has_value());
    EXPECT_FALSE(mpeg2->mpeg1);
    EXPECT_TRUE(mpeg2->crc && mpeg2->mono);
    EXPECT_EQ(mpeg2->frameBytes, 104);
    EXPECT_EQ(mpeg2->samplesPerFrame(), 576);
    EXPECT_EQ(mpeg2->mainDataBytes(), 104 - 6 - 9);

    // main_data_begin: 9 bits after the header in MPEG 1, 8 bits after the CRC in MPEG 2.
    EXPECT_EQ(mainDataBegin(*mpeg1, QByteArray::fromHex("fffb9264ff80")), 511);
    EXPECT_EQ(mainDataBegin(*mpeg1, QByteArray::fromHex("fffb92640a7f")), 20);
    EXPECT_EQ(mainDataBegin(*mpeg2, QByteArray::fromHex("fff240c41234ff")), 255);
    EXPECT_EQ(mainDataBegin(*mpeg2, QByteArray::fromHex("fff240c41234")), std::nullopt);
    const std::optional<MpegHeader> layer2 = parseMpegHeader(QByteArray::fromHex("fffd9264"));
    ASSERT_TRUE(layer2.has_value());
    EXPECT_EQ(mainDataBegin(*layer2, QByteArray::fromHex("fffd9264ff80")), std::nullopt);

    // Short, no sync, reserved version, layer, bitrate or rate, free format, an ID3v2 tag.
    for (const char *junk : {"", "fffb92", "00000000", "ffffffff", "ffeb9264", "fff99264",
                             "fffbf264", "fffb9e64", "fffb0264", "49443303"}) {
        SCOPED_TRACE(junk);
        EXPECT_FALSE(parseMpegHeader(QByteArray::fromHex(junk)).has_value());
    }

    QByteArray info = QByteArray::fromHex("fffb9264") + QByteArray(32, '\0') + "Info";
    EXPECT_TRUE(isInfoFrame(*mpeg1, info));
    info.replace(36, 4, "Xinf");
    EXPECT_FALSE(isInfoFrame(*mpeg1, info));
}
