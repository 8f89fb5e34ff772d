#pragma once

#include <QAudioDevice>
#include <QObject>
#include <QThread>

#include <atomic>
#include <memory>

#include "platform/audiooutput.h"

namespace varnelo {

// The sound card through Qt Multimedia: a QAudioSink in pull mode reading the engine's PCM. The
// sink lives on a thread of its own, so Qt's pulls never wait on the thread that controls the
// output. The played count comes from the device (processedUSecs), not from what was read ahead.
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
    qint64 framesPlayed() const override { return m_played.load(std::memory_order_acquire); }
    bool isActive() const override { return m_active.load(std::memory_order_acquire); }
    void setProgressHandler(std::function<void()> handler) override;

private:
    class Player;

    // Runs fn on the audio thread and waits for it.
    void onAudioThread(const std::function<void()> &fn);

    QAudioDevice m_device;
    int m_bufferMs = 150;
    QThread m_thread;
    std::unique_ptr<Player> m_player;  // lives on m_thread
    std::atomic<qint64> m_played{0};
    std::atomic<bool> m_active{false};
};

}  // namespace varnelo
