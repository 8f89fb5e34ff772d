#include "recitation/streamframelocator.h"

#include <algorithm>
#include <limits>

#include "recitation/mp3stream.h"

namespace varnelo {

qint32 StreamFrameLocator::lengthMs() const {
    if (!m_stream->waitForIndex()) {
        return 0;
    }
    return qint32(std::min<qint64>(m_stream->lengthMs(), std::numeric_limits<qint32>::max()));
}

std::optional<FrameSpan> StreamFrameLocator::frameAt(qint32 ms) const {
    if (ms < 0 || ms > lengthMs()) {
        return std::nullopt;
    }
    return frameSpan(m_stream->frameAt(ms));
}

std::optional<FrameSpan> StreamFrameLocator::frameBefore(qint64 begin) const {
    const qint64 frame = m_stream->frameStartingAt(begin);
    return frame > 0 ? frameSpan(frame - 1) : std::nullopt;
}

std::optional<FrameSpan> StreamFrameLocator::frameSpan(qint64 frame) const {
    const qint64 begin = m_stream->frameOffset(frame);
    const qint64 end = m_stream->frameEndOffset(frame);
    if (begin < 0 || end <= begin) {
        return std::nullopt;
    }
    return FrameSpan{begin, end, frame};
}

}  // namespace varnelo
