#include "platform/qtaudiooutput.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <vector>

#include "platform/pcmsourcedevice.h"
#include "platform/playedclock.h"

namespace varnelo {

namespace {

// How often the played count is published. A frame the engine waits for is reported when it
// plays by a timer of its own, so this only keeps the count fresh for readers that poll it: each
// wake asks the sound server, and at 10 ms these wakes were most of what reciting cost.
constexpr int kTickMs = 40;
// After the source ends the device plays out its buffer; it is given up on only when its played
// count stands still this long.
constexpr int kStallMs = 500;
// A stopped sink is kept this long before it is deleted: the sound server's thread may still be
// delivering a callback into it (an underflow at the end of a section), and Qt's PulseAudio sink
// does not wait for those before it is destroyed.
constexpr int kRetireMs = 2000;
// At exit only callbacks already under way can still arrive: a short wait covers them.
constexpr int kExitGraceMs = 250;

qint64 steadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

// What one session's sink pulls: the output's source for as long as the session is current.
class QtAudioOutput::Feed : public PcmSource {
public:
    explicit Feed(QtAudioOutput &owner) : m_owner(owner) {}
    qint64 readFrames(qint16 *out, qint64 frames) override {
        return m_owner.readFor(session, out, frames);
    }
    quint64 session = 0;

private:
    QtAudioOutput &m_owner;
};

// The sink and everything Qt calls while it plays; lives on the audio thread.
class QtAudioOutput::Player : public QObject {
public:
    explicit Player(QtAudioOutput &owner)
        : m_owner(owner), m_feed(owner), m_pcm(this), m_tick(this), m_due(this) {
        m_tick.setTimerType(Qt::PreciseTimer);
        m_tick.setInterval(kTickMs);
        connect(&m_tick, &QTimer::timeout, this, &Player::onTick);
        m_due.setTimerType(Qt::PreciseTimer);
        m_due.setSingleShot(true);
        connect(&m_due, &QTimer::timeout, this, &Player::onDue);
    }

    void start(quint64 session, const QAudioFormat &format, int bufferMs) {
        stop();
        m_session = session;
        m_rate = format.sampleRate();
        m_lastPlayed = -1;
        m_feed.session = session;
        m_pcm.setSource(&m_feed);
        deleteRetiredSinks();
        m_sink = std::make_unique<QAudioSink>(m_owner.m_device, format);
        m_sink->setBufferSize(qsizetype(m_rate) * PcmSourceDevice::kBytesPerFrame * bufferMs /
                              1000);
        m_pcm.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        m_sink->start(&m_pcm);
        if (m_sink->error() != QAudio::NoError) {
            finish(0);
            return;
        }
        m_clock.restart(steadyNs(), m_rate);
        m_tick.start();
    }

    void stop() {
        m_tick.stop();
        m_due.stop();
        if (m_sink) {
            publishPlayed();
            retireSink();
        }
        m_pcm.close();
        m_pcm.setSource(nullptr);
    }

    // Called on the thread that owns the player once its thread has ended.
    ~Player() override {
        // Callbacks already under way into the youngest stopped sink land before it goes.
        qint64 youngest = kExitGraceMs;
        for (const Retired &retired : m_retired) {
            youngest = std::min(youngest, retired.since.elapsed());
        }
        if (youngest < kExitGraceMs) {
            QThread::msleep(quint64(kExitGraceMs - youngest));
        }
    }

    void setPaused(bool paused) {
        if (!m_sink) {
            return;
        }
        if (paused) {
            m_sink->suspend();
            publishPlayed();
        } else {
            m_sink->resume();
            m_clock.restart(steadyNs(), m_rate, m_owner.m_played.load(std::memory_order_relaxed));
        }
        // A suspended sink plays nothing: ticking on would only wake this thread for nothing, and
        // would take the held play-out at a section's end for a stall.
        if (paused) {
            m_tick.stop();
            m_due.stop();
        } else {
            m_sinceSourceEnded.start();
            m_tick.start();
        }
    }

private:
    // The sink's count steps by tens of ms at each of the server's timing updates; the clock's
    // line through it does not. Never back, never past what the sink was given.
    qint64 publishPlayed() {
        const qint64 now = steadyNs();
        m_clock.report(now, std::clamp<qint64>(m_sink->processedUSecs() * m_rate / 1000000, 0,
                                               m_pcm.framesRead()));
        const qint64 before = m_owner.m_played.load(std::memory_order_relaxed);
        const qint64 played =
            std::clamp<qint64>(m_clock.framesAt(now), before, std::max(before, m_pcm.framesRead()));
        m_owner.publish(m_session, played, false);
        return played;
    }

    void retireSink() {
        m_sink->stop();
        QElapsedTimer since;
        since.start();
        m_retired.push_back({std::move(m_sink), since});
    }

    void deleteRetiredSinks() {
        std::erase_if(m_retired,
                      [](const Retired &retired) { return retired.since.elapsed() > kRetireMs; });
    }

    // The device went away, failed or played out: what was read counts as played.
    void finish(qint64 played) {
        m_owner.publish(m_session, played, true);
        m_tick.stop();
        m_due.stop();
        retireSink();
        m_pcm.close();
        m_pcm.setSource(nullptr);
        m_owner.reportProgress();
    }

    void onTick() {
        if (!m_sink) {
            return;
        }
        const qint64 played = publishPlayed();
        if (m_sink->state() == QAudio::StoppedState) {
            finish(played);
            return;
        }
        if (m_pcm.sourceEnded()) {
            if (played != m_lastPlayed) {
                m_lastPlayed = played;
                m_sinceSourceEnded.start();
            }
            if (played >= m_pcm.framesRead()) {
                finish(played);
                return;
            }
            if (m_sinceSourceEnded.elapsed() > kStallMs) {
                finish(m_pcm.framesRead());
                return;
            }
        }
        armDue(played);
        m_owner.reportProgress();
    }

    // A frame the engine waits for that falls before the next tick is reported when it plays,
    // not up to a tick late.
    void armDue(qint64 played) {
        const qint64 ahead = m_owner.m_dueFrame.load(std::memory_order_acquire) - played;
        // Nothing due is the largest frame: compare before scaling.
        if (ahead > 0 && ahead < qint64(m_rate) * kTickMs / 1000) {
            m_due.start(int((ahead * 1000 + m_rate - 1) / m_rate));
        }
    }

    void onDue() {
        if (m_sink) {
            // The line may have moved by a few frames since the timer was armed.
            armDue(publishPlayed());
            m_owner.reportProgress();
        }
    }

    struct Retired {
        std::unique_ptr<QAudioSink> sink;
        QElapsedTimer since;
    };

    QtAudioOutput &m_owner;
    Feed m_feed;
    std::unique_ptr<QAudioSink> m_sink;
    std::vector<Retired> m_retired;  // stopped sinks waiting out late callbacks
    PcmSourceDevice m_pcm;
    PlayedClock m_clock;
    QTimer m_tick;
    QTimer m_due;  // the engine's next due frame, when it falls between two ticks
    QElapsedTimer m_sinceSourceEnded;  // restarted whenever the played count moves
    qint64 m_lastPlayed = -1;
    quint64 m_session = 0;
    int m_rate = 0;
};

QtAudioOutput::QtAudioOutput(QObject *parent)
    : QtAudioOutput(QMediaDevices::defaultAudioOutput(), parent) {}

QtAudioOutput::QtAudioOutput(const QAudioDevice &device, QObject *parent)
    : QObject(parent), m_device(device), m_player(std::make_unique<Player>(*this)) {
    m_thread.setObjectName(QStringLiteral("audio"));
    m_player->moveToThread(&m_thread);
}

QtAudioOutput::~QtAudioOutput() {
    if (m_thread.isRunning()) {
        stop();
        // The sink is stopped on its own thread before that thread ends.
        post([this] {
            m_player->stop();
            m_thread.quit();
        });
        m_thread.wait();
    }
}

void QtAudioOutput::post(std::function<void()> fn) {
    if (!m_thread.isRunning()) {
        m_thread.start(QThread::TimeCriticalPriority);
    }
    QMetaObject::invokeMethod(m_player.get(), std::move(fn), Qt::QueuedConnection);
}

void QtAudioOutput::publish(quint64 session, qint64 played, bool ended) {
    const std::lock_guard lock(m_stateMutex);
    if (session != m_session) {
        return;
    }
    m_played.store(played, std::memory_order_release);
    if (ended) {
        m_active.store(false, std::memory_order_release);
    }
}

qint64 QtAudioOutput::readFor(quint64 session, qint16 *out, qint64 frames) {
    const std::lock_guard lock(m_sourceMutex);
    return m_source != nullptr && session == m_sourceSession ? m_source->readFrames(out, frames)
                                                             : 0;
}

void QtAudioOutput::reportProgress() {
    const std::lock_guard lock(m_progressMutex);
    if (m_progress) {
        m_progress();
    }
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
    quint64 session = 0;
    {
        const std::lock_guard lock(m_stateMutex);
        session = ++m_session;
        m_played.store(0, std::memory_order_release);
        m_active.store(true, std::memory_order_release);
    }
    {
        const std::lock_guard lock(m_sourceMutex);
        m_source = source;
        m_sourceSession = session;
    }
    post([this, session, format, bufferMs = m_bufferMs] {
        m_player->start(session, format, bufferMs);
    });
    return true;
}

void QtAudioOutput::stop() {
    // Only this thread writes m_source: reading it unlocked here is safe.
    if (m_source != nullptr) {
        m_source->interrupt();
        const std::lock_guard lock(m_sourceMutex);  // waits out a read under way
        m_source = nullptr;
    }
    {
        // The count stays as last published; the sink's later reports are not heard.
        const std::lock_guard lock(m_stateMutex);
        ++m_session;
        m_active.store(false, std::memory_order_release);
    }
    if (m_thread.isRunning()) {
        post([this] { m_player->stop(); });
    }
}

void QtAudioOutput::setPaused(bool paused) {
    if (m_thread.isRunning()) {
        post([this, paused] { m_player->setPaused(paused); });
    }
}

void QtAudioOutput::setProgressHandler(std::function<void()> handler) {
    const std::lock_guard lock(m_progressMutex);  // waits out a call under way
    m_progress = std::move(handler);
}

}  // namespace varnelo
