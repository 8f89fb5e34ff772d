#include <gtest/gtest.h>

#include <QFile>

#include <cmath>
#include <optional>

#include "filebytes.h"
#include "mp3fixture.h"
#include "recitation/mp3cut.h"
#include "recitation/mp3stream.h"
#include "recitation/rangeexport.h"
#include "recitation/streamframelocator.h"

using namespace varnelo;
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

std::vector<qint16> decodeAll(Mp3Stream &stream) {
    std::vector<qint16> out(size_t(stream.lengthSamples()) * Mp3Stream::kChannels);
    stream.seekSample(0);
    const qint64 got = stream.read(out.data(), stream.lengthSamples());
    out.resize(size_t(got) * Mp3Stream::kChannels);
    return out;
}

// Source sample (per channel) at which cut sample 0 lies: the cut's samples after its first
// frames (whose bit reservoir lies before the cut) equal the source's from there on.
std::optional<qint64> alignment(const std::vector<qint16> &source, const std::vector<qint16> &cut,
                                qint64 from, qint64 to) {
    const qint64 skip = 8 * kFrameSamples;
    const qint64 cutFrames = qint64(cut.size()) / 2;
    for (qint64 d = std::max<qint64>(from, 0); d <= to; ++d) {
        const qint64 last = std::min(cutFrames, qint64(source.size()) / 2 - d);
        if (last <= skip) {
            continue;
        }
        bool same = true;
        for (qint64 i = skip * 2; i < last * 2 && same; ++i) {
            same = cut[size_t(i)] == source[size_t(d * 2 + i)];
        }
        if (same) {
            return d;
        }
    }
    return std::nullopt;
}

}  // namespace

TEST(Mp3Cut, RangeDecodesToTheSourceSamples) {
    VARNELO_SKIP_WITHOUT_LAME();
    Mp3Maker maker;
    const Pcm pcm = noisyTone(12);
    const struct {
        const char *name;
        QStringList lameArgs;
    } kinds[] = {
        {"cbr", {"-b", "128"}},
        {"vbr", {"-V", "4"}},
        {"cbr_id3v2", {"-b", "64", "--id3v2-only", "--tt", "Source", "--pad-id3v2-size", "4000"}},
        {"vbr_id3v2", {"-V", "2", "--add-id3v2", "--tt", "Source"}},
    };
    for (const auto &kind : kinds) {
        SCOPED_TRACE(kind.name);
        const QString source = maker.make(kind.name, pcm, kind.lameArgs);
        ASSERT_FALSE(source.isEmpty());
        Mp3Stream stream;
        ASSERT_TRUE(stream.open(source)) << stream.errorString().toStdString();
        const StreamFrameLocator frames(stream);

        const qint32 startMs = 2345;
        const qint32 endMs = 7890;
        const QString target = maker.dir() + "/" + kind.name + "-cut.mp3";
        Id3v1Tag tag;
        tag.title = "Cut";
        const Mp3CutResult cut = CutMp3Range(source, frames, startMs, endMs, target, tag);
        ASSERT_TRUE(cut.ok()) << cut.error.toStdString();

        // Frames only: no leading tag, no info frame, and the 128-byte tag at the end.
        const QByteArray bytes = readFileBytes(target);
        ASSERT_EQ(bytes.size(), cut.audioBytes + 128);
        EXPECT_EQ(quint8(bytes.at(0)), 0xFF);
        EXPECT_EQ(quint8(bytes.at(1)) & 0xE0, 0xE0);
        EXPECT_FALSE(bytes.left(200).contains("Xing") || bytes.left(200).contains("Info"));
        EXPECT_EQ(bytes.right(128), tag.toBytes());

        const std::vector<qint16> sourcePcm = decodeAll(stream);
        Mp3Stream cutStream;
        ASSERT_TRUE(cutStream.open(target)) << cutStream.errorString().toStdString();
        const std::vector<qint16> cutPcm = decodeAll(cutStream);
        const qint64 cutFrames = qint64(cutPcm.size()) / 2;

        const qint64 startSample = stream.msToSample(startMs);
        const qint64 endSample = stream.msToSample(endMs);
        const std::optional<qint64> d = alignment(
            sourcePcm, cutPcm, startSample - 3 * kFrameSamples, startSample + kFrameSamples);
        ASSERT_TRUE(d.has_value()) << "the cut's samples are not those of the source";
        // The cut starts in the frame holding the start and ends with the frame holding the end.
        EXPECT_LE(*d, startSample);
        EXPECT_GT(*d + kFrameSamples, startSample);
        EXPECT_GT(*d + cutFrames, endSample);
        EXPECT_LE(*d + cutFrames - kFrameSamples, endSample);
    }
}

TEST(Mp3Cut, WholeFileLeavesTheSourceTagsBehind) {
    VARNELO_SKIP_WITHOUT_LAME();
    Mp3Maker maker;
    const QString source =
        maker.make("short", noisyTone(2), {"-b", "96", "--add-id3v2", "--tt", "S"});
    ASSERT_FALSE(source.isEmpty());
    Mp3Stream stream;
    ASSERT_TRUE(stream.open(source));
    const StreamFrameLocator frames(stream);
    const QString target = maker.dir() + "/whole.mp3";

    // Up to and past the end: every audio frame, none of the source's tags.
    const Mp3CutResult whole = CutMp3Range(source, frames, 0, 999999, target, Id3v1Tag());
    ASSERT_TRUE(whole.ok()) << whole.error.toStdString();
    Mp3Stream copy;
    ASSERT_TRUE(copy.open(target));
    EXPECT_EQ(copy.frameCount(), stream.frameCount());
    EXPECT_FALSE(readFileBytes(target).startsWith("ID3"));
    EXPECT_FALSE(readFileBytes(target).chopped(128).right(128).startsWith("TAG"));
}
