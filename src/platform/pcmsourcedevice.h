#pragma once

#include <QIODevice>

#include "platform/audiooutput.h"

namespace varnelo {

// A PCM source seen as a sequential read-only device of 16-bit stereo bytes, for sinks that pull
// from a QIODevice. Used on one thread, the one that reads.
class PcmSourceDevice : public QIODevice {
public:
    static constexpr int kBytesPerFrame = 4;

    explicit PcmSourceDevice(QObject *parent = nullptr) : QIODevice(parent) {}

    // Reads from source from now on, counting afresh; nullptr reads nothing.
    void setSource(PcmSource *source);
    // True once the source returned 0 for a request of at least one whole frame.
    bool sourceEnded() const { return m_ended; }
    qint64 framesRead() const { return m_framesRead; }

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

protected:
    // Whole frames only: a request shorter than one frame gives 0 bytes and is not the end.
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    PcmSource *m_source = nullptr;
    qint64 m_framesRead = 0;
    bool m_ended = false;
};

}  // namespace varnelo
