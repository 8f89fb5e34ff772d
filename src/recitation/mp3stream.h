#pragma once

#include <QString>
#include <QtGlobal>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class QFile;
struct mpg123_handle_struct;

namespace varnelo {

// Decodes one MP3 file with libmpg123: gapless, with a full frame index so that a seek to any
// millisecond is sample-exact and every MPEG frame has its absolute file offset. Output is always
// 16-bit signed interleaved stereo at the file's own sample rate (mono files are duplicated to
// both channels; nothing is resampled). Times are milliseconds from the first decoded sample
// (encoder delay and padding removed).
//
// open() returns at once; the frame index is built by a worker thread reading the file, and
// close() does not wait for it (a read of a slow disk under way finishes on its own).
// Threads: open(), close(), haltReader() and resumeReader() belong to the owner; seekSample,
// seekMs, read and tellSample are called by one thread at a time (the reader), and a seek may wait
// for the index to reach its target. The frame lookups and the length, rate and warning getters
// are thread-safe, never touch the decoder, and may wait for the index to cover what they are
// asked.
class Mp3Stream {
public:
    static constexpr int kChannels = 2;

    // Reads up to max bytes of the file from offset `from` for the frame walk, on the walk's
    // thread; returns how many (0 or less ends the walk).
    using WalkReader = std::function<qint64(QFile &file, qint64 from, uchar *into, qint64 max)>;

    Mp3Stream();
    ~Mp3Stream();
    Mp3Stream(const Mp3Stream &) = delete;
    Mp3Stream &operator=(const Mp3Stream &) = delete;

    // Opens path (closing any open file) and starts indexing its frames in the background. False
    // when the file is missing, empty, not MP3 or holds no complete audio frame; errorString()
    // says why and the stream stays closed with length 0.
    bool open(const QString &path);
    // Stops any indexing still running and releases the file.
    void close();
    bool isOpen() const { return m_handle != nullptr; }
    QString errorString() const { return m_error; }
    QString path() const { return m_path; }
    // A problem found while indexing that shortens playback (the format changes mid-file, or
    // the frames are lost in junk); empty when none was found so far.
    QString warning() const;

    // Blocks until the index is complete; true when it is, false when the stream is closed.
    bool waitForIndex() const;
    bool indexComplete() const;
    // The walks of later open() calls read through reader; an empty one reads the file.
    void setWalkReader(WalkReader reader) { m_walkReader = std::move(reader); }

    // Until resumeReader(), seekSample and read return at once (false, 0), also one that waits
    // for the index right now: the owner stops a reader on another thread without waiting for
    // the walk. resumeReader() only while no seek or read runs.
    void haltReader();
    void resumeReader() { m_halted = false; }
    // True while a seek or read sleeps until the index grows. Any thread.
    bool readerWaiting() const;

    // Output sample rate in Hz (the file's rate); 0 when closed.
    int sampleRate() const { return m_rate; }
    // Length in samples (per channel) and in whole milliseconds; 0 when closed. Until the index
    // is complete this is the decoder's estimate (exact for files with an info frame).
    qint64 lengthSamples() const { return m_lengthSamples.load(); }
    qint64 lengthMs() const;
    // Sample index of a time and time of a sample, both rounded down and saturating at the
    // limits of qint64; 0 when closed.
    qint64 msToSample(qint64 ms) const;
    qint64 sampleToMs(qint64 sample) const;

    // Moves the decoding position to the given sample or ms, clamped to 0..length; the next
    // read() starts exactly there. Waits until the index covers the target. False when closed
    // or the decoder fails.
    bool seekSample(qint64 sample);
    bool seekMs(qint64 ms);
    // Sample the next read() returns; 0 when closed.
    qint64 tellSample() const { return m_position; }

    // Decodes up to `frames` stereo sample pairs into out (2 * frames values). Returns the number
    // of pairs written: fewer only at the end of the stream, 0 at the end, when closed or on a
    // decoder error.
    qint64 read(qint16 *out, qint64 frames);

    // Number of MPEG audio frames in the index (the info frame is not counted); waits for the
    // complete index. 0 when closed.
    qint64 frameCount() const;
    // MPEG frame number holding output sample `sample` or the sample at ms (clamped to the
    // stream); -1 when closed.
    qint64 frameOfSample(qint64 sample) const;
    qint64 frameAt(qint64 ms) const;
    // Absolute file offset of the first byte of frame n / of the byte just after it; -1 when
    // closed or n is out of range.
    qint64 frameOffset(qint64 frame) const;
    qint64 frameEndOffset(qint64 frame) const;
    // Number of the frame whose first byte is at the absolute file offset; -1 when no frame of
    // the index starts there.
    qint64 frameStartingAt(qint64 offset) const;
    // Absolute file offset of the frame holding ms, and of the byte just after that frame;
    // -1 when closed.
    qint64 frameOffsetAt(qint64 ms) const;
    qint64 frameEndOffsetAt(qint64 ms) const;

private:
    class Index;

    bool fail(const QString &why);
    // Hands the decoder the index up to the target frame so that its seek jumps straight there.
    void shareIndex(qint64 frame);

    mpg123_handle_struct *m_handle = nullptr;
    std::unique_ptr<Index> m_index;
    // Walks told to stop that may still be reading; joined once they have ended.
    std::vector<std::unique_ptr<Index>> m_retired;
    WalkReader m_walkReader;
    std::atomic<bool> m_halted{false};
    QString m_path;
    QString m_error;
    int m_rate = 0;
    std::atomic<qint64> m_lengthSamples{0};
    // Reader's side.
    qint64 m_position = 0;
    qint64 m_sharedFrames = 0;
};

}  // namespace varnelo
