#pragma once

#include <QtGlobal>

#include <optional>

namespace varnelo {

// Byte range [begin, end) of one MPEG audio frame, as absolute offsets in the file.
struct FrameSpan {
    qint64 begin = 0;
    qint64 end = 0;
    qint64 number = -1;  // the audio frame's number in the index (0 = first); -1 when unknown
};

// Maps a time of an MP3 file to the audio frame that holds it.
class FrameLocator {
public:
    virtual ~FrameLocator() = default;

    // Length of the decoded audio in ms; 0 when no file is open.
    virtual qint32 lengthMs() const = 0;
    // The frame holding time ms (lengthMs() itself maps to the last frame); nullopt outside
    // 0..lengthMs() or when no file is open.
    virtual std::optional<FrameSpan> frameAt(qint32 ms) const = 0;
    // The audio frame just before the one starting at offset begin; nullopt for the first audio
    // frame, when no frame starts at begin or when no file is open.
    virtual std::optional<FrameSpan> frameBefore(qint64 begin) const = 0;
};

}  // namespace varnelo
