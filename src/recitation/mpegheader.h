#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

namespace varnelo {

// The fields of a 4-byte MPEG audio frame header that fix the frame's size and layout.
struct MpegHeader {
    bool mpeg1 = true;  // false for MPEG 2 and 2.5
    int layer = 3;      // 1..3
    int bitrate = 0;    // bits per second
    int sampleRate = 0;
    bool padding = false;
    bool mono = false;
    bool crc = false;  // a 2-byte CRC follows the header
    int frameBytes = 0;

    int samplesPerFrame() const;
    // Offset of the side information (layer III) in the frame: after the header and any CRC.
    int sideInfoOffset() const { return crc ? 6 : 4; }
    // Size of the layer III side information; 0 for layers I and II.
    int sideInfoBytes() const;
    // Bytes of a layer III frame that carry main data (its share of the bit reservoir).
    int mainDataBytes() const { return frameBytes - sideInfoOffset() - sideInfoBytes(); }
};

// The header in the first 4 bytes of frame; nullopt when there are fewer or they are not a
// valid header (no sync, reserved version, layer, bitrate or rate, or free format).
std::optional<MpegHeader> parseMpegHeader(const QByteArray &frame);
std::optional<MpegHeader> parseMpegHeader(quint32 header);

// main_data_begin of the layer III frame starting frame (header given): how many bytes before
// its own header its main data starts. nullopt when frame is too short or not layer III.
std::optional<int> mainDataBegin(const MpegHeader &header, const QByteArray &frame);

// True when frame (header given) is a Xing, Info or VBRI frame: file information, no audio.
bool isInfoFrame(const MpegHeader &header, const QByteArray &frame);

}  // namespace varnelo
