#pragma once

#include <QAudioDevice>
#include <QElapsedTimer>
#include <QIODevice>
#include <QObject>
#include <QTimer>

#include <memory>

#include "platform/audiooutput.h"

class QAudioSink;

namespace varnelo {

// The sound card through Qt Multimedia: a QAudioSink in pull mode reading the engine's PCM. The
// played count comes from the device (processedUSecs), not from what was read ahead. Qt reads the
// PCM on the thread that owns the sink, the one that calls start().
class QtAudioOutput : public QObject, public AudioOutput {
    Q_OBJECT
public:
    // Plays on the system's default output; without one, isAvailable() is false.
    explicit QtAudioOutput(QObject *parent = nullptr);
    // Plays on the given device (a null device means none).
    explicit QtAudioOutput(const QAudioDevice &device, QObject *parent = nullptr);
    ~QtAudioOutput() override;

    bool isAvailable() const override { return !m_device.isNull(); }
    void setBufferMs(int ms) override { m_bufferMs = ms; }
    bool start(PcmSource *source, int sampleRate) override;
    void stop() override;
    void setPaused(bool paused) override;
    qint64 framesPlayed() const override;
    bool isActive() const override { return m_active; }
    void setProgressHandler(std::function<void()> handler) override {
        m_progress = std::move(handler);
    }

private:
    // The PCM source seen as a sequential read-only device.
    class PcmDevice : public QIODevice {
    public:
        explicit PcmDevice(QtAudioOutput &owner) : m_owner(owner) {}
        bool isSequential() const override { return true; }
        qint64 bytesAvailable() const override;

    protected:
        qint64 readData(char *data, qint64 maxSize) override;
        qint64 writeData(const char *, qint64) override { return -1; }

    private:
        QtAudioOutput &m_owner;
    };

    void onTick();
    void finish();

    QAudioDevice m_device;
    std::unique_ptr<QAudioSink> m_sink;
    PcmDevice m_pcm;
    PcmSource *m_source = nullptr;
    std::function<void()> m_progress;
    QTimer m_tick;
    QElapsedTimer m_sinceSourceEnded;  // restarted whenever the played count moves
    qint64 m_lastPlayed = -1;
    int m_bufferMs = 150;
    int m_rate = 0;
    qint64 m_framesRead = 0;
    qint64 m_framesFinal = 0;
    bool m_active = false;
    bool m_sourceEnded = false;
};

}  // namespace varnelo
