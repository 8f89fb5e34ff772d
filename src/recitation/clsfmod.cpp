#include "recitation/clsfmod.h"

#include <QThread>

#include <algorithm>
#include <limits>

namespace varnelo {

namespace {

// Device buffer: long enough not to underrun on a busy machine, short enough that a pause, a
// volume or an equalizer change is heard at once.
constexpr int kDeviceBufferMs = 150;
constexpr qint32 kMaxChannels = 64;
constexpr qint32 kErrorInitializingOutput = 3;
constexpr qint32 kVolumeSteps = 1000;
constexpr qint32 kMasterVolumeMax = 255;

}  // namespace

// Feeds the output from the decoder on the audio thread: equalizer, then volume and limiter, up
// to the section end. Settings come from the engine's thread through atomics and are taken up at
// the next block; nothing here allocates or waits on the engine's thread, and a wait for the
// frame index ends when the output stops.
class clsFMod::Source : public PcmSource {
public:
    explicit Source(clsFMod &engine) : m_engine(engine), m_mix(size_t(kMaxBlockFrames) * 2) {}

    // Only while the output is stopped (its start() hands these to the audio thread): the next
    // start plays from sample `from` of a stream at that rate.
    void prepare(qint64 from, int sampleRate) {
        m_from = from;
        m_rate = sampleRate;
        m_fresh = true;
        m_engine.m_stream.resumeReader();
    }

    // A seek far ahead waits for the frame index, which a slow disk may take long to reach: a
    // stop, a new section or a new file must not wait for it.
    void interrupt() override { m_engine.m_stream.haltReader(); }

    void setEndSample(qint64 sample) { m_endSample.store(sample, std::memory_order_relaxed); }

    void setEqualizer(bool enabled, const EqGainTable &gains) {
        m_eqEnabled.store(enabled, std::memory_order_relaxed);
        for (size_t i = 0; i < gains.size(); ++i) {
            m_gains[i].store(gains[i], std::memory_order_relaxed);
        }
        m_generation.fetch_add(1, std::memory_order_release);
    }

    void setGain(double gain) {
        m_gain.store(gain, std::memory_order_relaxed);
        m_generation.fetch_add(1, std::memory_order_release);
    }

    qint64 readFrames(qint16 *out, qint64 frames) override {
        if (frames <= 0) {
            return 0;
        }
        Mp3Stream &stream = m_engine.m_stream;
        if (m_fresh) {
            m_fresh = false;
            if (!stream.seekSample(m_from)) {
                return 0;
            }
            m_eq.setSampleRate(m_rate);
            m_master.setSampleRate(m_rate);
            applySettings();
            m_eq.reset();
            m_master.reset();
        } else if (m_generation.load(std::memory_order_acquire) != m_applied) {
            applySettings();
        }
        const qint64 end = m_endSample.load(std::memory_order_relaxed);
        qint64 done = 0;
        while (done < frames) {
            const qint64 wanted = std::clamp<qint64>(end - stream.tellSample(), 0,
                                                     std::min(frames - done, kMaxBlockFrames));
            const qint64 got = wanted > 0 ? stream.read(out + 2 * done, wanted) : 0;
            if (got <= 0) {
                break;
            }
            const qint16 *pcm = out + 2 * done;
            for (qint64 i = 0; i < got * 2; ++i) {
                m_mix[size_t(i)] = pcm[i] / 32768.0;
            }
            m_eq.process(m_mix.data(), got);
            m_master.process(m_mix.data(), out + 2 * done, got);
            done += got;
        }
        return done;
    }

private:
    static constexpr qint64 kMaxBlockFrames = 4096;

    void applySettings() {
        m_applied = m_generation.load(std::memory_order_acquire);
        EqGainTable gains;
        for (size_t i = 0; i < gains.size(); ++i) {
            gains[i] = m_gains[i].load(std::memory_order_relaxed);
        }
        m_eq.setEnabled(m_eqEnabled.load(std::memory_order_relaxed));
        m_eq.setGains(gains);
        m_master.setGain(m_gain.load(std::memory_order_relaxed));
    }

    clsFMod &m_engine;
    // Written by the engine's thread at any time; a change bumps m_generation after the values.
    std::array<std::atomic<float>, ParametricEq::kBands> m_gains{};
    std::atomic<bool> m_eqEnabled{false};
    std::atomic<double> m_gain{1.0};
    std::atomic<quint32> m_generation{0};
    std::atomic<qint64> m_endSample{0};
    // Written only while the output is stopped.
    qint64 m_from = 0;
    int m_rate = 44100;
    bool m_fresh = false;
    // The audio thread's own.
    quint32 m_applied = 0;
    ParametricEq m_eq;
    MasterStage m_master;
    std::vector<double> m_mix;
};

clsFMod::clsFMod(AudioOutput &output, MessageReporter report)
    : m_output(output),
      m_report(std::move(report)),
      m_source(std::make_unique<Source>(*this)),
      m_context(std::make_unique<QObject>()) {
    m_output.setProgressHandler([this] { progressFromOutput(); });
    FMOD_Initialize(300, 44100, 5, 4, 2, 4, 0);
}

clsFMod::~clsFMod() {
    m_output.stop();
    m_output.setProgressHandler({});
}

void clsFMod::FMOD_Initialize(qint32 streamBufferMs, qint32 mixRate, qint32 maxChannels,
                              qint32 initFlags, qint32 outputType, qint32 mixerType,
                              qint32 driver) {
    // Our output plays every file at its own rate from a decoder that reads on demand: the
    // stream buffer, mix rate and the device choices have nothing left to set.
    Q_UNUSED(streamBufferMs);
    Q_UNUSED(mixRate);
    Q_UNUSED(initFlags);
    Q_UNUSED(outputType);
    Q_UNUSED(mixerType);
    Q_UNUSED(driver);
    if (maxChannels > kMaxChannels) {
        if (m_report) {
            m_report(QStringLiteral("Error"), QStringLiteral("You can only have a maximum of ") +
                                                  QString::number(kMaxChannels) +
                                                  QStringLiteral(" channels."));
        }
        return;
    }
    m_output.setBufferMs(kDeviceBufferMs);
    m_outputReady = m_output.isAvailable();
    if (!m_outputReady && m_report) {
        m_report(QString(), QStringLiteral("FMOD Cannot initialize because of an error.\r\n") +
                                FModErrorText(kErrorInitializingOutput));
    }
}

QString clsFMod::FModErrorText(qint32 code) {
    static const char *const texts[] = {
        "No errors",
        "Cannot call this command after FSOUND_Init.  Call FSOUND_Close first.",
        "This command failed because FSOUND_Init was not called",
        "Error initializing output device.",
        "The output device is already in use and cannot be reused.",
        "Playing the sound failed.",
        "Soundcard does not support the features needed for this soundsystem (16bit stereo "
        "output)",
        "Error setting cooperative level for hardware.",
        "Error creating hardware sound buffer.",
        "File not found",
        "Unknown file format",
        "Error loading file",
        "Not enough memory ",
        "The version number of this file format is not supported",
        "An invalid parameter was passed to this function",
        "Tried to use an EAX command on a non EAX enabled channel or output.",
        "Failed to allocate a new channel",
        "Recording is not supported on this machine",
        "Required Mediaplayer codec is not installed",
        "An error occured trying to open the specified CD device",
    };
    if (code < 0 || code >= qint32(std::size(texts))) {
        return QStringLiteral("Unknown error");
    }
    return QString::fromLatin1(texts[code]);
}

bool clsFMod::OpenMP3File(const QString &path) {
    CloseAll();
    return m_stream.open(path);
}

qint32 clsFMod::StreamLength() const {
    return qint32(std::min<qint64>(m_stream.lengthMs(), INT32_MAX));
}

void clsFMod::CloseAll() {
    StopPlaying();
    cancelAllWatches();
    m_stream.close();
    m_baseSample = 0;
}

void clsFMod::EnableEqualizer() {
    m_eqEnabled = true;
    m_source->setEqualizer(m_eqEnabled, m_eqGains);
}

void clsFMod::DisableEqualizer() {
    m_eqEnabled = false;
    m_source->setEqualizer(m_eqEnabled, m_eqGains);
}

void clsFMod::SetEqualizerValue() {
    m_eqGains = m_gainTable != nullptr ? *m_gainTable : EqGainTable{};
    m_source->setEqualizer(m_eqEnabled, m_eqGains);
}

void clsFMod::SetVolume(qint32 v) {
    // v / 1000 * 255 rounded to nearest, halves to even, in integers.
    const qint32 scaled = std::clamp(v, 0, kVolumeSteps) * kMasterVolumeMax;
    qint32 level = scaled / kVolumeSteps;
    const qint32 rest = scaled % kVolumeSteps;
    if (rest * 2 > kVolumeSteps || (rest * 2 == kVolumeSteps && level % 2 == 1)) {
        ++level;
    }
    m_masterVolume = level;
    m_source->setGain(double(level) / kMasterVolumeMax);
}

qint64 clsFMod::currentSample() const {
    return m_baseSample + (m_running ? m_output.framesPlayed() : 0);
}

qint32 clsFMod::streamTime() const {
    return qint32(m_stream.sampleToMs(currentSample()));
}

bool clsFMod::isPlaying() const {
    return m_running && m_output.isActive();
}

void clsFMod::stopOutput() {
    // Stopped first, so that the played count is final when it is read.
    m_output.stop();
    if (m_running) {
        m_baseSample += m_output.framesPlayed();
        m_running = false;
    }
    m_paused = false;
}

void clsFMod::startOutput() {
    if (!m_outputReady || !m_stream.isOpen()) {
        return;
    }
    updateSectionEnd();
    m_endReported = false;
    m_source->prepare(m_baseSample, m_stream.sampleRate());
    m_running = m_output.start(m_source.get(), m_stream.sampleRate());
}

void clsFMod::seekTo(qint32 ms) {
    // The decoder moves on the audio thread when the output starts; the position moves now.
    // The length is final only once the index is; the decoder clamps a seek past the end itself.
    m_baseSample = std::max<qint64>(m_stream.msToSample(std::max(ms, 0)), 0);
    if (m_stream.indexComplete()) {
        m_baseSample = std::min(m_baseSample, m_stream.lengthSamples());
    }
}

qint64 clsFMod::sampleReporting(qint32 pos) const {
    // The first sample whose stream time, with the lead, reports pos.
    const qint64 ms = std::max<qint64>(qint64(pos) - kPositionLead, 0);
    qint64 sample = m_stream.msToSample(ms);
    if (m_stream.sampleToMs(sample) < ms) {
        ++sample;
    }
    return sample;
}

void clsFMod::updateDue() {
    // The output's progress reaches this thread only when something is due: a watch or the end
    // of the section. While nothing is, the thread sleeps through the playback.
    qint64 due = m_endPosition > 0 ? sampleReporting(m_endPosition) : kNothingDue;
    for (const Watch &w : m_watches) {
        due = std::min(due, sampleReporting(w.ms));
    }
    const qint64 dueFrames =
        due == kNothingDue ? kNothingDue : std::max<qint64>(due - m_baseSample, 0);
    m_dueFrames.store(dueFrames, std::memory_order_release);
    m_output.setDueFrame(dueFrames);
}

void clsFMod::updateSectionEnd() {
    // Without an end the stream's own end stops the section: its length may still be an estimate.
    // The section ends on the first sample at or after its end, so the stream time reaches the
    // end exactly and watches at the end fire.
    m_source->setEndSample(m_endPosition > 0 ? sampleReporting(m_endPosition) : kNothingDue);
    updateDue();
}

void clsFMod::Play(qint32 from, qint32 to) {
    PauseBreaked = true;
    stopOutput();
    if (!m_stream.isOpen()) {
        return;
    }
    seekTo(from);
    m_endPosition = to > 0 ? to : 0;
    startOutput();
}

void clsFMod::StopPlaying() {
    stopOutput();
}

void clsFMod::PausePlaying() {
    m_paused = m_running;
    m_output.setPaused(true);
    PauseBreaked = false;
}

void clsFMod::ResumePlaying() {
    PauseBreaked = true;
    m_paused = false;
    m_output.setPaused(false);
}

void clsFMod::SetEnd(qint32 ms) {
    m_endPosition = ms;
    if (m_stream.isOpen()) {
        updateSectionEnd();
    }
}

void clsFMod::GetPosition(qint32 &pos) {
    const qint32 t = streamTime();
    if (m_endPosition > 0 && t >= m_endPosition - kPositionLead) {
        StopPlaying();
    }
    pos = t + kPositionLead;
}

void clsFMod::SetPositionInSec(qint32 ms) {
    if (!m_stream.isOpen()) {
        return;
    }
    const bool wasRunning = m_running && m_output.isActive();
    const bool wasPaused = m_paused;
    stopOutput();
    seekTo(ms);
    if (wasRunning) {
        startOutput();
        if (wasPaused) {
            PausePlaying();
        }
    }
}

void clsFMod::GetPositionByBytes(qint32 &bytes) {
    bytes = qint32(m_stream.frameOffsetAt(streamTime()));
}

int clsFMod::watchPosition(qint32 ms, std::function<void(qint32 pos)> callback) {
    const int id = m_nextWatchId++;
    m_watches.push_back({id, ms, std::move(callback)});
    updateDue();
    return id;
}

void clsFMod::cancelWatch(int id) {
    std::erase_if(m_watches, [id](const Watch &w) { return w.id == id; });
    updateDue();
}

void clsFMod::cancelAllWatches() {
    m_watches.clear();
    updateDue();
}

void clsFMod::progressFromOutput() {
    if (m_output.isActive()) {
        if (m_output.framesPlayed() < m_dueFrames.load(std::memory_order_acquire)) {
            return;
        }
    } else if (m_endReported.exchange(true)) {
        return;  // the end of the output needs telling once
    }
    if (QThread::currentThread() == m_context->thread()) {
        onProgress();
        return;
    }
    // One queued call at a time: a stalled thread finds one, not hundreds, when it wakes.
    if (!m_progressQueued.exchange(true)) {
        QMetaObject::invokeMethod(
            m_context.get(),
            [this] {
                m_progressQueued = false;
                onProgress();
            },
            Qt::QueuedConnection);
    }
}

void clsFMod::onProgress() {
    ++m_progressRuns;
    if (m_running && m_endPosition > 0 && streamTime() >= m_endPosition - kPositionLead) {
        StopPlaying();
    }
    fireWatches();
}

void clsFMod::fireWatches() {
    if (m_watches.empty() || !m_stream.isOpen()) {
        return;
    }
    const qint32 pos = streamTime() + kPositionLead;
    std::vector<Watch> due;
    for (auto it = m_watches.begin(); it != m_watches.end();) {
        if (pos >= it->ms) {
            due.push_back(std::move(*it));
            it = m_watches.erase(it);
        } else {
            ++it;
        }
    }
    updateDue();
    std::sort(due.begin(), due.end(), [](const Watch &a, const Watch &b) { return a.ms < b.ms; });
    // A callback may play, seek or add watches: the due list is ours alone by now.
    for (const Watch &w : due) {
        w.callback(pos);
    }
}

}  // namespace varnelo
