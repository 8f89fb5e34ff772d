#include "platform/qtaudiooutput.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

#include <algorithm>
#include <limits>

namespace varnelo {

namespace {

constexpr int kBytesPerFrame = 4;  // 16-bit stereo
constexpr int kTickMs = 10;
// After the source ends the device plays out its buffer; it is given up on only when its played
// count stands still this long.
constexpr int kStallMs = 500;

}  // namespace

QtAudioOutput::QtAudioOutput(QObject *parent)
    : QtAudioOutput(QMediaDevices::defaultAudioOutput(), parent) {}

QtAudioOutput::QtAudioOutput(const QAudioDevice &device, QObject *parent)
    : QObject(parent), m_device(device), m_pcm(*this) {
    m_tick.setTimerType(Qt::PreciseTimer);
    m_tick.setInterval(kTickMs);
    connect(&m_tick, &QTimer::timeout, this, &QtAudioOutput::onTick);
}

QtAudioOutput::~QtAudioOutput() {
    stop();
}

qint64 QtAudioOutput::PcmDevice::bytesAvailable() const {
    return m_owner.m_sourceEnded ? 0 : std::numeric_limits<int>::max();
}

qint64 QtAudioOutput::PcmDevice::readData(char *data, qint64 maxSize) {
    if (m_owner.m_source == nullptr || m_owner.m_sourceEnded) {
        return 0;
    }
    const qint64 frames = maxSize / kBytesPerFrame;
    const qint64 got = m_owner.m_source->readFrames(reinterpret_cast<qint16 *>(data), frames);
    if (got <= 0) {
        m_owner.m_sourceEnded = true;
        m_owner.m_sinceSourceEnded.start();
        return 0;
    }
    m_owner.m_framesRead += got;
    return got * kBytesPerFrame;
}

bool QtAudioOutput::start(PcmSource *source, int sampleRate) {
    stop();
    if (m_device.isNull() || source == nullptr || sampleRate <= 0) {
        return false;
    }
    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(2);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!m_device.isFormatSupported(format)) {
        return false;
    }
    m_source = source;
    m_rate = sampleRate;
    m_framesRead = 0;
    m_framesFinal = 0;
    m_lastPlayed = -1;
    m_sourceEnded = false;
    m_sink = std::make_unique<QAudioSink>(m_device, format);
    m_sink->setBufferSize(qsizetype(sampleRate) * kBytesPerFrame * m_bufferMs / 1000);
    m_pcm.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    m_sink->start(&m_pcm);
    if (m_sink->error() != QAudio::NoError) {
        stop();
        return false;
    }
    m_active = true;
    m_tick.start();
    return true;
}

void QtAudioOutput::stop() {
    m_tick.stop();
    if (m_sink) {
        m_sink->stop();
        m_sink.reset();
    }
    m_pcm.close();
    m_source = nullptr;
    m_active = false;
}

void QtAudioOutput::setPaused(bool paused) {
    if (!m_sink) {
        return;
    }
    if (paused) {
        m_sink->suspend();
    } else {
        m_sink->resume();
    }
}

qint64 QtAudioOutput::framesPlayed() const {
    if (!m_sink) {
        return m_framesFinal;
    }
    const qint64 played = m_sink->processedUSecs() * m_rate / 1000000;
    return std::clamp<qint64>(played, 0, m_framesRead);
}

void QtAudioOutput::finish() {
    m_framesFinal = m_framesRead;
    stop();
}

void QtAudioOutput::onTick() {
    if (m_sink && m_sink->state() == QAudio::StoppedState) {
        // The device went away or failed: what was played stays counted.
        m_framesRead = framesPlayed();
        finish();
    } else if (m_sourceEnded) {
        const qint64 played = framesPlayed();
        if (played != m_lastPlayed) {
            m_lastPlayed = played;
            m_sinceSourceEnded.start();
        }
        if (played >= m_framesRead || m_sinceSourceEnded.elapsed() > kStallMs) {
            finish();
        }
    }
    if (m_progress) {
        m_progress();
    }
}

}  // namespace varnelo
