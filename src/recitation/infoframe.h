#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>
#include <vector>

namespace varnelo {

// Samples a layer III decoder outputs before the first sample of the encoded signal; gapless
// decoders drop them together with the encoder delay.
inline constexpr int kDecoderDelaySamples = 529;
// Largest encoder delay or padding the LAME tag can hold (12 bits each).
inline constexpr int kMaxGapSamples = 4095;
// Bytes of the LAME extension that follows the Xing fields.
inline constexpr int kLameTagBytes = 36;

// CRC-16 with the reflected polynomial 0xA001, starting from crc: the checksum of the LAME tag
// and of the music it describes.
quint16 crc16(const char *data, qsizetype size, quint16 crc = 0);

// What the Xing/Info frame at the head of a layer III file says.
struct InfoTag {
    bool vbr = false;    // "Xing" rather than "Info"
    qint64 frames = -1;  // audio frames after the info frame; -1 when not given
    qint64 bytes = -1;   // bytes of the stream including the info frame; -1 when not given
    QByteArray lame;     // the LAME extension, empty when absent
    int delay = 0;       // encoder delay and padding from the LAME extension; 0 without one
    int padding = 0;

    // Decoded samples a gapless decoder drops at the start: its own delay plus the encoder
    // delay, but only when the tag gives a frame count (without one it plays everything).
    int leadingSamples() const;
};

// The tag of the info frame starting frame; nullopt when frame is not a layer III Xing or Info
// frame (VBRI frames are not read) or is too short for the fields its flags announce.
std::optional<InfoTag> readInfoTag(const QByteArray &frame);

// What the info frame in front of a stretch of layer III frames describes.
struct InfoFrameFields {
    QByteArray audioHeader;           // header of an audio frame: version, layer, rate and mode
    bool vbr = false;                 // "Xing" for varying bitrates, "Info" for a constant one
    std::vector<qint64> frameStarts;  // offset of each audio frame from the first one
    qint64 audioBytes = 0;
    int delay = 0;         // encoder delay and padding for gapless decoders,
    int padding = 0;       // clamped to 0..kMaxGapSamples
    quint16 musicCrc = 0;  // crc16 of the audio bytes
    QByteArray lameBase;   // a source's LAME extension whose encoder details are kept
};

// Size in bytes of the info frame for fields; 0 when audioHeader is not a layer III header.
int infoFrameBytes(const InfoFrameFields &fields);
// The info frame: a silent frame of the audio's kind whose Xing/Info tag gives the frame and
// byte count, a seek table, and a LAME extension with delay, padding, music length and CRC and
// its own CRC. Empty when audioHeader is not a layer III header.
QByteArray makeInfoFrame(const InfoFrameFields &fields);

}  // namespace varnelo
