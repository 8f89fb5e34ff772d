#pragma once

#include <QtGlobal>

#include <array>

namespace varnelo {

// The frames a device has played, as a line at the nominal rate on the monotonic clock. Sound
// servers report their played count with steps: Qt's PulseAudio sink subtracts an average of the
// sink's recent latencies, which jumps by up to half the sink's block (tens of ms) at each timing
// update. Each distinct offset of the reports from the line is counted once and the line sits on
// the mean of the recent ones, so those steps cancel instead of moving the position, while a
// device a little off its nominal rate is still followed. Times are in ns; one thread.
class PlayedClock {
public:
    // Reports this far apart from the line are a new level; closer ones are the same.
    static constexpr qint64 kLevelNs = 1000000;
    // A report this far from the line means the device stalled or skipped: the line starts over.
    static constexpr qint64 kJumpNs = 100000000;
    // Reports this soon after the start come from a stream still filling and are not used.
    static constexpr qint64 kWarmUpNs = 500000000;
    // Levels the line averages: the steps of one level cancel against the next ones.
    static constexpr int kLevels = 32;

    // Starts a line at nowNs on `frames` already played, for a device at rate frames per second.
    void restart(qint64 nowNs, int rate, qint64 frames = 0);
    // Takes the device's own count at nowNs. A count that did not move is a held one (suspended,
    // clamped to what was written) and says nothing about the line.
    void report(qint64 nowNs, qint64 deviceFrames);
    // Frames played at nowNs: the line once it has a level, the device's last count before.
    qint64 framesAt(qint64 nowNs) const;
    // Distinct levels the line rests on.
    int levels() const { return m_levels; }

private:
    double meanLevelNs() const;
    void addLevel(double offsetNs);

    int m_rate = 0;
    qint64 m_startNs = 0;
    qint64 m_startFrames = 0;
    qint64 m_usableFromNs = 0;  // end of the warm-up
    qint64 m_lastDevice = -1;
    double m_level = 0;  // offset of the latest distinct report from the bare line, in ns
    std::array<double, kLevels> m_recent{};
    int m_levels = 0;
};

}  // namespace varnelo
