// Audio engine costs: decoding with the equalizer on, building the frame index of a 60-minute
// file, starting playback from its middle, and opening a two-hour file.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>

#include <mpg123.h>

#include <chrono>
#include <cmath>
#include <numbers>
#include <thread>
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

// Copies of the minute joined into one long file, made once.
QString joinedMinutes(int minutes, const char *name) {
    const QString minute = minuteFile();
    const QString joined = QStringLiteral(VARNELO_BENCH_CACHE "/") + QLatin1String(name);
    if (minute.isEmpty() || QFile::exists(joined)) {
        return minute.isEmpty() ? QString() : joined;
    }
    QFile in(minute);
    QFile out(joined + QStringLiteral(".part"));
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly)) {
        return {};
    }
    const QByteArray bytes = in.readAll();
    for (int i = 0; i < minutes; ++i) {
        out.write(bytes);
    }
    out.close();
    QFile::rename(joined + QStringLiteral(".part"), joined);
    return joined;
}

QString hourFile() {
    return joinedMinutes(60, "sixty-minutes.mp3");
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
        if (!stream.open(path) || !stream.waitForIndex()) {
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

double msSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// Opening a two-hour file: the old synchronous way (the decoder scans every frame before the
// file plays), the open call itself, and open to the first samples of a seek to 01:30:00 made
// by another thread right after open. The samples are checked against a fully indexed stream.
void BM_OpenTwoHours(benchmark::State &state) {
    const QString path = joinedMinutes(120, "two-hours.mp3");
    constexpr qint64 kSeekMs = 90 * 60000;
    constexpr qint64 kPairs = 64;
    Mp3Stream reference;
    if (path.isEmpty() || !reference.open(path) || !reference.waitForIndex()) {
        state.SkipWithError("no test file (is lame installed?)");
        return;
    }
    std::vector<qint16> expected(kPairs * 2);
    reference.seekMs(kSeekMs);
    reference.read(expected.data(), kPairs);
    reference.close();

    double oldOpenMs = 0;
    double openMs = 0;
    double firstSamplesMs = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        mpg123_handle *handle = mpg123_new(nullptr, nullptr);
        mpg123_param(handle, MPG123_FLAGS, MPG123_GAPLESS | MPG123_QUIET | MPG123_FORCE_STEREO, 0);
        mpg123_param(handle, MPG123_INDEX_SIZE, -1, 0);
        long rate = 0;
        int channels = 0;
        int encoding = 0;
        const bool scanned =
            mpg123_open(handle, QFile::encodeName(path).constData()) == MPG123_OK &&
            mpg123_getformat(handle, &rate, &channels, &encoding) == MPG123_OK &&
            mpg123_scan(handle) == MPG123_OK;
        oldOpenMs += msSince(start);
        mpg123_delete(handle);

        Mp3Stream stream;
        std::vector<qint16> got(kPairs * 2);
        start = std::chrono::steady_clock::now();
        const bool opened = stream.open(path);
        openMs += msSince(start);
        std::thread reader([&] {
            stream.seekMs(kSeekMs);
            stream.read(got.data(), kPairs);
        });
        reader.join();
        firstSamplesMs += msSince(start);
        if (!scanned || !opened || got != expected) {
            state.SkipWithError("the seek did not give the samples of a fully indexed stream");
            return;
        }
    }
    const auto average = [&](double total) {
        return benchmark::Counter(total, benchmark::Counter::kAvgIterations);
    };
    state.counters["old_open_ms"] = average(oldOpenMs);
    state.counters["open_ms"] = average(openMs);
    state.counters["seek_first_samples_ms"] = average(firstSamplesMs);
}
BENCHMARK(BM_OpenTwoHours)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
