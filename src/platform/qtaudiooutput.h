#pragma once

#include <QAudioDevice>
#include <QObject>
#include <QThread>

#include <atomic>
#include <limits>
#include <memory>
#include <mutex>

#include "platform/audiooutput.h"

namespace varnelo {

// The sound card through Qt Multimedia: a QAudioSink in pull mode reading the engine's PCM. The
// sink lives on a thread of its own, so Qt's pulls never wait on the thread that controls the
// output, and control calls are posted to it: a pull that is slow to return holds up no caller.
// The played count comes from the device (processedUSecs), not from what was read ahead.
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
    void setDueFrame(qint64 frame) override { m_dueFrame.store(frame, std::memory_order_release); }

private:
    class Player;
    class Feed;

    // Runs fn on the audio thread, starting it when needed; does not wait for fn.
    void post(std::function<void()> fn);
    // From the audio thread: the played count of a session and, with ended, its end. A session
    // the controlling thread has moved on from is not heard.
    void publish(quint64 session, qint64 played, bool ended);
    // From the audio thread: reads the session's source; 0 once the session is over.
    qint64 readFor(quint64 session, qint16 *out, qint64 frames);
    void reportProgress();

    QAudioDevice m_device;
    int m_bufferMs = 150;
    QThread m_thread;
    std::unique_ptr<Player> m_player;  // lives on m_thread

    std::mutex m_stateMutex;  // orders the audio thread's stores after the session changes
    quint64 m_session = 0;    // the current start(); every start and stop moves it on
    std::atomic<qint64> m_played{0};
    std::atomic<bool> m_active{false};
    std::atomic<qint64> m_dueFrame{std::numeric_limits<qint64>::max()};

    std::mutex m_sourceMutex;  // held through every read of the source
    PcmSource *m_source = nullptr;
    quint64 m_sourceSession = 0;

    std::mutex m_progressMutex;  // held through every call of the handler
    std::function<void()> m_progress;
};

}  // namespace varnelo
