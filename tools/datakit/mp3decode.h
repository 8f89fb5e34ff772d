#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

namespace varnelo {

// decodeAsPlayed hands on interleaved samples of this many channels, as the program plays them.
inline constexpr int kDecodedChannels = 2;

// How an MP3 file decoded: its rate and length as the program plays it, or why it does not play
// whole, naming the file.
struct DecodedMp3 {
    int rate = 0;
    qint64 lengthMs = 0;
    QString error;
};

// Decodes an MP3 file with the program's own decoder, as the program plays it (the encoder's delay
// and padding left out), handing take each run of interleaved stereo samples: frames of them at
// rate. Fails when the file does not open, when the program would stop early in it (a format
// change, lost sync), when it is cut short (fewer frames than its info frame announces, or a last
// frame cut off), or when the decoder stops before the file's length.
DecodedMp3 decodeAsPlayed(
    const QString &mp3Path,
    const std::function<void(const qint16 *stereo, qint64 frames, int rate)> &take);

}  // namespace varnelo
