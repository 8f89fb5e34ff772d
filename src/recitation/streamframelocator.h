#pragma once

#include "recitation/framelocator.h"

namespace varnelo {

class Mp3Stream;

// Frames of the file open in an Mp3Stream, from the stream's frame index; lengthMs() waits for
// the index to be complete.
class StreamFrameLocator : public FrameLocator {
public:
    explicit StreamFrameLocator(Mp3Stream &stream) : m_stream(&stream) {}

    qint32 lengthMs() const override;
    std::optional<FrameSpan> frameAt(qint32 ms) const override;
    std::optional<FrameSpan> frameBefore(qint64 begin) const override;

private:
    std::optional<FrameSpan> frameSpan(qint64 frame) const;

    Mp3Stream *m_stream;
};

}  // namespace varnelo
