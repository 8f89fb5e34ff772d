#include "recitation/mpegheader.h"

namespace varnelo {

int MpegHeader::samplesPerFrame() const {
    if (layer == 1) {
        return 384;
    }
    return layer == 3 && !mpeg1 ? 576 : 1152;
}

int MpegHeader::sideInfoBytes() const {
    if (layer != 3) {
        return 0;
    }
    if (mpeg1) {
        return mono ? 17 : 32;
    }
    return mono ? 9 : 17;
}

std::optional<MpegHeader> parseMpegHeader(quint32 header) {
    static constexpr int kBitrates[2][3][16] = {
        // MPEG 1: layer I, II, III
        {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
         {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
         {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},
        // MPEG 2 and 2.5
        {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}}};
    static constexpr int kRates[3] = {44100, 48000, 32000};

    if ((header & 0xFFE00000u) != 0xFFE00000u) {
        return std::nullopt;
    }
    const int version = (header >> 19) & 3;  // 0 = 2.5, 2 = 2, 3 = 1
    const int layerBits = (header >> 17) & 3;
    const int bitrateIndex = (header >> 12) & 15;
    const int rateIndex = (header >> 10) & 3;
    // Free format (index 0) has no size in its header: it is refused with the reserved values.
    if (version == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 ||
        rateIndex == 3) {
        return std::nullopt;
    }
    MpegHeader h;
    h.mpeg1 = version == 3;
    h.layer = 4 - layerBits;
    h.bitrate = kBitrates[h.mpeg1 ? 0 : 1][h.layer - 1][bitrateIndex] * 1000;
    h.sampleRate = kRates[rateIndex] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
    h.padding = (header >> 9) & 1;
    h.mono = ((header >> 6) & 3) == 3;
    h.crc = ((header >> 16) & 1) == 0;
    if (h.layer == 1) {
        h.frameBytes = (12 * h.bitrate / h.sampleRate + int(h.padding)) * 4;
    } else {
        const int factor = h.layer == 3 && !h.mpeg1 ? 72 : 144;
        h.frameBytes = factor * h.bitrate / h.sampleRate + int(h.padding);
    }
    return h;
}

std::optional<MpegHeader> parseMpegHeader(const QByteArray &frame) {
    if (frame.size() < 4) {
        return std::nullopt;
    }
    const auto byte = [&frame](int i) { return quint32(quint8(frame[i])); };
    return parseMpegHeader(byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3));
}

std::optional<int> mainDataBegin(const MpegHeader &header, const QByteArray &frame) {
    const int at = header.sideInfoOffset();
    if (header.layer != 3 || frame.size() < at + (header.mpeg1 ? 2 : 1)) {
        return std::nullopt;
    }
    const int first = quint8(frame[at]);
    // 9 bits in MPEG 1 (up to 511 bytes back), 8 bits in MPEG 2 and 2.5.
    return header.mpeg1 ? (first << 1 | quint8(frame[at + 1]) >> 7) : first;
}

bool isInfoFrame(const MpegHeader &header, const QByteArray &frame) {
    // Encoders put the tag where it would be without a CRC, even in a frame that announces one.
    const qsizetype tagAt = 4 + header.sideInfoBytes();
    const QByteArray tag = frame.mid(tagAt, 4);
    return tag == "Xing" || tag == "Info" || frame.mid(4 + 32, 4) == "VBRI";
}

}  // namespace varnelo
