#pragma once

#include <QByteArray>

namespace varnelo {

// Most bit-reservoir bytes a layer III frame can reach back to: main_data_begin has 9 bits in
// MPEG 1 and 8 in MPEG 2 and 2.5.
inline constexpr int kMaxReservoirBytes = 511;
inline constexpr int kMaxLsfReservoirBytes = 255;

// A silent layer III frame that hands a decoder the bit reservoir later frames reach back to:
// of the version, rate and channel mode of the frame whose header is audioHeader, without CRC or
// padding, at the smallest bitrate from that frame's own up that holds the bytes; its granules
// code no sound and read nothing, and its main data ends with reservoir. Empty when audioHeader
// is not a layer III header or no bitrate holds reservoir.
QByteArray makeReservoirFrame(const QByteArray &audioHeader, const QByteArray &reservoir);

}  // namespace varnelo
