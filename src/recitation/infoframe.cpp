#include "recitation/infoframe.h"

#include <algorithm>
#include <array>

#include "recitation/mpegheader.h"

namespace varnelo {

namespace {

constexpr quint32 kFramesFlag = 1;
constexpr quint32 kBytesFlag = 2;
constexpr quint32 kTocFlag = 4;
constexpr quint32 kQualityFlag = 8;
// "Xing"/"Info", flags, frames, bytes, seek table, quality.
constexpr int kXingBytes = 4 + 4 + 4 + 4 + 100 + 4;

// Offsets in the LAME extension.
constexpr int kLameMethod = 9;
constexpr int kLamePeak = 11;
constexpr int kLameGap = 21;
constexpr int kLameMusicLength = 28;
constexpr int kLameMusicCrc = 32;
constexpr int kLameTagCrc = 34;

quint32 readBe32(const QByteArray &bytes, qsizetype at) {
    quint32 value = 0;
    for (int i = 0; i < 4; ++i) {
        value = value << 8 | quint8(bytes[at + i]);
    }
    return value;
}

void writeBe(QByteArray &bytes, qsizetype at, quint32 value, int size) {
    for (int i = size - 1; i >= 0; --i, value >>= 8) {
        bytes[at + i] = char(value & 0xFF);
    }
}

// Where the Xing/Info tag starts: right after the side information as if there were no CRC,
// which is where encoders put it and decoders look for it even in frames that announce one.
int tagOffset(const MpegHeader &header) {
    return 4 + header.sideInfoBytes();
}

// The info frame's header: the audio header without CRC, padding or private bit, at the audio's
// own bitrate when that holds the tag and the bitrate is constant, else the smallest that does.
std::optional<MpegHeader> chooseHeader(const InfoFrameFields &fields, quint32 *raw) {
    const std::optional<MpegHeader> audio = parseMpegHeader(fields.audioHeader);
    if (!audio || audio->layer != 3) {
        return std::nullopt;
    }
    const quint32 word = readBe32(fields.audioHeader, 0);
    const quint32 base = (word & ~quint32(0xF300)) | 0x10000;
    const auto fits = [](const std::optional<MpegHeader> &h) {
        return h && h->frameBytes >= tagOffset(*h) + kXingBytes + kLameTagBytes;
    };
    if (!fields.vbr) {
        const quint32 own = base | (word & 0xF000);
        if (fits(parseMpegHeader(own))) {
            *raw = own;
            return parseMpegHeader(own);
        }
    }
    for (quint32 index = 1; index < 15; ++index) {
        const quint32 candidate = base | index << 12;
        if (fits(parseMpegHeader(candidate))) {
            *raw = candidate;
            return parseMpegHeader(candidate);
        }
    }
    return std::nullopt;
}

}  // namespace

quint16 crc16(const char *data, qsizetype size, quint16 crc) {
    // Eight bytes a step: table k holds the CRC of a byte followed by k zero bytes. The music CRC
    // covers the whole saved range, so a bit-at-a-time loop would cost more than copying it.
    static const auto tables = [] {
        std::array<std::array<quint16, 256>, 8> t{};
        for (int i = 0; i < 256; ++i) {
            quint16 c = quint16(i);
            for (int bit = 0; bit < 8; ++bit) {
                c = (c & 1) ? (c >> 1) ^ 0xA001 : c >> 1;
            }
            t[0][size_t(i)] = c;
        }
        for (size_t k = 1; k < t.size(); ++k) {
            for (size_t i = 0; i < 256; ++i) {
                t[k][i] = quint16((t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xff]);
            }
        }
        return t;
    }();
    const auto *p = reinterpret_cast<const quint8 *>(data);
    qsizetype i = 0;
    for (; i + 8 <= size; i += 8) {
        const quint8 *b = p + i;
        crc = tables[7][b[0] ^ (crc & 0xff)] ^ tables[6][b[1] ^ (crc >> 8)] ^ tables[5][b[2]] ^
              tables[4][b[3]] ^ tables[3][b[4]] ^ tables[2][b[5]] ^ tables[1][b[6]] ^
              tables[0][b[7]];
    }
    for (; i < size; ++i) {
        crc = quint16((crc >> 8) ^ tables[0][(crc ^ p[i]) & 0xff]);
    }
    return crc;
}

int InfoTag::leadingSamples() const {
    return frames > 0 ? kDecoderDelaySamples + delay : 0;
}

std::optional<InfoTag> readInfoTag(const QByteArray &frame) {
    const std::optional<MpegHeader> header = parseMpegHeader(frame);
    if (!header || header->layer != 3) {
        return std::nullopt;
    }
    const int at = tagOffset(*header);
    const QByteArray name = frame.mid(at, 4);
    if ((name != "Xing" && name != "Info") || frame.size() < at + 8) {
        return std::nullopt;
    }
    InfoTag tag;
    tag.vbr = name == "Xing";
    const quint32 flags = readBe32(frame, at + 4);
    qsizetype pos = at + 8;
    const auto field = [&](quint32 flag, int size) -> std::optional<qint64> {
        if (!(flags & flag)) {
            return -1;
        }
        if (frame.size() < pos + size) {
            return std::nullopt;
        }
        const qint64 value = size == 4 ? readBe32(frame, pos) : 0;
        pos += size;
        return value;
    };
    const std::optional<qint64> frames = field(kFramesFlag, 4);
    const std::optional<qint64> bytes = field(kBytesFlag, 4);
    if (!frames || !bytes || !field(kTocFlag, 100) || !field(kQualityFlag, 4)) {
        return std::nullopt;
    }
    tag.frames = *frames;
    tag.bytes = *bytes;
    if (frame.size() >= pos + kLameTagBytes && frame[pos] != 0) {
        tag.lame = frame.mid(pos, kLameTagBytes);
        const int d0 = quint8(tag.lame[kLameGap]);
        const int d1 = quint8(tag.lame[kLameGap + 1]);
        const int d2 = quint8(tag.lame[kLameGap + 2]);
        tag.delay = d0 << 4 | d1 >> 4;
        tag.padding = (d1 & 0x0F) << 8 | d2;
    }
    return tag;
}

int infoFrameBytes(const InfoFrameFields &fields) {
    quint32 raw = 0;
    const std::optional<MpegHeader> header = chooseHeader(fields, &raw);
    return header ? header->frameBytes : 0;
}

QByteArray makeInfoFrame(const InfoFrameFields &fields) {
    quint32 raw = 0;
    const std::optional<MpegHeader> header = chooseHeader(fields, &raw);
    if (!header) {
        return {};
    }
    QByteArray frame(header->frameBytes, '\0');
    writeBe(frame, 0, raw, 4);

    const int at = tagOffset(*header);
    const qint64 total = header->frameBytes + fields.audioBytes;
    frame.replace(at, 4, fields.vbr ? "Xing" : "Info");
    writeBe(frame, at + 4, kFramesFlag | kBytesFlag | kTocFlag | kQualityFlag, 4);
    const qint64 frames = qint64(fields.frameStarts.size());
    writeBe(frame, at + 8, quint32(frames), 4);
    writeBe(frame, at + 12, quint32(total), 4);
    // Seek table: for each percent of the playing time, the share of the bytes before it in 256ths.
    for (int percent = 0; percent < 100 && frames > 0; ++percent) {
        const qint64 before =
            header->frameBytes + fields.frameStarts[size_t(percent * frames / 100)];
        frame[at + 16 + percent] = char(std::min<qint64>(255, before * 256 / total));
    }
    // Quality (at + 116) stays 0: the frames are copied, not encoded here.

    const int lameAt = at + kXingBytes;
    QByteArray lame = fields.lameBase.size() == kLameTagBytes && fields.lameBase[0] != 0
                          ? fields.lameBase
                          : QByteArray("LAME3.100").leftJustified(kLameTagBytes, '\0');
    if (fields.lameBase.size() != kLameTagBytes || fields.lameBase[0] == 0) {
        lame[kLameMethod] = char(fields.vbr ? 0 : 1);  // unknown VBR method or constant bitrate
    }
    // The source's peak and replay gain describe the whole recitation, not this stretch.
    lame.replace(kLamePeak, 8, QByteArray(8, '\0'));
    const int delay = std::clamp(fields.delay, 0, kMaxGapSamples);
    const int padding = std::clamp(fields.padding, 0, kMaxGapSamples);
    writeBe(lame, kLameGap, quint32(delay) << 12 | quint32(padding), 3);
    writeBe(lame, kLameMusicLength, quint32(total), 4);
    writeBe(lame, kLameMusicCrc, fields.musicCrc, 2);
    frame.replace(lameAt, kLameTagBytes, lame);
    writeBe(frame, lameAt + kLameTagCrc, crc16(frame.constData(), lameAt + kLameTagCrc), 2);
    return frame;
}

}  // namespace varnelo
