#include <gtest/gtest.h>

#include <QRandomGenerator>

#include "filebytes.h"
#include "mp3fixture.h"
#include "recitation/mp3stream.h"
#include "recitation/mpegheader.h"

using varnelo::Mp3Stream;
using varnelo::MpegHeader;
using varnelo::parseMpegHeader;
using namespace varnelo::test;

namespace {

constexpr int kRate = 44100;
constexpr qint64 kFrames = 8 * kRate;
constexpr qint64 kOneMs = kRate / 1000;
constexpr qint16 kOnsetThreshold = 8000;
// lame's encoder delay plus the decoder's own delay, in samples.
constexpr qint64 kCodecDelay = 576 + 529;

// A 1 kHz burst at the start of every second plus 137 ms, so onsets fall inside frames.
std::vector<qint64> burstStarts() {
    std::vector<qint64> starts;
    for (qint64 s = 0; s < 8; ++s) {
        starts.push_back(s * kRate + 137 * kOneMs + 17);
    }
    return starts;
}

// One way of encoding the test signal with lame.
struct Encoding {
    const char *name;
    QStringList lameArgs;
};

void PrintTo(const Encoding &encoding, std::ostream *out) {
    *out << encoding.name;
}

class Mp3StreamEncodings : public testing::TestWithParam<Encoding> {};

}  // namespace

TEST_P(Mp3StreamEncodings, GaplessLengthSampleExactSeekAndFrameOffsets) {
    VARNELO_SKIP_WITHOUT_LAME();
    Mp3Maker maker;
    const QString path = maker.make(
        "bursts", bursts(kRate, 2, kFrames, burstStarts(), 13230, 1000, 0.6), GetParam().lameArgs);
    ASSERT_FALSE(path.isEmpty());

    Mp3Stream stream;
    ASSERT_TRUE(stream.open(path)) << stream.errorString().toStdString();
    EXPECT_EQ(stream.sampleRate(), kRate);
    EXPECT_EQ(stream.lengthSamples(), kFrames);
    EXPECT_EQ(stream.lengthMs(), 8000);

    const std::vector<qint16> all = decodeAll(stream);
    ASSERT_EQ(qint64(all.size()) / 2, kFrames);
    for (const qint64 start : burstStarts()) {
        const qint64 onset = firstLoudFrame(all.data(), kFrames, 2, kOnsetThreshold, start - 2000);
        EXPECT_NEAR(onset, start, kOneMs);
    }

    // A seek lands on exactly the sample a plain decode gives there.
    for (const qint64 ms : {0, 1, 999, 2137, 3500, 5136, 7999}) {
        ASSERT_TRUE(stream.seekMs(ms));
        const qint64 sample = stream.msToSample(ms);
        EXPECT_EQ(stream.tellSample(), sample);
        std::vector<qint16> chunk(2 * 2048);
        const qint64 got = stream.read(chunk.data(), 2048);
        ASSERT_EQ(got, std::min<qint64>(2048, kFrames - sample));
        for (qint64 i = 0; i < got * 2; ++i) {
            ASSERT_EQ(chunk[size_t(i)], all[size_t(sample * 2 + i)]) << "ms " << ms << " at " << i;
        }
    }

    // Frame offsets are absolute, ascending, start past any tag and info frame, and hold the
    // frame of the requested time.
    const QByteArray bytes = readFileBytes(path);
    const qint64 first = stream.frameOffset(0);
    const qsizetype infoTag = std::max(bytes.indexOf("Xing"), bytes.indexOf("Info"));
    ASSERT_GT(infoTag, 0);
    EXPECT_GT(first, infoTag);
    for (qint64 f = 0; f < stream.frameCount(); ++f) {
        const qint64 at = stream.frameOffset(f);
        const std::optional<MpegHeader> header = parseMpegHeader(bytes.mid(at, 4));
        ASSERT_TRUE(header.has_value()) << f;
        ASSERT_EQ(stream.frameEndOffset(f), at + header->frameBytes);
        ASSERT_EQ(stream.frameStartingAt(at), f);
    }
    EXPECT_EQ(stream.frameStartingAt(first + 1), -1);
    EXPECT_EQ(stream.frameStartingAt(0), -1);
    for (const qint64 ms : {0, 12, 13, 26, 27, 1000, 4321, 7999, 8000}) {
        const qint64 sample = std::min(stream.msToSample(ms), kFrames - 1);
        const qint64 frame = (sample + kCodecDelay) / 1152;
        EXPECT_EQ(stream.frameAt(ms), frame) << ms;
        EXPECT_EQ(stream.frameOffsetAt(ms), stream.frameOffset(frame));
        EXPECT_EQ(stream.frameEndOffsetAt(ms), stream.frameEndOffset(frame));
    }
    // Asking for offsets leaves the decoding position alone.
    stream.seekMs(3000);
    stream.frameOffsetAt(100);
    EXPECT_EQ(stream.tellSample(), stream.msToSample(3000));
    const bool id3v1 = bytes.mid(bytes.size() - 128, 3) == "TAG";
    EXPECT_EQ(stream.frameEndOffset(stream.frameCount() - 1), bytes.size() - (id3v1 ? 128 : 0));
}

INSTANTIATE_TEST_SUITE_P(
    LameEncodings, Mp3StreamEncodings,
    testing::Values(Encoding{"Cbr", {"-b", "128"}}, Encoding{"Vbr", {"-V", "2"}},
                    Encoding{"CbrId3v2", {"-b", "128", "--add-id3v2", "--tt", "Sura", "--ta", "R"}},
                    Encoding{"VbrId3v2", {"-V", "5", "--id3v2-only", "--tt", "Sura"}}),
    [](const testing::TestParamInfo<Encoding> &info) { return std::string(info.param.name); });

TEST(Mp3Stream, MonoFileAtItsOwnRateComesOutAsStereo) {
    VARNELO_SKIP_WITHOUT_LAME();
    Mp3Maker maker;
    const QString path = maker.make("mono", tone(22050, 1, 22050 * 2, 500, 0.5), {"-b", "64"});
    ASSERT_FALSE(path.isEmpty());
    Mp3Stream stream;
    ASSERT_TRUE(stream.open(path));
    EXPECT_EQ(stream.sampleRate(), 22050);
    EXPECT_EQ(stream.lengthMs(), 2000);
    std::vector<qint16> pcm(2 * 4410);
    stream.seekMs(1000);
    ASSERT_EQ(stream.read(pcm.data(), 4410), 4410);
    for (size_t i = 0; i < pcm.size(); i += 2) {
        ASSERT_EQ(pcm[i], pcm[i + 1]);
    }
    EXPECT_NEAR(toneLevelDb(pcm.data(), 4410, 2, 0, 22050, 500), -6.0, 0.5);
}

TEST(Mp3Stream, BadFilesFailCleanlyAndTheStreamStaysUsable) {
    VARNELO_SKIP_WITHOUT_LAME();
    Mp3Maker maker;
    const QString good = maker.make("good", tone(kRate, 2, kRate, 440, 0.3), {"-b", "128"});
    ASSERT_FALSE(good.isEmpty());
    const QByteArray goodBytes = readFileBytes(good);

    QByteArray noise(256 * 1024, 0);
    for (char &c : noise) {
        c = char(QRandomGenerator::global()->generate());
    }
    QByteArray fakeFrames;  // valid-looking headers with nothing decodable behind them
    for (int i = 0; i < 200; ++i) {
        fakeFrames.append(QByteArray::fromHex("FFFB9064") + QByteArray(413, '\0'));
    }
    const QStringList bad = {
        maker.dir() + "/missing.mp3",
        maker.writeFile("empty.mp3", {}),
        maker.writeFile("noise.mp3", noise),
        maker.writeFile("text.mp3", QByteArray("not an mp3 at all\n").repeated(1000)),
        maker.writeFile("cut.mp3", goodBytes.left(300)),
        maker.writeFile("tagonly.mp3",
                        QByteArray("ID3\x03\x00\x00\x00\x00\x00\x10", 10) + QByteArray(16, 'x')),
        maker.dir(),
    };
    Mp3Stream stream;
    for (const QString &path : bad) {
        EXPECT_FALSE(stream.open(path)) << path.toStdString();
        EXPECT_FALSE(stream.isOpen());
        EXPECT_FALSE(stream.errorString().isEmpty());
        EXPECT_EQ(stream.lengthMs(), 0);
        qint16 pcm[64];
        EXPECT_EQ(stream.read(pcm, 32), 0);
        EXPECT_FALSE(stream.seekMs(10));
        EXPECT_EQ(stream.frameOffsetAt(0), -1);
        EXPECT_EQ(stream.frameEndOffsetAt(0), -1);
    }
    // Frames that decode to silence are still a stream; a cut one plays what is there.
    stream.open(maker.writeFile("fake.mp3", fakeFrames));
    EXPECT_GE(stream.lengthMs(), 0);
    ASSERT_TRUE(stream.open(maker.writeFile("half.mp3", goodBytes.left(goodBytes.size() / 2))));
    EXPECT_GT(stream.lengthMs(), 300);
    EXPECT_LT(stream.lengthMs(), 700);
    ASSERT_TRUE(stream.open(good));
    EXPECT_EQ(stream.lengthMs(), 1000);
}
