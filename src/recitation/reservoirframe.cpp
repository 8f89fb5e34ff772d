#include "recitation/reservoirframe.h"

#include <optional>

#include "recitation/mpegheader.h"

namespace varnelo {

namespace {

constexpr quint32 kBitrateShift = 12;
constexpr quint32 kBitrateMask = 0xFu << kBitrateShift;
constexpr quint32 kNoCrc = 0x10000;
constexpr quint32 kPadding = 0x200;
// Mode extension: joint stereo coding tools, which have nothing to act on in silence.
constexpr quint32 kModeExtension = 0x30;

}  // namespace

QByteArray makeReservoirFrame(const QByteArray &audioHeader, const QByteArray &reservoir) {
    const std::optional<MpegHeader> audio = parseMpegHeader(audioHeader);
    if (!audio || audio->layer != 3) {
        return {};
    }
    quint32 word = 0;
    for (int i = 0; i < 4; ++i) {
        word = word << 8 | quint8(audioHeader[i]);
    }
    const quint32 base = (word & ~(kBitrateMask | kPadding | kModeExtension)) | kNoCrc;
    for (quint32 index = (word & kBitrateMask) >> kBitrateShift; index < 15; ++index) {
        const quint32 candidate = base | index << kBitrateShift;
        const std::optional<MpegHeader> header = parseMpegHeader(candidate);
        if (!header || header->mainDataBytes() < reservoir.size()) {
            continue;
        }
        // All-zero side information: main_data_begin 0 and granules of no bits and no scale
        // factors, which decode to silence.
        QByteArray frame(header->frameBytes, '\0');
        for (int i = 0; i < 4; ++i) {
            frame[i] = char(candidate >> (24 - 8 * i));
        }
        frame.replace(frame.size() - reservoir.size(), reservoir.size(), reservoir);
        return frame;
    }
    return {};
}

}  // namespace varnelo
