#include "platform/pcmsourcedevice.h"

#include <limits>

namespace varnelo {

void PcmSourceDevice::setSource(PcmSource *source) {
    m_source = source;
    m_framesRead = 0;
    m_ended = false;
}

qint64 PcmSourceDevice::bytesAvailable() const {
    return m_ended || m_source == nullptr ? QIODevice::bytesAvailable()
                                          : std::numeric_limits<int>::max();
}

qint64 PcmSourceDevice::readData(char *data, qint64 maxSize) {
    const qint64 frames = maxSize / kBytesPerFrame;
    if (m_source == nullptr || m_ended || frames <= 0) {
        return 0;
    }
    const qint64 got = m_source->readFrames(reinterpret_cast<qint16 *>(data), frames);
    if (got <= 0) {
        m_ended = true;
        return 0;
    }
    m_framesRead += got;
    return got * kBytesPerFrame;
}

}  // namespace varnelo
