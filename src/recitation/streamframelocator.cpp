#include "recitation/streamframelocator.h"

#include <algorithm>
#include <limits>

#include "recitation/mp3stream.h"

namespace varnelo {

qint32 StreamFrameLocator::lengthMs() const {
    if (!m_stream->isOpen()) {
        return 0;
    }
    return qint32(std::min<qint64>(m_stream->lengthMs(), std::numeric_limits<qint32>::max()));
}

std::optional<FrameSpan> StreamFrameLocator::frameAt(qint32 ms) const {
    if (ms < 0 || ms > lengthMs()) {
        return std::nullopt;
    }
    const qint64 frame = m_stream->frameAt(ms);
    const qint64 begin = m_stream->frameOffset(frame);
    const qint64 end = m_stream->frameEndOffset(frame);
    if (begin < 0 || end <= begin) {
        return std::nullopt;
    }
    return FrameSpan{begin, end};
}

}  // namespace varnelo
