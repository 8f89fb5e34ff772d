#pragma once

#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "../ciskip.h"

namespace varnelo {
class Mp3Stream;
}

namespace varnelo::test {

// Interleaved 16-bit PCM made by the tests.
struct Pcm {
    int rate = 44100;
    int channels = 2;
    std::vector<qint16> samples;

    qint64 frames() const { return qint64(samples.size()) / channels; }
};

// Silence with a sine burst (freq Hz, amplitude of full scale) starting at each given sample
// and lasting burstSamples, on every channel.
Pcm bursts(int rate, int channels, qint64 frames, const std::vector<qint64> &starts,
           qint64 burstSamples, double freq, double amplitude);
// A steady sine on every channel.
Pcm tone(int rate, int channels, qint64 frames, double freq, double amplitude);
// Mono 44.1 kHz: a tone with deterministic noise, so that every stretch of samples occurs once.
Pcm noisyTone(int seconds);

// Makes MP3 files with the lame command in a directory of its own, removed at the end.
class Mp3Maker {
public:
    // True when the lame command runs.
    static bool lameAvailable();
    // Encodes pcm to name.mp3 with the extra lame arguments; empty on failure.
    QString make(const QString &name, const Pcm &pcm, const QStringList &lameArgs);
    // Has espeak-ng read text (mono, 22.05 kHz) and encodes it to name.mp3 with the extra lame
    // arguments; empty on failure.
    QString speak(const QString &name, const QString &text, const QStringList &lameArgs);
    // Writes bytes to a file of that name in the directory and returns its path.
    QString writeFile(const QString &name, const QByteArray &bytes);
    QString dir() const { return m_dir.path(); }

private:
    // Encodes the wav file to mp3 with lame and removes the wav; empty on failure.
    static QString encode(const QString &wav, const QString &mp3, const QStringList &lameArgs);

    QTemporaryDir m_dir;
};

// Every sample of the stream from its start, read with room to spare so that samples past its
// length would show.
std::vector<qint16> decodeAll(Mp3Stream &stream);

// How the decode of a clip compares with the stereo pairs first..end of a source's decode: the
// clip's pairs beyond that stretch in front of it, and over the stretch (aligned at its end past
// those) the pairs missing or more than one step off, the last of them (-1 for none) and the
// pairs exactly one step off.
struct ClipMatch {
    qint64 extra = 0;
    qint64 mismatched = 0;
    qint64 lastMismatch = -1;
    qint64 offByOne = 0;
};
ClipMatch matchClip(const std::vector<qint16> &clip, const std::vector<qint16> &source,
                    qint64 first, qint64 end);

// matchClip of the decode of the file clip against the decode of the file source from startMs to
// endMs (cut to its length); nullopt when either does not open.
std::optional<ClipMatch> matchClipFile(const QString &clip, const QString &source, qint64 startMs,
                                       qint64 endMs);

// Level in dB of full scale of a sine of freq Hz in one channel of interleaved PCM (Goertzel).
double toneLevelDb(const qint16 *interleaved, qint64 frames, int channels, int channel, int rate,
                   double freq);
// First frame at or after `from` whose sample in channel 0 has a magnitude above threshold; -1
// when none.
qint64 firstLoudFrame(const qint16 *interleaved, qint64 frames, int channels, qint16 threshold,
                      qint64 from = 0);

// Handles the thread's events for ms (a QCoreApplication must exist).
void runEventsFor(int ms);

// A disk that stalls: the frame walks reading through reader() get their first read and then
// wait until the gate is opened. Opens itself after a long safety delay, so that a caller that
// wrongly waits for the walk fails its checks instead of hanging.
class WalkGate {
public:
    WalkGate();
    ~WalkGate();
    WalkGate(const WalkGate &) = delete;
    WalkGate &operator=(const WalkGate &) = delete;

    std::function<qint64(QFile &, qint64, uchar *, qint64)> reader();
    // Blocks until a walk waits at the gate.
    void waitUntilHeld();
    void open();
    bool isOpen() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
    bool m_held = false;
    bool m_ending = false;
    std::thread m_watchdog;
};

// Polls until done() holds; false when it did not within a generous safety limit.
bool eventually(const std::function<bool()> &done);

}  // namespace varnelo::test

// Skips a test that needs lame when it is missing (fails it on CI).
#define VARNELO_SKIP_WITHOUT_LAME()                                                     \
    if (!varnelo::test::Mp3Maker::lameAvailable()) {                                    \
        VARNELO_SKIP_UNLESS_CI("the lame encoder is not installed: no test MP3 files"); \
    }
