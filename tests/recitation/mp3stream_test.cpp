#include <gtest/gtest.h>

#include <QFile>
#include <QRandomGenerator>

#include <mpg123.h>

#include <limits>
#include <string_view>
#include <thread>

#include "filebytes.h"
#include "mp3fixture.h"
#include "recitation/mp3stream.h"
#include "recitation/mpegframewalk.h"
#include "recitation/mpegheader.h"
#include "recitation/streamframelocator.h"

using varnelo::findMpegStreamStart;
using varnelo::kFirstFrameSearchBytes;
using varnelo::Mp3Stream;
using varnelo::MpegHeader;
using varnelo::parseMpegHeader;
using varnelo::StreamFrameLocator;
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
    const qsizetype infoTag = bytes.indexOf(GetParam().lameArgs.contains("-V") ? "Xing" : "Info");
    ASSERT_GT(infoTag, 0);
    const qsizetype infoFrame = bytes.lastIndexOf(char(0xFF), infoTag);
    EXPECT_EQ(first, infoFrame + parseMpegHeader(bytes.mid(infoFrame, 4))->frameBytes);
    for (qint64 f = 0; f < stream.frameCount(); ++f) {
        const qint64 at = stream.frameOffset(f);
        const std::optional<MpegHeader> header = parseMpegHeader(bytes.mid(at, 4));
        ASSERT_TRUE(header.has_value()) << f;
        ASSERT_EQ(stream.frameEndOffset(f), at + header->frameBytes);
        ASSERT_EQ(stream.frameStartingAt(at), f);
    }
    EXPECT_EQ(stream.frameStartingAt(first + 1), -1);
    EXPECT_EQ(stream.frameStartingAt(0), -1);
    const StreamFrameLocator locator(stream);
    for (const qint64 ms : {0, 12, 13, 26, 27, 1000, 4321, 7999, 8000}) {
        const qint64 sample = std::min(stream.msToSample(ms), kFrames - 1);
        const qint64 frame = (sample + kCodecDelay) / 1152;
        EXPECT_EQ(stream.frameAt(ms), frame) << ms;
        EXPECT_EQ(stream.frameOffsetAt(ms), stream.frameOffset(frame));
        EXPECT_EQ(stream.frameEndOffsetAt(ms), stream.frameEndOffset(frame));
        const std::optional<varnelo::FrameSpan> span = locator.frameAt(qint32(ms));
        ASSERT_TRUE(span.has_value());
        EXPECT_EQ(span->number, frame);
        EXPECT_EQ(span->begin, stream.frameOffset(frame));
        EXPECT_EQ(span->end, stream.frameEndOffset(frame));
    }
    EXPECT_EQ(locator.frameBefore(stream.frameOffset(5))->number, 4);
    // Asking for offsets leaves the decoding position and the decoder alone.
    stream.seekMs(3000);
    stream.frameOffsetAt(100);
    EXPECT_EQ(stream.tellSample(), stream.msToSample(3000));
    std::vector<qint16> after(2 * 64);
    ASSERT_EQ(stream.read(after.data(), 64), 64);
    EXPECT_TRUE(std::equal(after.begin(), after.end(), all.begin() + stream.msToSample(3000) * 2));
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
    QRandomGenerator random(5);
    for (char &c : noise) {
        c = char(random.generate());
    }
    QByteArray fakeFrames;  // valid-looking headers with nothing decodable behind them
    for (int i = 0; i < 200; ++i) {
        fakeFrames.append(QByteArray::fromHex("FFFB9064") + QByteArray(413, '\0'));
    }
    // Free-format frames, which the index does not read but the decoder does, ahead of others.
    const QString freeFormat =
        maker.make("free", tone(48000, 2, 48000, 440, 0.3), {"--freeformat", "-b", "128"});
    ASSERT_FALSE(freeFormat.isEmpty());
    const QString kNoFrame = "not an MP3 file (no audio frame in its first MiB)";
    const std::pair<QString, QString> bad[] = {
        {maker.dir() + "/missing.mp3", "file not found"},
        {maker.writeFile("empty.mp3", {}), "file is empty"},
        {maker.writeFile("noise.mp3", noise), kNoFrame},
        {maker.writeFile("text.mp3", QByteArray("not an mp3 at all\n").repeated(1000)), kNoFrame},
        {maker.writeFile("cut.mp3", goodBytes.left(300)), kNoFrame},
        {maker.writeFile("tagonly.mp3",
                         QByteArray("ID3\x03\x00\x00\x00\x00\x00\x10", 10) + QByteArray(16, 'x')),
         kNoFrame},
        {maker.dir(), "file not found"},
        {maker.writeFile("mixed.mp3", readFileBytes(freeFormat) + goodBytes),
         "cannot read the frames"},
        // The decoder gives up on junk before the first frame sooner than the index does.
        {maker.writeFile("junkfirst.mp3", QByteArray(70000, 'j') + fakeFrames), "not an MP3 file"},
    };
    Mp3Stream stream;
    for (const auto &[path, why] : bad) {
        EXPECT_FALSE(stream.open(path)) << path.toStdString();
        EXPECT_FALSE(stream.isOpen());
        EXPECT_EQ(stream.errorString().toStdString(), (path + ": " + why).toStdString());
        EXPECT_EQ(stream.lengthMs(), 0);
        qint16 pcm[64];
        EXPECT_EQ(stream.read(pcm, 32), 0);
        EXPECT_FALSE(stream.seekMs(10));
        EXPECT_EQ(stream.frameOffsetAt(0), -1);
        EXPECT_EQ(stream.frameEndOffsetAt(0), -1);
    }
    // A file this user may not read (root reads every file, so there it is left out).
    const QString locked = maker.writeFile("locked.mp3", goodBytes);
    QFile::setPermissions(locked, QFileDevice::Permissions());
    if (QFile probe(locked); !probe.open(QIODevice::ReadOnly)) {
        EXPECT_FALSE(stream.open(locked));
        EXPECT_EQ(stream.errorString(), locked + ": cannot open file");
    }
    // Frames that decode to silence are still a stream.
    ASSERT_TRUE(stream.open(maker.writeFile("fake.mp3", fakeFrames)));
    ASSERT_TRUE(stream.waitForIndex());
    EXPECT_EQ(stream.frameCount(), 200);
    EXPECT_EQ(stream.lengthSamples(), 200 * 1152);
    const std::vector<qint16> silence = decodeAll(stream);
    EXPECT_EQ(qint64(silence.size()), 2 * 200 * 1152);
    EXPECT_TRUE(std::all_of(silence.begin(), silence.end(), [](qint16 v) { return v == 0; }));

    // A file cut short plays its complete frames, exactly as the whole file plays them.
    ASSERT_TRUE(stream.open(good));
    const std::vector<qint16> whole = decodeAll(stream);
    const qint64 cutAt = stream.frameOffset(20) + 100;
    ASSERT_TRUE(stream.open(maker.writeFile("half.mp3", goodBytes.left(cutAt))));
    ASSERT_TRUE(stream.waitForIndex());
    EXPECT_EQ(stream.frameCount(), 20);
    EXPECT_EQ(stream.lengthSamples(), 20 * 1152 - kCodecDelay);
    const std::vector<qint16> cut = decodeAll(stream);
    ASSERT_EQ(qint64(cut.size()), 2 * stream.lengthSamples());
    EXPECT_TRUE(std::equal(cut.begin(), cut.end(), whole.begin()));
    ASSERT_TRUE(stream.open(good));
    EXPECT_EQ(stream.lengthMs(), 1000);
}

namespace {

// What libmpg123 finds with a full scan of its own: the frame offsets of its index, and the
// frame it decodes for each probe sample after a seek there.
struct DecoderScan {
    std::vector<qint64> offsets;
    std::vector<qint64> frames;
};

DecoderScan scanWithDecoder(const QString &path, const std::vector<qint64> &probes) {
    DecoderScan scan;
    mpg123_handle *handle = mpg123_new(nullptr, nullptr);
    mpg123_param(handle, MPG123_FLAGS, MPG123_GAPLESS | MPG123_QUIET | MPG123_FORCE_STEREO, 0);
    mpg123_param(handle, MPG123_INDEX_SIZE, -1, 0);
    off_t *offsets = nullptr;
    off_t step = 0;
    size_t fill = 0;
    if (mpg123_open(handle, QFile::encodeName(path).constData()) == MPG123_OK &&
        mpg123_scan(handle) == MPG123_OK &&
        mpg123_index(handle, &offsets, &step, &fill) == MPG123_OK && step == 1) {
        scan.offsets.assign(offsets, offsets + fill);
        for (const qint64 probe : probes) {
            mpg123_seek(handle, off_t(probe), SEEK_SET);
            scan.frames.push_back(mpg123_tellframe(handle));
        }
    }
    mpg123_close(handle);
    mpg123_delete(handle);
    return scan;
}

std::vector<qint64> indexOf(const Mp3Stream &stream) {
    std::vector<qint64> offsets;
    for (qint64 f = 0; f < stream.frameCount(); ++f) {
        offsets.push_back(stream.frameOffset(f));
    }
    return offsets;
}

QByteArray randomBytes(int n) {
    QByteArray bytes(n, '\0');
    QRandomGenerator random(n);
    for (char &c : bytes) {
        c = char(random.generate());
    }
    return bytes;
}

}  // namespace

TEST(Mp3Stream, IndexNumbersFramesAsTheDecoderDoesForEveryKindOfFile) {
    VARNELO_SKIP_WITHOUT_LAME();
    Mp3Maker maker;
    struct Source {
        const char *name;
        Pcm pcm;
        QStringList lameArgs;
        bool infoFrame;
    };
    // lame leaves the info frame out with -t and where it does not fit (32 kbit/s MPEG 2 mono).
    const std::vector<Source> sources = {
        {"cbr", tone(44100, 2, 44100 * 3, 440, 0.3), {"-b", "128"}, true},
        {"vbr", tone(44100, 2, 44100 * 3, 440, 0.3), {"-V", "2"}, true},
        {"abr", tone(44100, 2, 44100 * 3, 440, 0.3), {"--abr", "96"}, true},
        {"mpeg2mono", tone(22050, 1, 22050 * 3, 440, 0.3), {"-b", "32"}, false},
        {"mpeg25", tone(11025, 2, 11025 * 3, 440, 0.3), {"-b", "24"}, true},
        {"noinfo", tone(44100, 2, 44100 * 3, 440, 0.3), {"-t", "-b", "128"}, false},
        {"id3v2",
         tone(32000, 2, 32000 * 3, 440, 0.3),
         {"-V", "4", "--id3v2-only", "--tt", "S"},
         true},
    };
    for (const Source &source : sources) {
        const QString path = maker.make(source.name, source.pcm, source.lameArgs);
        ASSERT_FALSE(path.isEmpty()) << source.name;
        const QByteArray bytes = readFileBytes(path);
        const std::vector<qint64> clean = scanWithDecoder(path, {}).offsets;
        ASSERT_GT(clean.size(), 40u);
        const qint64 at = clean[30];
        std::vector<std::pair<QString, QByteArray>> files = {
            {"intact", bytes},
            {"junk", bytes.left(at) + randomBytes(300) + bytes.mid(at)},
            {"zeros", bytes.left(at) + QByteArray(1023, '\0') + bytes.mid(at)},
            {"lost", bytes.left(at) + QByteArray(1024, '\0') + bytes.mid(at)},
            {"badheader", bytes.left(at) + QByteArray(1, '\0') + bytes.mid(at + 1)},
            {"truncated", bytes.left(clean[35] + 7)},
            {"appended", bytes + bytes.mid(clean[0])},
        };
        // The indexer reads the file a megabyte at a time: junk across where a read ends, in a
        // file long enough for several reads.
        if (std::string_view(source.name) == "cbr" || std::string_view(source.name) == "id3v2") {
            QByteArray longer = bytes;
            while (longer.size() < 3 * (1 << 20)) {
                longer += bytes.mid(clean[0]);
            }
            const QString plain = maker.writeFile(source.name + QStringLiteral("long.mp3"), longer);
            const std::vector<qint64> frames = scanWithDecoder(plain, {}).offsets;
            for (const qint64 near : {2 * (1 << 20) + 7, (1 << 20) - 200}) {
                longer.insert(*std::lower_bound(frames.begin(), frames.end(), near),
                              randomBytes(300));
            }
            files.push_back({"long", longer});
        }
        // An info frame whose LAME extension is blank: the frame count alone still makes the
        // decoder drop its own delay.
        if (source.infoFrame) {
            const qsizetype tag = std::max(bytes.indexOf("Info"), bytes.indexOf("Xing"));
            ASSERT_GT(tag, 0);
            const quint32 flags = quint32(quint8(bytes[tag + 7]));
            const qsizetype lame = tag + 8 + ((flags & 1) ? 4 : 0) + ((flags & 2) ? 4 : 0) +
                                   ((flags & 4) ? 100 : 0) + ((flags & 8) ? 4 : 0);
            QByteArray blank = bytes;
            blank.replace(lame, 36, QByteArray(36, '\0'));
            files.push_back({"nolame", blank});
        }
        for (const auto &[damage, content] : files) {
            SCOPED_TRACE(std::string(source.name) + " " + damage.toStdString());
            const QString file = maker.writeFile(source.name + damage + ".mp3", content);
            Mp3Stream stream;
            ASSERT_TRUE(stream.open(file)) << stream.errorString().toStdString();
            const qint64 announced = stream.lengthSamples();
            ASSERT_TRUE(stream.waitForIndex());
            const qint64 length = stream.lengthSamples();
            const std::vector<qint64> probes = {0, 1, 575, 576, 1151, 1152, length / 2, length - 1};
            const DecoderScan decoder = scanWithDecoder(file, probes);
            EXPECT_EQ(indexOf(stream), decoder.offsets);
            // A false header the decoder resyncs on may be a short frame of another layer: the
            // stream then ends a little early, never late.
            const qint64 decoded = qint64(decodeAll(stream).size()) / 2;
            if (damage == "badheader") {
                EXPECT_LE(decoded, length);
            } else {
                EXPECT_EQ(decoded, length);
            }
            EXPECT_EQ(stream.warning().isEmpty(), damage != "lost");
            if (damage == "nolame") {
                for (size_t i = 0; i < probes.size(); ++i) {
                    EXPECT_EQ(stream.frameOfSample(probes[i]), decoder.frames[i]) << probes[i];
                }
            }
            if (damage == "intact") {
                if (source.infoFrame) {
                    EXPECT_EQ(announced, length) << "known from the info frame at once";
                }
                for (size_t i = 0; i < probes.size(); ++i) {
                    EXPECT_EQ(stream.frameOfSample(probes[i]), decoder.frames[i]) << probes[i];
                }
            }
        }
    }
}

TEST(Mp3Stream, ARateChangeEndsTheStreamWhereTheFirstRateEnds) {
    VARNELO_SKIP_WITHOUT_LAME();
    Mp3Maker maker;
    const QString first = maker.make("first", tone(44100, 2, 44100 * 3, 440, 0.3), {"-b", "128"});
    const QString second = maker.make("second", tone(48000, 2, 48000 * 2, 660, 0.3), {"-b", "128"});
    ASSERT_FALSE(first.isEmpty() || second.isEmpty());
    const QString joined =
        maker.writeFile("joined.mp3", readFileBytes(first) + readFileBytes(second));
    Mp3Stream alone;
    ASSERT_TRUE(alone.open(first));
    const std::vector<qint16> expected = decodeAll(alone);

    Mp3Stream stream;
    ASSERT_TRUE(stream.open(joined));
    ASSERT_TRUE(stream.waitForIndex());
    EXPECT_EQ(stream.sampleRate(), 44100);
    EXPECT_EQ(stream.lengthSamples(), 44100 * 3);
    EXPECT_EQ(stream.warning(),
              joined + ": the sample rate changes at 3.000 s; playback ends there");
    EXPECT_EQ(decodeAll(stream), expected);
    ASSERT_TRUE(stream.seekMs(3500));
    EXPECT_EQ(stream.tellSample(), 44100 * 3);
    qint16 pcm[64];
    EXPECT_EQ(stream.read(pcm, 32), 0);
}

TEST(Mp3Stream, TimeArithmeticSaturatesInsteadOfWrapping) {
    VARNELO_SKIP_WITHOUT_LAME();
    Mp3Maker maker;
    Mp3Stream stream;
    ASSERT_TRUE(stream.open(maker.make("second", tone(kRate, 2, kRate, 440, 0.3), {"-b", "128"})));
    constexpr qint64 kMax = std::numeric_limits<qint64>::max();
    constexpr qint64 kMin = std::numeric_limits<qint64>::min();
    EXPECT_EQ(stream.msToSample(kMax), kMax);
    EXPECT_EQ(stream.msToSample(kMin), kMin);
    EXPECT_EQ(stream.msToSample(kMax / kRate * 1000), kMax / kRate * kRate);
    EXPECT_EQ(stream.msToSample(-1), -45);
    EXPECT_EQ(stream.sampleToMs(kMax), kMax / kRate * 1000 + kMax % kRate * 1000 / kRate);
    EXPECT_EQ(stream.sampleToMs(kMin / 2), -104573379102661858);  // floor of -1.0457...e17
    for (const qint64 far : {kMax, kMax / 1000, kMax / kRate}) {
        ASSERT_TRUE(stream.seekMs(far));
        EXPECT_EQ(stream.tellSample(), kRate) << far;
        ASSERT_TRUE(stream.seekSample(far));
        EXPECT_EQ(stream.tellSample(), kRate);
    }
    ASSERT_TRUE(stream.seekMs(kMin));
    EXPECT_EQ(stream.tellSample(), 0);
    EXPECT_EQ(stream.frameAt(kMax), stream.frameCount() - 1);
}

TEST(Mp3Stream, OtherThreadsSeekAndLookUpWhileTheIndexIsBuilt) {
    VARNELO_SKIP_WITHOUT_LAME();
    Mp3Maker maker;
    const QString piece =
        maker.make("piece", tone(kRate, 2, kRate * 10, 440, 0.3), {"-t", "-b", "128"});
    ASSERT_FALSE(piece.isEmpty());
    const QString path = maker.writeFile("long.mp3", readFileBytes(piece).repeated(40));
    Mp3Stream indexed;
    ASSERT_TRUE(indexed.open(path));
    ASSERT_TRUE(indexed.waitForIndex());
    const std::vector<qint16> all = decodeAll(indexed);
    const qint64 frames = indexed.frameCount();

    // A seek made right after open waits for the index and lands on the exact sample.
    Mp3Stream stream;
    for (const qint64 ms : {399000, 123456, 0}) {
        ASSERT_TRUE(stream.open(path));
        std::vector<qint16> chunk(2 * 4096);
        std::thread reader([&] {
            stream.seekMs(ms);
            stream.read(chunk.data(), 4096);
        });
        reader.join();
        const qint64 at = indexed.msToSample(ms);
        EXPECT_TRUE(std::equal(chunk.begin(), chunk.end(), all.begin() + at * 2)) << ms;
    }

    // Lookups on another thread leave the reader's stream exactly as a plain decode.
    ASSERT_TRUE(stream.open(path));
    std::thread looker([&] {
        for (qint64 ms = 0; ms < 400000; ms += 997) {
            stream.frameOffset(stream.frameAt(ms));
            stream.frameStartingAt(stream.frameOffsetAt(ms));
        }
    });
    std::vector<qint16> played(all.size());
    qint64 got = 0;
    for (qint64 n = 1; n > 0; got += n) {
        n = stream.read(played.data() + got * 2,
                        std::min<qint64>(1000, qint64(all.size()) / 2 - got));
    }
    looker.join();
    EXPECT_EQ(played, all);

    // Closing or reopening while the index is built stops it cleanly.
    for (int i = 0; i < 10; ++i) {
        ASSERT_TRUE(stream.open(path));
        if (i % 2 == 0) {
            stream.close();
            EXPECT_FALSE(stream.waitForIndex());
            EXPECT_EQ(stream.frameCount(), 0);
            EXPECT_EQ(stream.frameOffset(0), -1);
        }
    }
    ASSERT_TRUE(stream.open(path));
    EXPECT_EQ(stream.frameCount(), frames);
    Mp3Stream{}.open(path);  // destroyed while indexing
}

// A seek far into a long file on a stalled disk waits for the walk on the reader's thread; the
// owner can stop that reader, and close or reopen the file, without waiting for the disk.
TEST(Mp3Stream, AHaltedReaderStopsWaitingForAStalledWalk) {
    VARNELO_SKIP_WITHOUT_LAME();
    Mp3Maker maker;
    const QString piece =
        maker.make("piece", tone(kRate, 2, kRate * 10, 440, 0.3), {"-t", "-b", "128"});
    ASSERT_FALSE(piece.isEmpty());
    // 150 s at 128 kbit/s: well past the walk's first read of a megabyte.
    const QString path = maker.writeFile("long.mp3", readFileBytes(piece).repeated(15));
    Mp3Stream plain;
    ASSERT_TRUE(plain.open(path));
    const std::vector<qint16> all = decodeAll(plain);

    WalkGate gate;
    Mp3Stream stream;
    stream.setWalkReader(gate.reader());
    ASSERT_TRUE(stream.open(path));
    gate.waitUntilHeld();
    bool seeked = true;
    std::thread reader([&] { seeked = stream.seekMs(140000); });
    ASSERT_TRUE(eventually([&] { return stream.readerWaiting(); }));
    stream.haltReader();
    reader.join();
    EXPECT_FALSE(seeked);
    qint16 pcm[64];
    EXPECT_EQ(stream.read(pcm, 32), 0);  // halted: no waiting either
    EXPECT_FALSE(stream.seekMs(0));
    stream.close();
    ASSERT_TRUE(stream.open(path));
    EXPECT_FALSE(gate.isOpen());

    // Resumed, with the disk back, the seek lands on the exact sample.
    stream.resumeReader();
    gate.open();
    ASSERT_TRUE(stream.seekMs(140000));
    std::vector<qint16> chunk(2 * 4096);
    ASSERT_EQ(stream.read(chunk.data(), 4096), 4096);
    const qint64 at = plain.msToSample(140000);
    EXPECT_TRUE(std::equal(chunk.begin(), chunk.end(), all.begin() + at * 2));
}

TEST(Mp3Stream, TheFirstFrameIsLookedForOnlyNearTheStart) {
    // Frames that decode to silence, behind junk that holds no 0xFF and behind junk that is
    // nothing but frame syncs with no frame after them.
    QByteArray frames;
    for (int i = 0; i < 20; ++i) {
        frames.append(QByteArray::fromHex("FFFB9064") + QByteArray(413, '\0'));
    }
    const auto startAfter = [&](const QByteArray &junk) {
        const QByteArray file = junk + frames;
        const auto start =
            findMpegStreamStart(reinterpret_cast<const uchar *>(file.constData()), file.size());
        return start ? start->firstFrame : -1;
    };
    const QByteArray tag = QByteArray("ID3\x03\x00\x00\x00\x00\x01\x00", 10) + QByteArray(128, 'x');
    EXPECT_EQ(startAfter(QByteArray(1000, 'j')), 1000);
    EXPECT_EQ(startAfter(QByteArray(kFirstFrameSearchBytes - 1, 'j')), kFirstFrameSearchBytes - 1);
    EXPECT_EQ(startAfter(QByteArray(kFirstFrameSearchBytes, 'j')), -1);
    EXPECT_EQ(startAfter(tag + QByteArray(kFirstFrameSearchBytes - 1, 'j')),
              tag.size() + kFirstFrameSearchBytes - 1);
    EXPECT_EQ(startAfter(QByteArray(3 * kFirstFrameSearchBytes, char(0xFF))), -1);

    // A file of junk is refused saying what it is not; a valid stream after a megabyte of junk
    // is not looked for, so the search ends there however long the file.
    Mp3Maker maker;
    Mp3Stream stream;
    for (const QByteArray &junk :
         {QByteArray(3 * kFirstFrameSearchBytes, char(0xFF)),
          QByteArray(kFirstFrameSearchBytes, 'j') + frames.repeated(100)}) {
        const QString path = maker.writeFile("junk.mp3", junk);
        EXPECT_FALSE(stream.open(path));
        EXPECT_EQ(stream.errorString(),
                  path + ": not an MP3 file (no audio frame in its first MiB)");
        EXPECT_FALSE(stream.isOpen());
    }
}
