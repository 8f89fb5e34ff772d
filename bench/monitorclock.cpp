#include "monitorclock.h"

#include <QProcess>

#include <dlfcn.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <numeric>

namespace varnelo::bench {

namespace {

// A read after this long a pause starts a new block of the sink (blocks come tens of ms apart;
// the pieces of one come back to back).
constexpr qint64 kBlockGapNs = 5000000;
// Frames of the envelopes the content is first matched on, then refined frame by frame.
constexpr qint64 kEnvelopeFrames = 32;

// The sink's rate from `pactl list short sinks`; 0 when the sink is not there.
int sinkRate(const QString &sink) {
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"),
                {QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sinks")});
    if (!pactl.waitForFinished(5000))
        return 0;
    for (const QByteArray &line : pactl.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 6 && fields[1] == sink.toUtf8() && fields[5].endsWith("Hz"))
            return fields[5].chopped(2).toInt();
    }
    return 0;
}

// Sums of |x| over consecutive runs of kEnvelopeFrames, less their mean.
std::vector<double> envelope(const qint16 *x, qint64 n) {
    std::vector<double> e(size_t(n / kEnvelopeFrames));
    for (size_t b = 0; b < e.size(); ++b)
        for (qint64 i = 0; i < kEnvelopeFrames; ++i)
            e[b] += std::abs(double(x[qint64(b) * kEnvelopeFrames + i]));
    const double mean = e.empty() ? 0 : std::accumulate(e.begin(), e.end(), 0.0) / e.size();
    for (double &v : e)
        v -= mean;
    return e;
}

// Normalized correlation of a with b shifted by lag, over a's length.
template <typename T>
double correlation(const std::vector<T> &a, const std::vector<T> &b, qint64 lag) {
    double ab = 0, aa = 0, bb = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        const double x = double(a[i]), y = double(b[size_t(lag) + i]);
        ab += x * y;
        aa += x * x;
        bb += y * y;
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

// The lag of b where a matches best, within [lo, hi].
template <typename T>
qint64 bestLag(const std::vector<T> &a, const std::vector<T> &b, qint64 lo, qint64 hi,
               double *score) {
    qint64 best = lo;
    *score = -2;
    for (qint64 lag = std::max<qint64>(lo, 0);
         lag <= hi && lag + qint64(a.size()) <= qint64(b.size()); ++lag) {
        const double c = correlation(a, b, lag);
        if (c > *score) {
            *score = c;
            best = lag;
        }
    }
    return best;
}

}  // namespace

MonitorClock::MonitorClock(const QString &sink) {
    m_sinkRate = sinkRate(sink);
    if (m_sinkRate <= 0) {
        m_error = QStringLiteral("the sink %1 is not there").arg(sink);
        return;
    }
    int fds[2];
    if (pipe(fds) != 0) {
        m_error = QStringLiteral("no pipe for parec");
        return;
    }
    const QByteArray device = "--device=" + sink.toUtf8() + ".monitor";
    const QByteArray rate = "--rate=" + QByteArray::number(m_sinkRate);
    // The latency asked for is above the sink's own, so that the recording does not shorten the
    // sink's blocks and change what is measured.
    m_pid = fork();
    if (m_pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        execlp("parec", "parec", device.constData(), "--raw", "--format=s16le", "--channels=2",
               rate.constData(), "--latency-msec=500", static_cast<char *>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    if (m_pid < 0) {
        close(fds[0]);
        m_error = QStringLiteral("parec could not be started");
        return;
    }
    m_reader = std::thread([this, fd = fds[0]] { read(fd); });
    // Recording from here on: parec delivers its first data only after it is connected.
    for (int waited = 0; waited < 5000; waited += 5) {
        {
            std::lock_guard lock(m_mutex);
            if (!m_mono.empty())
                return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    m_error = QStringLiteral("parec recorded nothing for 5 s");
}

MonitorClock::~MonitorClock() {
    stop();
}

void MonitorClock::stop() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }
    if (m_reader.joinable())
        m_reader.join();
}

void MonitorClock::read(int fd) {
    std::vector<char> buffer(1 << 16);
    std::vector<char> rest;
    qint64 frames = 0;
    qint64 last = 0;
    for (;;) {
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        const qint64 at = nowNs();
        if (got <= 0)
            break;
        std::lock_guard lock(m_mutex);
        if (last > 0 && at - last >= kBlockGapNs && rest.empty())
            m_blocks.push_back({frames, 0, double(at) - double(frames) * 1e9 / m_sinkRate});
        last = at;
        rest.insert(rest.end(), buffer.begin(), buffer.begin() + got);
        const size_t whole = rest.size() / 4;
        for (size_t i = 0; i < whole; ++i) {
            qint16 lr[2];
            std::memcpy(lr, rest.data() + 4 * i, 4);
            m_mono.push_back(qint16((int(lr[0]) + int(lr[1])) / 2));
        }
        rest.erase(rest.begin(), rest.begin() + qint64(whole) * 4);
        frames += qint64(whole);
        if (!m_blocks.empty())
            m_blocks.back().frames = frames - m_blocks.back().frame;
    }
    close(fd);
}

bool MonitorClock::locate(const std::vector<qint16> &expected, int streamRate, qint64 frames,
                          double calibrationNs) {
    if (!m_error.isEmpty())
        return false;
    if (m_blocks.empty() || m_mono.empty()) {
        m_error = QStringLiteral("parec recorded nothing");
        return false;
    }
    if (streamRate <= 0 || m_sinkRate % streamRate != 0) {
        m_error = QStringLiteral("the stream's rate does not divide the sink's");
        return false;
    }
    const int ratio = m_sinkRate / streamRate;
    m_ratio = ratio;
    // The recording at the stream's rate: sink frames averaged in groups of ratio.
    std::vector<qint16> decimated(m_mono.size() / size_t(ratio));
    for (size_t i = 0; i < decimated.size(); ++i) {
        int sum = 0;
        for (int k = 0; k < ratio; ++k)
            sum += m_mono[i * size_t(ratio) + size_t(k)];
        decimated[i] = qint16(sum / ratio);
    }
    // Two seconds of content place it; more only costs time.
    const std::vector<qint16> head(
        expected.begin(),
        expected.begin() + qint64(std::min<size_t>(expected.size(), 2 * streamRate)));
    const std::vector<double> want = envelope(head.data(), qint64(head.size()));
    const std::vector<double> have = envelope(decimated.data(), qint64(decimated.size()));
    double score = 0;
    const qint64 coarse = bestLag(want, have, 0, qint64(have.size()), &score) * kEnvelopeFrames;
    m_offset = bestLag(head, decimated, coarse - 2 * kEnvelopeFrames, coarse + 2 * kEnvelopeFrames,
                       &m_match);
    if (m_match < 0.5) {
        m_error = QStringLiteral("the stream was not found in the recording (correlation %1)")
                      .arg(m_match);
        return false;
    }
    return anchor(m_offset * ratio, (m_offset + frames) * ratio, calibrationNs);
}

bool MonitorClock::anchor(qint64 from, qint64 to, double calibrationNs) {
    // Only the blocks that carried the stream: a stream joining or leaving the sink rewinds it
    // and moves the recording's frames against the clock, and the block length sets how far
    // ahead of the sound the monitor gets its data.
    std::vector<double> bounds;
    qint64 blockFrames = 0;
    for (const Block &block : m_blocks) {
        if (block.frame >= from && block.frame + block.frames <= to) {
            bounds.push_back(block.bound);
            blockFrames += block.frames;
        }
    }
    if (bounds.size() < 10) {
        m_error = QStringLiteral("the monitor delivered too few blocks while the stream played");
        return false;
    }
    std::sort(bounds.begin(), bounds.end());
    m_used = int(bounds.size());
    m_edgeMs = (bounds[bounds.size() / 10] - bounds.front()) / 1e6;
    m_blockMs = double(blockFrames) / double(bounds.size()) * 1000.0 / m_sinkRate;
    m_anchorNs = bounds.front() + calibrationNs;
    return true;
}

double MonitorClock::wallAt(qint64 frame) const {
    return m_anchorNs + double(m_offset + frame) * m_ratio * 1e9 / m_sinkRate;
}

}  // namespace varnelo::bench

namespace varnelo::bench {

namespace {

// The few calls of the sound server's simple client library the calibration needs, loaded at
// run time: the benchmarks build without its headers.
struct SimpleApi {
    struct SampleSpec {
        int format;
        quint32 rate;
        quint8 channels;
    };
    struct BufferAttr {
        quint32 maxlength, tlength, prebuf, minreq, fragsize;
    };
    using New = void *(*)(const char *, const char *, int, const char *, const char *,
                          const SampleSpec *, const void *, const BufferAttr *, int *);
    using Write = int (*)(void *, const void *, size_t, int *);
    using Latency = quint64 (*)(void *, int *);
    using Free = void (*)(void *);
    static constexpr int kS16le = 3;
    static constexpr int kPlayback = 1;

    void *library = dlopen("libpulse-simple.so.0", RTLD_NOW);
    New open = library ? New(dlsym(library, "pa_simple_new")) : nullptr;
    Write write = library ? Write(dlsym(library, "pa_simple_write")) : nullptr;
    Latency latency = library ? Latency(dlsym(library, "pa_simple_get_latency")) : nullptr;
    Free free = library ? Free(dlsym(library, "pa_simple_free")) : nullptr;
    ~SimpleApi() {
        if (library)
            dlclose(library);
    }
    bool ok() const { return open && write && latency && free; }
};

}  // namespace

std::optional<double> MonitorClock::calibrate(QString *error, double *spreadMs, double *blockMs) {
    constexpr int kRate = 44100;
    constexpr qint64 kChunk = 441;
    constexpr qint64 kSilent = kRate / 2;
    constexpr qint64 kTotal = kRate * 7 / 2;
    SimpleApi api;
    if (!api.ok()) {
        *error = QStringLiteral("libpulse-simple.so.0 is not there");
        return std::nullopt;
    }
    std::vector<qint16> mono(size_t(kTotal), 0);
    quint32 seed = 1;
    for (qint64 i = kSilent; i < kTotal; ++i) {
        seed = seed * 1103515245u + 12345u;
        mono[size_t(i)] = qint16(int((seed >> 16) % 16001) - 8000);
    }
    MonitorClock clock;
    const SimpleApi::SampleSpec format{SimpleApi::kS16le, kRate, 2};
    const SimpleApi::BufferAttr attr{quint32(-1), quint32(kRate * 4 * 150 / 1000), quint32(-1),
                                     quint32(-1), quint32(-1)};
    int code = 0;
    void *stream = api.open(nullptr, "varnelo-bench", SimpleApi::kPlayback, "varnelo_null",
                            "calibration", &format, nullptr, &attr, &code);
    if (!stream) {
        *error = QStringLiteral("the calibration stream could not be opened (%1)").arg(code);
        return std::nullopt;
    }
    // Per write: when, by the server's account, frame 0 of the stream played.
    std::vector<double> zeroAt;
    std::vector<qint16> pcm(size_t(kChunk) * 2);
    for (qint64 written = 0; written < kTotal; written += kChunk) {
        for (qint64 i = 0; i < kChunk; ++i)
            pcm[size_t(2 * i)] = pcm[size_t(2 * i + 1)] = mono[size_t(written + i)];
        api.write(stream, pcm.data(), pcm.size() * sizeof(qint16), &code);
        const double latencyUs = double(api.latency(stream, &code));
        const double at = double(nowNs());
        const double played = double(written + kChunk) - latencyUs * kRate / 1e6;
        if (written > kRate)  // past the stream's start-up
            zeroAt.push_back(at - played * 1e9 / kRate);
    }
    // What was written plays out before the recording ends.
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    api.free(stream);
    clock.stop();
    if (!clock.locate(mono, kRate, kTotal, 0)) {
        *error = QStringLiteral("calibration: ") + clock.error();
        return std::nullopt;
    }
    std::sort(zeroAt.begin(), zeroAt.end());
    const auto at = [&](double q) { return zeroAt[size_t(q * double(zeroAt.size() - 1))]; };
    *spreadMs = (at(0.99) - at(0.01)) / 1e6;
    *blockMs = clock.blockMs();
    return at(0.5) - clock.wallAt(0);
}

}  // namespace varnelo::bench
