// Audio engine costs: decoding with the equalizer on, building the frame index of a 60-minute
// file, and starting playback from its middle.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>

#include <cmath>
#include <numbers>
#include <vector>

#include "platform/fakeaudiooutput.h"
#include "recitation/clsfmod.h"
#include "recitation/mp3stream.h"
#include "recitation/parametriceq.h"

using namespace varnelo;

namespace {

constexpr int kRate = 44100;
constexpr int kMinuteSeconds = 60;

void putLe(QByteArray &out, quint32 value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.append(char((value >> (8 * i)) & 0xFF));
    }
}

// One minute of stereo: two voices of harmonics with a little noise, then 128 kbit/s CBR without
// an info frame, so that copies can be joined into a longer stream.
QString minuteFile() {
    const QString dir = QStringLiteral(VARNELO_BENCH_CACHE);
    const QString mp3 = dir + QStringLiteral("/minute.mp3");
    if (QFile::exists(mp3)) {
        return mp3;
    }
    QDir().mkpath(dir);
    const qint64 frames = qint64(kMinuteSeconds) * kRate;
    QByteArray wav;
    wav.append("RIFF");
    putLe(wav, quint32(36 + frames * 4), 4);
    wav.append("WAVEfmt ");
    putLe(wav, 16, 4);
    putLe(wav, 1, 2);
    putLe(wav, 2, 2);
    putLe(wav, kRate, 4);
    putLe(wav, kRate * 4, 4);
    putLe(wav, 4, 2);
    putLe(wav, 16, 2);
    wav.append("data");
    putLe(wav, quint32(frames * 4), 4);
    QRandomGenerator random(7);
    for (qint64 i = 0; i < frames; ++i) {
        const double t = double(i) / kRate;
        const double voice = 0.2 * std::sin(2 * std::numbers::pi * 180 * t) +
                             0.1 * std::sin(2 * std::numbers::pi * 540 * t) +
                             0.05 * std::sin(2 * std::numbers::pi * 2300 * t);
        const double noise = 0.01 * (random.generateDouble() - 0.5);
        putLe(wav, quint16(qint16(std::lround((voice + noise) * 32767))), 2);
        putLe(wav, quint16(qint16(std::lround((0.8 * voice - noise) * 32767))), 2);
    }
    const QString wavPath = dir + QStringLiteral("/minute.wav");
    QFile file(wavPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(wav) != wav.size()) {
        return {};
    }
    file.close();
    QProcess lame;
    lame.start(QStringLiteral("lame"),
               {QStringLiteral("--quiet"), QStringLiteral("-t"), QStringLiteral("-b"),
                QStringLiteral("128"), wavPath, mp3 + QStringLiteral(".part")});
    if (!lame.waitForFinished(300000) || lame.exitCode() != 0) {
        return {};
    }
    QFile::remove(wavPath);
    QFile::rename(mp3 + QStringLiteral(".part"), mp3);
    return mp3;
}

// Sixty copies of the minute: a 60-minute file made in seconds.
QString hourFile() {
    const QString minute = minuteFile();
    const QString hour = QStringLiteral(VARNELO_BENCH_CACHE "/sixty-minutes.mp3");
    if (minute.isEmpty() || QFile::exists(hour)) {
        return minute.isEmpty() ? QString() : hour;
    }
    QFile in(minute);
    QFile out(hour + QStringLiteral(".part"));
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly)) {
        return {};
    }
    const QByteArray bytes = in.readAll();
    for (int i = 0; i < 60; ++i) {
        out.write(bytes);
    }
    out.close();
    QFile::rename(hour + QStringLiteral(".part"), hour);
    return hour;
}

EqGainTable allBands() {
    return {-8, 10, 10, 6, 2, -4, -8, -10, -11, -11};
}

// Percent of one core per second of audio: time / (audio seconds / 100).
void reportCorePercent(benchmark::State &state, double audioSeconds) {
    state.counters["core_pct"] =
        benchmark::Counter(double(state.iterations()) * audioSeconds / 100.0,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_DecodeEqualizerVolume(benchmark::State &state) {
    const QString path = minuteFile();
    FakeAudioOutput output;
    clsFMod fmod(output);
    if (path.isEmpty() || !fmod.OpenMP3File(path)) {
        state.SkipWithError("no test file (is lame installed?)");
        return;
    }
    EqGainTable gains = allBands();
    fmod.bindEqualizerGains(&gains);
    fmod.EnableEqualizer();
    fmod.SetEqualizerValue();
    fmod.SetVolume(700);
    for (auto _ : state) {
        output.clearRecorded();
        fmod.Play(0, 0);
        output.advanceFrames(qint64(kMinuteSeconds) * kRate);
        benchmark::DoNotOptimize(output.recorded().data());
    }
    reportCorePercent(state, kMinuteSeconds);
}
BENCHMARK(BM_DecodeEqualizerVolume)->Unit(benchmark::kMillisecond);

void BM_DecodeOnly(benchmark::State &state) {
    Mp3Stream stream;
    if (!stream.open(minuteFile())) {
        state.SkipWithError("no test file (is lame installed?)");
        return;
    }
    std::vector<qint16> pcm(size_t(kRate) * 2);
    for (auto _ : state) {
        stream.seekSample(0);
        while (stream.read(pcm.data(), kRate) > 0) {
            benchmark::DoNotOptimize(pcm.data());
        }
    }
    reportCorePercent(state, kMinuteSeconds);
}
BENCHMARK(BM_DecodeOnly)->Unit(benchmark::kMillisecond);

void BM_EqualizerTenBands(benchmark::State &state) {
    ParametricEq eq(kRate);
    eq.setEnabled(true);
    eq.setGains(allBands());
    eq.reset();
    std::vector<double> pcm(size_t(kRate) * 2);
    for (size_t i = 0; i < pcm.size(); ++i) {
        pcm[i] = 0.3 * std::sin(double(i) * 0.01);
    }
    for (auto _ : state) {
        eq.process(pcm.data(), kRate);
        benchmark::DoNotOptimize(pcm.data());
    }
    reportCorePercent(state, 1);
}
BENCHMARK(BM_EqualizerTenBands)->Unit(benchmark::kMillisecond);

void BM_IndexBuild60Minutes(benchmark::State &state) {
    const QString path = hourFile();
    Mp3Stream stream;
    for (auto _ : state) {
        if (!stream.open(path)) {
            state.SkipWithError("no test file (is lame installed?)");
            return;
        }
        benchmark::DoNotOptimize(stream.frameCount());
    }
    state.counters["frames"] = double(stream.frameCount());
    state.counters["minutes"] = double(stream.lengthMs()) / 60000;
}
BENCHMARK(BM_IndexBuild60Minutes)->Unit(benchmark::kMillisecond)->Iterations(5);

// Play from a different point near the middle each time until the first samples are out.
void BM_PlayFromTheMiddle60Minutes(benchmark::State &state) {
    FakeAudioOutput output;
    clsFMod fmod(output);
    if (!fmod.OpenMP3File(hourFile())) {
        state.SkipWithError("no test file (is lame installed?)");
        return;
    }
    fmod.EnableEqualizer();
    qint32 from = 30 * 60000;
    for (auto _ : state) {
        from += 7919;
        fmod.Play(from, from + 10000);
        output.advanceFrames(64);
        benchmark::DoNotOptimize(output.recorded().data());
        state.PauseTiming();
        output.clearRecorded();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PlayFromTheMiddle60Minutes)->Unit(benchmark::kMicrosecond)->Iterations(200);

}  // namespace
