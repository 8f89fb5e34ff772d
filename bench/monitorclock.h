#pragma once

#include <QString>

#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace varnelo::bench {

// The steady clock in ns, the time base of every measurement here.
inline qint64 nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// When the sound server played each frame of a stream, from a recording of the null sink's
// monitor (parec, a process of its own). The null sink plays at exactly its nominal rate on the
// monotonic clock and hands its blocks to the monitor at a fixed distance from when they play, so
// the earliest arrival of a block anchors a line of the sink's frames; the stream's frames are
// found in the recording by their content. That fixed distance depends on the sink's block and is
// measured once against the server's own account of what a stream played (calibrate()). Start a
// clock before the stream plays, stop it after.
class MonitorClock {
public:
    explicit MonitorClock(const QString &sink = QStringLiteral("varnelo_null"));
    ~MonitorClock();
    MonitorClock(const MonitorClock &) = delete;
    MonitorClock &operator=(const MonitorClock &) = delete;

    // Ends the recording.
    void stop();
    // After stop(): finds `expected` (a stream's first frames, mono, at streamRate) in the
    // recording, for a stream of `frames` frames, and anchors the line on the blocks that carried
    // it, later by calibrationNs. False, with error() telling why, when there is no recording or
    // no match.
    bool locate(const std::vector<qint16> &expected, int streamRate, qint64 frames,
                double calibrationNs);
    // Steady-clock ns at which the sink played frame `frame` of the located stream.
    double wallAt(qint64 frame) const;
    // The sink's block while the located stream played, in ms.
    double blockMs() const { return m_blockMs; }

    // Plays 3 s of noise with the server's client library, alone, with a 150 ms buffer as the
    // program's output asks for, and returns how much later the sink played a frame than the
    // monitor's line says, by the server's own latency reports; spreadMs is how far those
    // reports spread (p1 to p99). Empty, with error, without the library or the sink.
    static std::optional<double> calibrate(QString *error, double *spreadMs, double *blockMs);

    QString error() const { return m_error; }
    // Blocks whose arrival anchored the line.
    int blocks() const { return m_used; }
    // How far past the earliest the earliest tenth of those blocks arrived, in ms: a sharp edge
    // means the earliest came in at the floor of the server's wake-up and delivery.
    double edgeMs() const { return m_edgeMs; }
    // Normalized correlation of the stream's content with the recording where it was found.
    double match() const { return m_match; }

private:
    void read(int fd);
    bool anchor(qint64 from, qint64 to, double calibrationNs);

    QString m_error;
    int m_sinkRate = 0;
    int m_pid = -1;
    std::thread m_reader;
    mutable std::mutex m_mutex;
    std::vector<qint16> m_mono;  // the monitor, (left + right) / 2, at the sink's rate
    struct Block {
        qint64 frame;  // its first frame in the recording
        qint64 frames;
        double bound;  // arrival ns - frame / rate
    };
    std::vector<Block> m_blocks;
    int m_used = 0;
    double m_edgeMs = 0;
    double m_anchorNs = 0;  // when the sink played its frame 0 of the recording
    double m_ratio = 1;     // sink frames per stream frame
    qint64 m_offset = 0;    // stream frame 0 in the decimated recording
    double m_match = 0;
    double m_blockMs = 0;
};

}  // namespace varnelo::bench
