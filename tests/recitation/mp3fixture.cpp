#include "mp3fixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <chrono>
#include <cmath>
#include <numbers>

#include "recitation/mp3stream.h"

namespace varnelo::test {

namespace {

void putLe(QByteArray &out, quint32 value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.append(char((value >> (8 * i)) & 0xFF));
    }
}

bool writeWav(const QString &path, const Pcm &pcm) {
    const quint32 dataBytes = quint32(pcm.samples.size() * sizeof(qint16));
    QByteArray bytes;
    bytes.append("RIFF");
    putLe(bytes, 36 + dataBytes, 4);
    bytes.append("WAVEfmt ");
    putLe(bytes, 16, 4);
    putLe(bytes, 1, 2);
    putLe(bytes, quint32(pcm.channels), 2);
    putLe(bytes, quint32(pcm.rate), 4);
    putLe(bytes, quint32(pcm.rate * pcm.channels * 2), 4);
    putLe(bytes, quint32(pcm.channels * 2), 2);
    putLe(bytes, 16, 2);
    bytes.append("data");
    putLe(bytes, dataBytes, 4);
    bytes.append(reinterpret_cast<const char *>(pcm.samples.data()), qsizetype(dataBytes));
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace

Pcm bursts(int rate, int channels, qint64 frames, const std::vector<qint64> &starts,
           qint64 burstSamples, double freq, double amplitude) {
    Pcm pcm{rate, channels, std::vector<qint16>(size_t(frames * channels), 0)};
    for (const qint64 start : starts) {
        for (qint64 i = 0; i < burstSamples && start + i < frames; ++i) {
            const double v = amplitude * 32767.0 * std::sin(2 * std::numbers::pi * freq * i / rate);
            for (int c = 0; c < channels; ++c) {
                pcm.samples[size_t((start + i) * channels + c)] = qint16(std::lround(v));
            }
        }
    }
    return pcm;
}

Pcm tone(int rate, int channels, qint64 frames, double freq, double amplitude) {
    return bursts(rate, channels, frames, {0}, frames, freq, amplitude);
}

Pcm noisyTone(int seconds) {
    Pcm pcm;
    pcm.channels = 1;
    pcm.samples.resize(size_t(pcm.rate) * seconds);
    quint32 seed = 12345;
    for (size_t i = 0; i < pcm.samples.size(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        const double noise = (int(seed >> 16) - 32768) / 32768.0;
        pcm.samples[i] = qint16(std::lround(
            9000 * std::sin(2 * std::numbers::pi * 440 * double(i) / pcm.rate) + 3000 * noise));
    }
    return pcm;
}

bool Mp3Maker::lameAvailable() {
    QProcess lame;
    lame.start(QStringLiteral("lame"), {QStringLiteral("--version")});
    return lame.waitForFinished(10000) && lame.exitStatus() == QProcess::NormalExit &&
           lame.exitCode() == 0;
}

QString Mp3Maker::make(const QString &name, const Pcm &pcm, const QStringList &lameArgs) {
    const QString wav = m_dir.filePath(name + QStringLiteral(".wav"));
    const QString mp3 = m_dir.filePath(name + QStringLiteral(".mp3"));
    if (!writeWav(wav, pcm)) {
        return {};
    }
    return encode(wav, mp3, lameArgs);
}

QString Mp3Maker::speak(const QString &name, const QString &text, const QStringList &lameArgs) {
    const QString wav = m_dir.filePath(name + QStringLiteral(".wav"));
    const QString mp3 = m_dir.filePath(name + QStringLiteral(".mp3"));
    QProcess espeak;
    espeak.start(QStringLiteral("espeak-ng"), {QStringLiteral("-w"), wav, text});
    if (!espeak.waitForFinished(120000) || espeak.exitCode() != 0) {
        return {};
    }
    return encode(wav, mp3, lameArgs);
}

QString Mp3Maker::encode(const QString &wav, const QString &mp3, const QStringList &lameArgs) {
    QProcess lame;
    lame.start(QStringLiteral("lame"),
               QStringList{QStringLiteral("--quiet")} + lameArgs + QStringList{wav, mp3});
    if (!lame.waitForFinished(120000) || lame.exitCode() != 0) {
        return {};
    }
    QFile::remove(wav);
    return mp3;
}

QString Mp3Maker::writeFile(const QString &name, const QByteArray &bytes) {
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes);
    }
    return path;
}

std::vector<qint16> decodeAll(Mp3Stream &stream) {
    stream.waitForIndex();  // the length is an estimate until then
    const qint64 room = stream.lengthSamples() + 4096;
    std::vector<qint16> pcm(size_t(room) * Mp3Stream::kChannels);
    stream.seekSample(0);
    pcm.resize(size_t(stream.read(pcm.data(), room)) * Mp3Stream::kChannels);
    return pcm;
}

ClipMatch matchClip(const std::vector<qint16> &clip, const std::vector<qint16> &source,
                    qint64 first, qint64 end) {
    const qint64 clipPairs = qint64(clip.size()) / 2;
    ClipMatch match;
    match.extra = clipPairs - (end - first);
    for (qint64 i = 0; i < end - first; ++i) {
        const qint64 at = match.extra + i;
        if (at < 0 || at >= clipPairs || first + i < 0 ||
            2 * (first + i) + 1 >= qint64(source.size())) {
            ++match.mismatched;
            match.lastMismatch = i;
            continue;
        }
        int worst = 0;
        for (int c = 0; c < 2; ++c) {
            worst = std::max(
                worst, std::abs(clip[size_t(2 * at + c)] - source[size_t(2 * (first + i) + c)]));
        }
        if (worst > 1) {
            ++match.mismatched;
            match.lastMismatch = i;
        }
        match.offByOne += worst == 1;
    }
    return match;
}

std::optional<ClipMatch> matchClipFile(const QString &clip, const QString &source, qint64 startMs,
                                       qint64 endMs) {
    Mp3Stream clipStream;
    Mp3Stream sourceStream;
    if (!clipStream.open(clip) || !sourceStream.open(source)) {
        return std::nullopt;
    }
    return matchClip(decodeAll(clipStream), decodeAll(sourceStream),
                     sourceStream.msToSample(startMs),
                     sourceStream.msToSample(std::min(endMs, sourceStream.lengthMs())));
}

double toneLevelDb(const qint16 *interleaved, qint64 frames, int channels, int channel, int rate,
                   double freq) {
    const double w = 2 * std::numbers::pi * freq / rate;
    const double coeff = 2 * std::cos(w);
    double s1 = 0;
    double s2 = 0;
    for (qint64 i = 0; i < frames; ++i) {
        const double s = interleaved[i * channels + channel] / 32768.0 + coeff * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    const double power = s1 * s1 + s2 * s2 - coeff * s1 * s2;
    const double amplitude = 2 * std::sqrt(std::max(power, 0.0)) / double(frames);
    return 20 * std::log10(std::max(amplitude, 1e-12));
}

qint64 firstLoudFrame(const qint16 *interleaved, qint64 frames, int channels, qint16 threshold,
                      qint64 from) {
    for (qint64 i = std::max<qint64>(from, 0); i < frames; ++i) {
        if (std::abs(int(interleaved[i * channels])) > threshold) {
            return i;
        }
    }
    return -1;
}

namespace {

// Long enough for any loaded machine; only a fault waits this long.
constexpr auto kSafetyLimit = std::chrono::seconds(30);

}  // namespace

WalkGate::WalkGate() {
    m_watchdog = std::thread([this] {
        std::unique_lock lock(m_mutex);
        if (!m_changed.wait_for(lock, kSafetyLimit, [this] { return m_ending || m_open; })) {
            m_open = true;
            m_changed.notify_all();
        }
    });
}

WalkGate::~WalkGate() {
    {
        const std::lock_guard lock(m_mutex);
        m_ending = true;
    }
    m_changed.notify_all();
    m_watchdog.join();
}

std::function<qint64(QFile &, qint64, uchar *, qint64)> WalkGate::reader() {
    return [this, first = true](QFile &file, qint64 from, uchar *into, qint64 max) mutable {
        if (!first) {
            std::unique_lock lock(m_mutex);
            m_held = true;
            m_changed.notify_all();
            m_changed.wait(lock, [this] { return m_open; });
        }
        first = false;
        return file.seek(from) ? file.read(reinterpret_cast<char *>(into), max) : qint64(-1);
    };
}

void WalkGate::waitUntilHeld() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_held || m_open; });
}

void WalkGate::open() {
    {
        const std::lock_guard lock(m_mutex);
        m_open = true;
    }
    m_changed.notify_all();
}

bool WalkGate::isOpen() const {
    const std::lock_guard lock(m_mutex);
    return m_open;
}

bool eventually(const std::function<bool()> &done) {
    const auto until = std::chrono::steady_clock::now() + kSafetyLimit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void runEventsFor(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
}

}  // namespace varnelo::test
