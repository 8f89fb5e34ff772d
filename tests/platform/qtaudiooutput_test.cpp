#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "../testapplication.h"
#include "mp3fixture.h"
#include "platform/qtaudiooutput.h"
#include "recitation/clsfmod.h"

using namespace varnelo;
using namespace varnelo::test;

namespace {

constexpr int kRate = 44100;

// The null sink from tools/sound-server.sh for the life of a test; what the script had to start
// (a daemon, the sink module) is stopped again at the end, a server that was running stays.
class SoundServer {
public:
    SoundServer() {
        QProcess script;
        script.start("bash", {kScript, "start", m_state.filePath("state")});
        if (!script.waitForFinished(20000)) {
            m_error = "tools/sound-server.sh did not finish";
        } else if (script.exitStatus() != QProcess::NormalExit || script.exitCode() != 0) {
            m_error = script.readAllStandardError().trimmed();
        }
    }
    ~SoundServer() { QProcess::execute("bash", {kScript, "stop", m_state.filePath("state")}); }
    bool started() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }

private:
    static constexpr const char *kScript = VARNELO_SOURCE_DIR "/tools/sound-server.sh";
    QTemporaryDir m_state;
    QString m_error;
};

constexpr const char *kNoNullSink =
    "Qt Multimedia does not see the PulseAudio null sink (another backend?)";

// The server's null sink as Qt Multimedia lists it; a null device when it is not listed.
QAudioDevice findNullSink() {
    for (const QAudioDevice &device : QMediaDevices::audioOutputs()) {
        if (device.id() == "varnelo_null") {
            return device;
        }
    }
    return {};
}

}  // namespace

// Plays a tone through the real sink into a PulseAudio null sink and records what reached it,
// while the thread that drives the engine stalls for a second in the middle without handling
// events.
TEST(QtAudioOutput, PlaysTheToneAtItsLevelIntoASoundServerThroughAStall) {
    VARNELO_SKIP_WITHOUT_LAME();
    SoundServer server;
    if (!server.started()) {
        VARNELO_SKIP_UNLESS_CI("no sound server could be started ("
                               << server.error().toStdString()
                               << "): the playback test needs PulseAudio");
    }
    if (QStandardPaths::findExecutable("parec").isEmpty()) {
        VARNELO_SKIP_UNLESS_CI(
            "parec (pulseaudio-utils) is not installed: nothing can record the sink");
    }

    TestCoreApplication app;
    const QAudioDevice nullSink = findNullSink();
    if (nullSink.isNull()) {
        VARNELO_SKIP_UNLESS_CI(kNoNullSink);
    }

    Mp3Maker maker;
    const QString path = maker.make("tone", tone(kRate, 2, 3 * kRate, 1000, 0.25), {"-b", "192"});
    ASSERT_FALSE(path.isEmpty());
    QtAudioOutput output(nullSink);
    clsFMod fmod(output);
    ASSERT_TRUE(fmod.OpenMP3File(path));
    fmod.SetVolume(500);  // 128 of 255: -6 dB on the -12 dBFS tone

    QProcess recorder;
    recorder.start("parec", {"--device=varnelo_null.monitor", "--raw", "--format=s16le",
                             "--rate=44100", "--channels=2", "--latency-msec=20"});
    ASSERT_TRUE(recorder.waitForStarted(5000));
    runEventsFor(400);

    fmod.Play(500, 2700);  // 2.0 s of sound: 500..2500 ms
    runEventsFor(400);
    QThread::msleep(1000);
    qint32 pos = 0;
    QElapsedTimer timer;
    timer.start();
    while (fmod.isPlaying() && timer.elapsed() < 8000) {
        runEventsFor(20);
        const qint32 last = pos;
        fmod.GetPosition(pos);
        EXPECT_GE(pos, last);
    }
    EXPECT_FALSE(fmod.isPlaying());
    fmod.GetPosition(pos);
    EXPECT_EQ(pos, 2700);
    runEventsFor(400);
    recorder.terminate();
    recorder.waitForFinished(5000);

    const QByteArray raw = recorder.readAllStandardOutput();
    const auto *pcm = reinterpret_cast<const qint16 *>(raw.constData());
    const qint64 frames = raw.size() / 4;
    const qint64 onset = firstLoudFrame(pcm, frames, 2, 1000);
    ASSERT_GE(onset, 0) << "nothing was heard in " << frames << " recorded frames";
    qint64 lastLoud = onset;
    for (qint64 i = onset; i < frames; ++i) {
        if (std::abs(int(pcm[2 * i])) > 1000) {
            lastLoud = i;
        }
    }
    // All of it was heard, and the stall left no hole in it: near zero the tone stays for at
    // most two samples of a crossing.
    EXPECT_GE(double(lastLoud - onset) / kRate, 1.97);
    EXPECT_LE(double(lastLoud - onset) / kRate, 2.05);
    qint64 longestQuiet = 0;
    for (qint64 i = onset, run = 0; i <= lastLoud; ++i) {
        run = std::abs(int(pcm[2 * i])) < 300 ? run + 1 : 0;
        longestQuiet = std::max(longestQuiet, run);
    }
    EXPECT_LE(longestQuiet, 2) << "a hole of " << longestQuiet << " frames";

    // A 1 kHz tone at -18 dBFS in both channels, judged by the median of 200 ms windows.
    const qint64 window = kRate / 5;
    std::vector<double> frequencies;
    std::array<std::vector<double>, 2> levels;
    for (qint64 from = onset + kRate / 10; from + window < lastLoud; from += window) {
        int crossings = 0;
        for (qint64 i = from + 1; i < from + window; ++i) {
            crossings += (pcm[2 * (i - 1)] < 0) != (pcm[2 * i] < 0) ? 1 : 0;
        }
        frequencies.push_back(crossings / 2.0 * kRate / double(window));
        for (int channel = 0; channel < 2; ++channel) {
            levels[size_t(channel)].push_back(
                toneLevelDb(pcm + 2 * from, window, 2, channel, kRate, 1000));
        }
    }
    ASSERT_GE(frequencies.size(), 5u);
    auto median = [](std::vector<double> values) {
        std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
        return values[values.size() / 2];
    };
    EXPECT_NEAR(median(frequencies), 1000, 5);
    for (const std::vector<double> &channel : levels) {
        EXPECT_NEAR(median(channel), -12.04 + 20 * std::log10(128.0 / 255), 1.0);
    }
}

namespace {

// Endless silence that counts its pulls.
class CountingSource : public PcmSource {
public:
    qint64 readFrames(qint16 *out, qint64 frames) override {
        ++m_reads;
        std::fill(out, out + 2 * frames, qint16(0));
        return frames;
    }
    int reads() const { return m_reads; }

private:
    std::atomic<int> m_reads{0};
};

}  // namespace

// Without a device nothing starts, nothing is pulled, and the engine reports that it plays
// nothing rather than a position that never moves.
TEST(QtAudioOutput, WithoutADeviceStartFailsAndTheEngineDoesNotPlay) {
    TestCoreApplication app;
    QtAudioOutput output{QAudioDevice()};
    EXPECT_FALSE(output.isAvailable());
    CountingSource source;
    EXPECT_FALSE(output.start(&source, kRate));
    EXPECT_FALSE(output.isActive());
    EXPECT_EQ(output.framesPlayed(), 0);
    output.setPaused(true);
    output.stop();
    runEventsFor(100);
    EXPECT_EQ(source.reads(), 0);

    VARNELO_SKIP_WITHOUT_LAME();
    Mp3Maker maker;
    const QString path = maker.make("tone", tone(kRate, 2, kRate, 1000, 0.25), {"-b", "128"});
    ASSERT_FALSE(path.isEmpty());
    clsFMod fmod(output);
    ASSERT_TRUE(fmod.OpenMP3File(path));
    fmod.Play(0, 500);
    runEventsFor(100);
    EXPECT_FALSE(fmod.isPlaying());
    EXPECT_FALSE(output.isActive());
    EXPECT_EQ(source.reads(), 0);
}

namespace {

// A source whose reads wait until it is interrupted, as a seek waiting for a stalled disk does.
// A read lets go by itself after a long safety delay, so that an output that wrongly waits for
// it fails the checks instead of hanging.
class StalledSource : public PcmSource {
public:
    qint64 readFrames(qint16 *out, qint64 frames) override {
        std::unique_lock lock(m_mutex);
        m_reading = true;
        m_changed.notify_all();
        if (!m_changed.wait_for(lock, kSafetyLimit, [this] { return m_interrupted; })) {
            m_gaveUp = true;
        }
        std::fill(out, out + 2 * frames, qint16(0));
        return m_interrupted ? 0 : frames;
    }
    void interrupt() override {
        const std::lock_guard lock(m_mutex);
        m_interrupted = true;
        m_changed.notify_all();
    }
    bool waitUntilReading() {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, kSafetyLimit, [this] { return m_reading; });
    }
    bool gaveUp() const {
        const std::lock_guard lock(m_mutex);
        return m_gaveUp;
    }

private:
    static constexpr auto kSafetyLimit = std::chrono::seconds(30);
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_reading = false;
    bool m_interrupted = false;
    bool m_gaveUp = false;
};

}  // namespace

// With the device's pull stuck in a read, the control calls still return: pausing and resuming
// are handed to the audio thread without waiting, and stopping interrupts the read.
TEST(QtAudioOutput, ControlCallsDoNotWaitForAPullThatIsStuck) {
    SoundServer server;
    if (!server.started()) {
        VARNELO_SKIP_UNLESS_CI("no sound server could be started ("
                               << server.error().toStdString()
                               << "): the playback test needs PulseAudio");
    }
    TestCoreApplication app;
    const QAudioDevice nullSink = findNullSink();
    if (nullSink.isNull()) {
        VARNELO_SKIP_UNLESS_CI(kNoNullSink);
    }
    QtAudioOutput output(nullSink);
    StalledSource stalled;
    ASSERT_TRUE(output.start(&stalled, kRate));
    EXPECT_TRUE(output.isActive());
    ASSERT_TRUE(stalled.waitUntilReading());
    output.setPaused(true);
    output.setPaused(false);
    output.stop();
    EXPECT_FALSE(output.isActive());
    EXPECT_FALSE(stalled.gaveUp());

    // The output plays again once its thread is free.
    CountingSource counting;
    ASSERT_TRUE(output.start(&counting, kRate));
    ASSERT_TRUE(eventually([&] { return output.framesPlayed() > 0; }));
    output.stop();
    EXPECT_FALSE(stalled.gaveUp());
}
