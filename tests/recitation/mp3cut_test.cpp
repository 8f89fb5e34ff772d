#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

#include "filebytes.h"
#include "mp3fixture.h"
#include "recitation/infoframe.h"
#include "recitation/mp3cut.h"
#include "recitation/mp3stream.h"
#include "recitation/mpegheader.h"
#include "recitation/rangeexport.h"
#include "recitation/reservoirframe.h"
#include "recitation/streamframelocator.h"

using namespace varnelo;
using varnelo::test::ClipMatch;
using varnelo::test::decodeAll;
using varnelo::test::matchClip;
using varnelo::test::Mp3Maker;
using varnelo::test::noisyTone;
using varnelo::test::Pcm;
using varnelo::test::readFileBytes;

namespace {

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

TEST(Mp3Cut, GaplessDecodePlaysExactlyTheRange) {
    VARNELO_SKIP_WITHOUT_LAME();
    Mp3Maker maker;
    const Pcm pcm = noisyTone(12);
    // Low rates fill the bit reservoir (lame resamples them to MPEG 2, 576 samples a frame).
    // Without -t the sources open with lame's info frame, except at 48 kbit/s mono, where it
    // does not fit a frame: the demo recitations are made so. -p protects the frames with a CRC.
    const struct {
        const char *name;
        QStringList lameArgs;
    } kinds[] = {
        {"cbr", {"-b", "128"}},
        {"cbr_untagged", {"-b", "128", "-t"}},
        {"vbr", {"-V", "4"}},
        {"vbr_crc", {"-V", "4", "-p"}},
        {"speech", {"-b", "48", "-m", "m", "--resample", "22.05"}},
        {"abr_low", {"--abr", "40"}},
        {"cbr_id3v2", {"-b", "64", "--id3v2-only", "--tt", "Source", "--pad-id3v2-size", "4000"}},
        {"vbr_low_id3v2", {"-V", "9", "--add-id3v2", "--tt", "Source"}},
        {"vbr_low_crc", {"-V", "9", "-p"}},
    };
    bool carried = false;
    for (const auto &kind : kinds) {
        SCOPED_TRACE(kind.name);
        const QString source = maker.make(kind.name, pcm, kind.lameArgs);
        ASSERT_FALSE(source.isEmpty());
        Mp3Stream stream;
        ASSERT_TRUE(stream.open(source)) << stream.errorString().toStdString();
        const StreamFrameLocator frames(stream);
        const QByteArray sourceBytes = readFileBytes(source);
        const std::vector<qint16> sourcePcm = decodeAll(stream);

        for (const auto &[startMs, endMs] : {std::pair{30, 1500}, {5000, 9000}, {7001, 99999}}) {
            SCOPED_TRACE(startMs);
            const QString target = maker.dir() + "/" + kind.name + "-cut.mp3";
            Id3v1Tag tag;
            tag.title = "Cut";
            const Mp3CutResult cut = CutMp3Range(source, frames, startMs, endMs, target, tag);
            ASSERT_TRUE(cut.ok()) << cut.error.toStdString();

            // An info frame, any carrier of the reservoir, the source's frames from the one or
            // two granules before the start frame to the last, and the 128-byte tag.
            const QByteArray bytes = readFileBytes(target);
            ASSERT_GT(cut.infoBytes, 0);
            ASSERT_EQ(bytes.size(), cut.infoBytes + cut.carrierBytes + cut.audioBytes + 128);
            EXPECT_EQ(bytes.right(128), tag.toBytes());
            const qint64 start = stream.frameAt(startMs);
            const qint64 last = stream.frameAt(endMs);
            const qint64 lead =
                stream.frameStartingAt(stream.frameEndOffset(last) - cut.audioBytes);
            ASSERT_GE(lead, 0) << "the cut does not begin at a frame";
            EXPECT_EQ(bytes.mid(cut.infoBytes + cut.carrierBytes, cut.audioBytes),
                      sourceBytes.mid(stream.frameOffset(lead), cut.audioBytes));
            const std::optional<MpegHeader> header =
                parseMpegHeader(sourceBytes.mid(stream.frameOffset(start), 4));
            ASSERT_TRUE(header.has_value());
            EXPECT_LE(start - lead, header->mpeg1 ? 1 : 2);
            if (cut.carrierBytes > 0) {
                carried = true;
                const QByteArray carrier = bytes.mid(cut.infoBytes, cut.carrierBytes);
                const std::optional<MpegHeader> own = parseMpegHeader(carrier);
                ASSERT_TRUE(own.has_value());
                EXPECT_EQ(own->frameBytes, cut.carrierBytes);
                EXPECT_EQ(mainDataBegin(*own, carrier), 0);
            }

            // The gapless decode is the source's decode of the range, sample for sample; the
            // synthesis filter rounds by the phase it has reached, so a few are one step off.
            Mp3Stream cutStream;
            ASSERT_TRUE(cutStream.open(target)) << cutStream.errorString().toStdString();
            const qint64 first = stream.msToSample(startMs);
            const qint64 end = stream.msToSample(std::min<qint64>(endMs, stream.lengthMs()));
            const ClipMatch match = matchClip(decodeAll(cutStream), sourcePcm, first, end);
            EXPECT_EQ(match.extra, 0);
            EXPECT_EQ(match.mismatched, 0) << "the last at " << match.lastMismatch;
            EXPECT_LT(match.offByOne * 1000, end - first) << match.offByOne << " one step off";
        }
    }
    EXPECT_TRUE(carried) << "no source needed its reservoir carried";
}

TEST(Mp3Cut, InfoFrameDescribesTheCut) {
    VARNELO_SKIP_WITHOUT_LAME();
    Mp3Maker maker;
    const Pcm pcm = noisyTone(6);
    for (const auto &[name, lameArgs, vbr] :
         {std::tuple{"cbr", QStringList{"-b", "128"}, false},
          std::tuple{"vbr", QStringList{"-V", "2"}, true},
          std::tuple{"speech", QStringList{"-b", "48", "-m", "m", "--resample", "22.05"}, false},
          std::tuple{"vbr_low_crc", QStringList{"-V", "9", "-p"}, true}}) {
        SCOPED_TRACE(name);
        const QString source = maker.make(name, pcm, lameArgs);
        ASSERT_FALSE(source.isEmpty());
        Mp3Stream stream;
        ASSERT_TRUE(stream.open(source));
        const QByteArray sourceBytes = readFileBytes(source);
        const QByteArray audioHeader = sourceBytes.mid(stream.frameOffset(0), 4);
        const std::optional<MpegHeader> audio = parseMpegHeader(audioHeader);
        ASSERT_TRUE(audio.has_value());

        const QString target = maker.dir() + "/cut.mp3";
        const Mp3CutResult cut =
            CutMp3Range(source, StreamFrameLocator(stream), 1000, 4000, target, Id3v1Tag());
        ASSERT_TRUE(cut.ok()) << cut.error.toStdString();
        const QByteArray bytes = readFileBytes(target);
        const QByteArray frame = bytes.left(cut.infoBytes);

        // A frame of the audio's version, layer, rate and channel mode, without CRC.
        const std::optional<MpegHeader> header = parseMpegHeader(frame);
        ASSERT_TRUE(header.has_value());
        EXPECT_EQ(header->frameBytes, cut.infoBytes);
        EXPECT_EQ(header->mpeg1, audio->mpeg1);
        EXPECT_EQ(header->layer, 3);
        EXPECT_EQ(header->sampleRate, audio->sampleRate);
        EXPECT_EQ(quint8(frame[3]) >> 6, quint8(audioHeader[3]) >> 6);
        EXPECT_FALSE(header->crc);
        EXPECT_TRUE(isInfoFrame(*header, frame));

        const std::optional<InfoTag> info = readInfoTag(frame);
        ASSERT_TRUE(info.has_value());
        EXPECT_EQ(info->vbr, vbr);
        Mp3Stream cutStream;
        ASSERT_TRUE(cutStream.open(target));
        EXPECT_EQ(info->frames, cutStream.frameCount());
        EXPECT_EQ(info->bytes, bytes.size() - 128);
        const qint64 spf = audio->samplesPerFrame();
        const qint64 range = stream.msToSample(4000) - stream.msToSample(1000);
        EXPECT_EQ(info->frames * spf - info->delay - info->padding, range);
        EXPECT_EQ(cutStream.lengthSamples(), range);
        EXPECT_LT(info->delay, kMaxGapSamples);
        EXPECT_GE(info->padding, kDecoderDelaySamples);
        EXPECT_LT(info->padding, spf + kDecoderDelaySamples);

        // Music length and CRC of the audio, then the tag's CRC of every byte before it.
        ASSERT_EQ(info->lame.size(), kLameTagBytes);
        EXPECT_TRUE(info->lame.startsWith("LAME"));
        const QByteArray lame = info->lame;
        const auto be = [&lame](int at, int size) {
            quint32 v = 0;
            for (int i = 0; i < size; ++i) {
                v = v << 8 | quint8(lame[at + i]);
            }
            return v;
        };
        EXPECT_EQ(be(28, 4), quint32(info->bytes));
        EXPECT_EQ(be(32, 2),
                  crc16(bytes.constData() + cut.infoBytes, cut.carrierBytes + cut.audioBytes));
        const qsizetype lameAt = frame.indexOf(lame);
        EXPECT_EQ(be(34, 2), crc16(frame.constData(), lameAt + 34));

        // The seek table points at the frames as the decoder finds them in the file.
        const qsizetype toc = frame.indexOf(vbr ? "Xing" : "Info") + 16;
        for (int percent = 0; percent < 100; ++percent) {
            const qint64 at = cutStream.frameOffset(percent * info->frames / 100);
            EXPECT_EQ(quint8(frame[toc + percent]), std::min<qint64>(255, at * 256 / info->bytes))
                << percent;
        }
    }
}

// The music CRC is summed over the copied chunks, whatever their sizes.
TEST(InfoFrame, CrcCarriesAcrossPieces) {
    QByteArray bytes(1000, Qt::Uninitialized);
    for (int i = 0; i < bytes.size(); ++i) {
        bytes[i] = char(i * 131 + (i >> 3));
    }
    const quint16 whole = crc16(bytes.constData(), bytes.size());
    for (const int split : {0, 1, 7, 8, 13, 999, 1000}) {
        EXPECT_EQ(
            crc16(bytes.constData() + split, bytes.size() - split, crc16(bytes.constData(), split)),
            whole)
            << split;
    }
    EXPECT_EQ(crc16("123456789", 9), 0xBB3D);  // the check value of CRC-16/ARC
}

TEST(InfoFrame, ReadsTheTagLameWrites) {
    VARNELO_SKIP_WITHOUT_LAME();
    Mp3Maker maker;
    const Pcm pcm = noisyTone(2);
    for (const auto &[name, lameArgs] : {std::pair{"stereo", QStringList{"-b", "128", "-m", "j"}},
                                         std::pair{"mono2", QStringList{"-V", "9"}}}) {
        SCOPED_TRACE(name);
        const QByteArray bytes = readFileBytes(maker.make(name, pcm, lameArgs));
        const std::optional<MpegHeader> header = parseMpegHeader(bytes);
        ASSERT_TRUE(header.has_value());
        const QByteArray frame = bytes.left(header->frameBytes);
        const std::optional<InfoTag> tag = readInfoTag(frame);
        ASSERT_TRUE(tag.has_value());
        EXPECT_EQ(tag->delay, 576);
        EXPECT_EQ(tag->frames * header->samplesPerFrame() - tag->delay - tag->padding,
                  pcm.frames() * header->sampleRate / pcm.rate);
        EXPECT_EQ(tag->leadingSamples(), 576 + kDecoderDelaySamples);
        EXPECT_EQ(tag->bytes, bytes.size());
        // lame's own checksums: of the music after the frame, and of the frame up to the tag's.
        const qsizetype lameAt = frame.indexOf(tag->lame);
        const auto stored = [&frame](qsizetype at) {
            return quint16(quint8(frame[at]) << 8 | quint8(frame[at + 1]));
        };
        EXPECT_EQ(stored(lameAt + 32),
                  crc16(bytes.constData() + frame.size(), bytes.size() - frame.size()));
        EXPECT_EQ(stored(lameAt + 34), crc16(frame.constData(), lameAt + 34));
    }
    // A frame count is what makes the tag count for gapless decoders.
    InfoTag countless;
    countless.delay = 576;
    EXPECT_EQ(countless.leadingSamples(), 0);
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
        return cut.carrierBytes + cut.audioBytes;
    };
    ASSERT_GT(cutBytes(source, frames), bare);

    // A damaged header in the lead-in; earlier frames outside the file, overlapping the start
    // frame or not on a header; no earlier frames at all: the cut starts at the start frame.
    const QByteArray intact = readFileBytes(source);
    QByteArray damaged = intact;
    damaged.replace(frames.frameBefore(start)->begin, 4, QByteArray(4, '\0'));
    EXPECT_EQ(cutBytes(maker.writeFile("damaged.mp3", damaged), frames), bare);
    // So is one in the frames whose main data the carrier takes over.
    damaged = intact;
    damaged.replace(frames.frameBefore(frames.frameBefore(start)->begin)->begin, 4,
                    QByteArray(4, '\0'));
    EXPECT_EQ(cutBytes(maker.writeFile("damaged2.mp3", damaged), frames), bare);
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

    // Without frame numbers no delay can be told, nor for an empty range: the frames alone.
    const auto unnumbered = [&frames](qint64 begin) {
        std::optional<FrameSpan> span = frames.frameBefore(begin);
        if (span) {
            span->number = -1;
        }
        return span;
    };
    for (const qint32 endOfRange : {endMs, startMs}) {
        const Mp3CutResult cut =
            endOfRange == startMs
                ? CutMp3Range(source, frames, startMs, startMs, target, Id3v1Tag())
                : CutMp3Range(source, DoubtfulFrames(frames, unnumbered), startMs, endMs, target,
                              Id3v1Tag());
        ASSERT_TRUE(cut.ok());
        EXPECT_EQ(cut.infoBytes, 0);
        EXPECT_GT(cut.audioBytes, stream.frameEndOffsetAt(endOfRange) - start);
        EXPECT_EQ(readFileBytes(target).size(), cut.carrierBytes + cut.audioBytes + 128);
    }
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

// The carrier of a cut's bit reservoir: a frame the decoder takes for the source's own kind,
// silent, and the smallest that ends with the bytes.
TEST(ReservoirFrame, CarriesTheBytesInTheSmallestSilentFrame) {
    QByteArray reservoir(511, Qt::Uninitialized);
    for (int i = 0; i < reservoir.size(); ++i) {
        reservoir[i] = char(i * 7 + 1);
    }
    const struct {
        const char *header;  // of the source frame
        int bytes;           // reservoir carried
        int bitrate;         // of the carrier
    } cases[] = {
        // MPEG 1, 128 kbit/s, padded, joint stereo with mode extension, CRC: room at its own rate.
        {"fffa92f4", 300, 128000},
        // ... and the deepest reach needs 192 kbit/s (160 holds 522 - 36 = 486 bytes).
        {"fffa92f4", 511, 192000},
        // MPEG 2, 8 kbit/s, 22.05 kHz, mono, CRC: 80 kbit/s holds 261 - 13 bytes, 96 enough.
        {"fff210c4", 255, 96000},
        {"fff210c4", 0, 8000},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.header) + " " + std::to_string(c.bytes));
        const QByteArray source = QByteArray::fromHex(c.header);
        const QByteArray frame = makeReservoirFrame(source, reservoir.left(c.bytes));
        const std::optional<MpegHeader> header = parseMpegHeader(frame);
        const std::optional<MpegHeader> like = parseMpegHeader(source);
        ASSERT_TRUE(header.has_value());
        EXPECT_EQ(header->frameBytes, frame.size());
        EXPECT_EQ(header->bitrate, c.bitrate);
        EXPECT_EQ(header->mpeg1, like->mpeg1);
        EXPECT_EQ(header->sampleRate, like->sampleRate);
        EXPECT_FALSE(header->crc || header->padding);
        // The channel mode is the source's; no stereo coding tools act on silence.
        EXPECT_EQ(quint8(frame[3]) >> 6, quint8(source[3]) >> 6);
        EXPECT_EQ(quint8(frame[3]) & 0x30, 0);
        // No main_data_begin, no bits in any granule: side information all zero.
        EXPECT_EQ(frame.mid(4, header->sideInfoBytes()), QByteArray(header->sideInfoBytes(), 0));
        EXPECT_TRUE(frame.endsWith(reservoir.left(c.bytes)));
        EXPECT_FALSE(isInfoFrame(*header, frame));
    }
    // Beyond any frame of the kind, and not layer III.
    EXPECT_TRUE(
        makeReservoirFrame(QByteArray::fromHex("fff210c4"), QByteArray(800, 'x')).isEmpty());
    EXPECT_TRUE(makeReservoirFrame(QByteArray::fromHex("fffd9264"), reservoir).isEmpty());
    EXPECT_TRUE(makeReservoirFrame(QByteArray::fromHex("fffb92"), reservoir).isEmpty());
}

namespace {

// A frame index of one frame per second of `length` ms, each 1000 bytes, that the test shapes.
class FixedFrames : public FrameLocator {
public:
    explicit FixedFrames(qint32 length, bool found = true) : m_length(length), m_found(found) {}
    qint32 lengthMs() const override { return m_length; }
    std::optional<FrameSpan> frameAt(qint32 ms) const override {
        if (!m_found || ms < 0 || ms > m_length) {
            return std::nullopt;
        }
        const qint64 n = std::min(ms, m_length - 1) / 1000;
        return FrameSpan{n * 1000, n * 1000 + 1000, -1};
    }
    std::optional<FrameSpan> frameBefore(qint64) const override { return std::nullopt; }

private:
    qint32 m_length;
    bool m_found;
};

}  // namespace

// Each reason a cut fails gives its own message, and never leaves a target behind or touches
// an existing one.
TEST(Mp3Cut, EachFailureSaysWhyAndLeavesTheTargetAlone) {
    Mp3Maker maker;
    const QString source = maker.writeFile("source.mp3", QByteArray(5000, 'a'));
    const QString target = maker.writeFile("target.mp3", "the old cut");
    const QString missing = maker.dir() + "/missing.mp3";
    const QString noFolder = maker.dir() + "/no/such/folder/cut.mp3";
    struct Case {
        QString source;
        const FrameLocator &frames;
        qint32 start, end;
        QString target;
        QString error;
    };
    const FixedFrames five(5000), empty(0), lost(5000, false), long_(9000);
    const Case cases[] = {
        {source, empty, 0, 10, target, source + ": no MPEG audio frames"},
        {source, five, -1, 10, target, "range -1..10 ms is not within the file's 0..5000 ms"},
        {source, five, 300, 200, target, "range 300..200 ms is not within the file's 0..5000 ms"},
        {source, five, 5001, 6000, target,
         "range 5001..6000 ms is not within the file's 0..5000 ms"},
        {source, lost, 0, 1000, target, source + ": no frames found for 0..1000 ms"},
        {missing, five, 0, 1000, target, missing + ": No such file or directory"},
        {source, long_, 0, 9000, target, source + ": shorter than its frame index"},
    };
    for (const Case &c : cases) {
        const Mp3CutResult cut = CutMp3Range(c.source, c.frames, c.start, c.end, c.target, {});
        EXPECT_FALSE(cut.ok());
        EXPECT_EQ(cut.error, c.error);
        EXPECT_EQ(readFileBytes(target), "the old cut") << c.error.toStdString();
    }

    // A target in a folder that does not exist: named, and nothing is made on the way.
    const Mp3CutResult cut = CutMp3Range(source, five, 0, 1000, noFolder, {});
    EXPECT_TRUE(cut.error.startsWith(noFolder + ": ")) << cut.error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(maker.dir() + "/no"));
    EXPECT_EQ(QDir(maker.dir()).entryList(QDir::Files, QDir::Name),
              (QStringList{"source.mp3", "target.mp3"}));

    // The same range from the intact index cuts, which shows the cases above failed for their
    // own reason only.
    const Mp3CutResult good = CutMp3Range(source, five, 0, 1000, target, {});
    EXPECT_TRUE(good.ok()) << good.error.toStdString();
    EXPECT_EQ(good.audioBytes, 2000);
}
