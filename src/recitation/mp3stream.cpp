#include "recitation/mp3stream.h"

#include <mpg123.h>

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <thread>
#include <vector>

#include "recitation/mpegframewalk.h"

namespace varnelo {

namespace {

constexpr qint64 kMax = std::numeric_limits<qint64>::max();
constexpr qint64 kMin = std::numeric_limits<qint64>::min();
// The decoder grows its own index one frame at a time past what it was handed.
constexpr long kGrowIndexByFrames = -1;
// Frames decoded ahead of a seek target to refill the layer III bit reservoir: up to 511 bytes
// of main data in frames of 104 bytes and more (MPEG 1), up to 255 bytes in frames of 26 bytes
// and more (MPEG 2 and 2.5), plus one frame of overlap.
constexpr long kPreframesMpeg1 = 10;
constexpr long kPreframesMpeg2 = 40;
// Frames the indexer publishes at a time: small enough that a waiting seek wakes soon.
constexpr size_t kPublishFrames = 512;
// Bytes the indexer reads at a time.
constexpr qint64 kReadChunk = 1 << 20;

qint64 divFloor(qint64 a, qint64 b) {
    const qint64 q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

qint64 saturatingAdd(qint64 a, qint64 b) {
    if (b > 0 && a > kMax - b) {
        return kMax;
    }
    if (b < 0 && a < kMin - b) {
        return kMin;
    }
    return a + b;
}

// floor(a * mul / div) for 0 < mul, div < 2^31, saturating instead of overflowing.
qint64 mulDivFloor(qint64 a, qint64 mul, qint64 div) {
    const qint64 whole = divFloor(a, div);
    const qint64 rest = (a % div + div) % div;  // 0 <= rest < div; a - whole * div can overflow
    if (whole > kMax / mul || whole < kMin / mul) {
        return whole > 0 ? kMax : kMin;
    }
    return saturatingAdd(whole * mul, rest * mul / div);
}

static_assert(sizeof(off_t) == sizeof(qint64), "the decoder's index holds 64-bit offsets");

}  // namespace

// The frame index, filled by a worker thread that walks the mapped file, read by lookups on any
// thread. Every field below the mutex is guarded by it.
class Mp3Stream::Index {
public:
    Index(const QString &path, WalkReader reader)
        : m_path(path), m_file(path), m_reader(std::move(reader)) {}
    ~Index() {
        stop();
        if (m_worker.joinable()) {
            m_worker.join();
        }
    }

    // Maps the whole file; nullptr when it cannot be read.
    const uchar *map() {
        m_data = m_file.open(QIODevice::ReadOnly) ? m_file.map(0, m_file.size()) : nullptr;
        return m_data;
    }
    qint64 size() const { return m_file.size(); }

    // Starts the walk from m_start, which is fixed from here on.
    void start(std::atomic<qint64> *length, int rate) {
        m_worker = std::thread([this, length, rate] { run(length, rate); });
    }
    // Asks the walk to end at its next step; does not wait for it. From here on the walk
    // writes nothing outside the index: the stream may already hold another file.
    void stop() {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    // True once the walk's thread has nothing left to do.
    bool finished() const { return m_finished; }

    // Waits until ready() holds or the walk has ended, then returns read(); both run locked.
    template <typename Ready, typename Read>
    auto when(Ready ready, Read read) const {
        std::unique_lock lock(m_mutex);
        m_grown.wait(lock, [&] { return m_ended || ready(); });
        return read();
    }

    // when() for the reader, which also gives up once halted is set (under the mutex).
    template <typename Ready, typename Read>
    auto whenForReader(const std::atomic<bool> &halted, Ready ready, Read read) const {
        std::unique_lock lock(m_mutex);
        m_grown.wait(lock, [&] {
            const bool done = m_ended || halted || ready();
            m_readerAsleep = !done;
            return done;
        });
        return read();
    }

    // Output samples the indexed frames hold for sure: all of them once the walk is complete.
    qint64 coveredSamples() const { return m_start.outputSamples(qint64(m_offsets.size())); }

    MpegStreamStart m_start;
    std::atomic<bool> m_complete{false};
    mutable std::atomic<bool> m_readerAsleep{false};

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_grown;
    std::vector<off_t> m_offsets;
    qint64 m_lastEnd = -1;
    bool m_ended = false;
    QString m_warning;

private:
    void run(std::atomic<qint64> *length, int rate);
    void walk(std::atomic<qint64> *length, int rate);
    void publish(std::vector<off_t> &batch);

    QString m_path;
    QFile m_file;  // mapped for the life of the index
    const uchar *m_data = nullptr;
    WalkReader m_reader;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_finished{false};
    std::thread m_worker;
};

void Mp3Stream::Index::publish(std::vector<off_t> &batch) {
    {
        const std::lock_guard lock(m_mutex);
        m_offsets.insert(m_offsets.end(), batch.begin(), batch.end());
    }
    batch.clear();
    m_grown.notify_all();
}

void Mp3Stream::Index::run(std::atomic<qint64> *length, int rate) {
    walk(length, rate);
    m_finished = true;
}

void Mp3Stream::Index::walk(std::atomic<qint64> *length, int rate) {
    // The walk reads the file through a small buffer rather than the mapping: touching a fresh
    // mapping page by page costs several times what reading the same bytes does.
    QFile file(m_path);
    const bool readable = file.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    std::vector<uchar> buffer(size_t(kReadChunk + MpegFrameWalker::kLookahead));
    const qint64 room = qint64(buffer.size());
    const auto fill = [&](qint64 from) -> qint64 {
        if (!readable) {
            return 0;
        }
        const qint64 got =
            m_reader
                ? m_reader(file, from, buffer.data(), room)
                : (file.seek(from) ? file.read(reinterpret_cast<char *>(buffer.data()), room) : 0);
        return std::clamp<qint64>(got, 0, room);  // a failed read ends the walk where it stands
    };
    MpegFrameWalker walker(buffer.data(), m_start, m_start.firstFrame, fill(m_start.firstFrame));
    std::vector<off_t> batch;
    batch.reserve(kPublishFrames);
    bool cancelled = false;
    for (qint64 at = walker.next(); at >= 0; at = walker.next()) {
        if (walker.needsUntil() > walker.windowEnd()) {
            if (m_stop) {
                cancelled = true;
                break;
            }
            const qint64 from = walker.position();
            walker.setWindow(buffer.data(), from, fill(from));
        }
        batch.push_back(off_t(at));
        if (batch.size() == kPublishFrames) {
            if (m_stop) {
                cancelled = true;
                break;
            }
            publish(batch);
        }
    }
    publish(batch);
    const std::lock_guard lock(m_mutex);
    m_ended = true;
    if (!cancelled && !m_stop) {
        const qint64 samples = coveredSamples();
        length->store(samples);
        m_lastEnd = walker.lastFrameEnd();
        const QString at = QString::number(double(samples) / rate, 'f', 3);
        if (walker.end() == MpegFrameWalker::End::FormatChange) {
            m_warning =
                (walker.changedRate() != rate
                     ? QStringLiteral("%1: the sample rate changes at %2 s; playback ends there")
                     : QStringLiteral("%1: the MPEG format changes at %2 s; playback ends there"))
                    .arg(m_path, at);
        } else if (walker.end() == MpegFrameWalker::End::Lost) {
            m_warning =
                QStringLiteral("%1: unreadable data at %2 s; playback ends there").arg(m_path, at);
        }
        m_complete = true;
    }
    m_grown.notify_all();
}

Mp3Stream::Mp3Stream() {
    mpg123_init();  // a no-op on current libmpg123, required by old ones
}

Mp3Stream::~Mp3Stream() {
    close();
    m_retired.clear();  // waits for walks still reading
}

void Mp3Stream::close() {
    // A walk stuck on a slow disk must not hold up the owner: it is joined once it has ended.
    if (m_index) {
        m_index->stop();
        m_retired.push_back(std::move(m_index));
    }
    std::erase_if(m_retired, [](const std::unique_ptr<Index> &index) { return index->finished(); });
    if (m_handle != nullptr) {
        mpg123_close(m_handle);
        mpg123_delete(m_handle);
        m_handle = nullptr;
    }
    m_path.clear();
    m_rate = 0;
    m_lengthSamples = 0;
    m_position = 0;
    m_sharedFrames = 0;
}

bool Mp3Stream::fail(const QString &why) {
    const QString path = m_path;
    close();
    m_error = why.arg(path);
    return false;
}

bool Mp3Stream::open(const QString &path) {
    close();
    m_path = path;
    m_error.clear();

    const QFileInfo info(path);
    if (!info.isFile()) {
        return fail(QStringLiteral("%1: file not found"));
    }
    if (info.size() == 0) {
        return fail(QStringLiteral("%1: file is empty"));
    }
    auto index = std::make_unique<Index>(path, m_walkReader);
    const uchar *data = index->map();
    if (data == nullptr) {
        return fail(QStringLiteral("%1: cannot open file"));
    }
    const std::optional<MpegStreamStart> start = findMpegStreamStart(data, index->size());
    if (!start) {
        return fail(QStringLiteral("%1: not an MP3 file (no audio frame in its first MiB)"));
    }

    int err = MPG123_OK;
    m_handle = mpg123_new(nullptr, &err);
    if (m_handle == nullptr) {
        return fail(QStringLiteral("%1: cannot create decoder"));
    }
    mpg123_param(m_handle, MPG123_FLAGS, MPG123_GAPLESS | MPG123_QUIET | MPG123_FORCE_STEREO, 0);
    mpg123_param(m_handle, MPG123_INDEX_SIZE, kGrowIndexByFrames, 0);
    mpg123_param(m_handle, MPG123_PREFRAMES,
                 start->header.mpeg1 ? kPreframesMpeg1 : kPreframesMpeg2, 0);
    // Accept every standard rate but only as 16-bit stereo: the file's rate is kept as it is.
    mpg123_format_none(m_handle);
    const long *rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i) {
        mpg123_format(m_handle, rates[i], MPG123_STEREO, MPG123_ENC_SIGNED_16);
    }

    if (mpg123_open(m_handle, QFile::encodeName(path).constData()) != MPG123_OK) {
        return fail(QStringLiteral("%1: cannot open file"));
    }
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(m_handle, &rate, &channels, &encoding) != MPG123_OK || rate <= 0) {
        return fail(QStringLiteral("%1: not an MP3 file"));
    }
    // The decoder found other frames than the index would list: its seeks could not trust it.
    if (rate != start->header.sampleRate) {
        return fail(QStringLiteral("%1: cannot read the frames"));
    }
    const off_t estimate = mpg123_length(m_handle);
    if (estimate <= 0) {
        return fail(QStringLiteral("%1: no audio frames"));
    }
    m_rate = int(rate);
    m_lengthSamples = estimate;
    index->m_start = *start;
    m_index = std::move(index);
    m_index->start(&m_lengthSamples, m_rate);
    return true;
}

QString Mp3Stream::warning() const {
    if (!m_index) {
        return {};
    }
    const std::lock_guard lock(m_index->m_mutex);
    return m_index->m_warning;
}

bool Mp3Stream::waitForIndex() const {
    return m_index &&
           m_index->when([] { return false; }, [this] { return m_index->m_complete.load(); });
}

bool Mp3Stream::indexComplete() const {
    return m_index && m_index->m_complete;
}

void Mp3Stream::haltReader() {
    if (!m_index) {
        m_halted = true;
        return;
    }
    {
        // Under the lock, so that a reader about to sleep either sees it or is woken.
        const std::lock_guard lock(m_index->m_mutex);
        m_halted = true;
    }
    m_index->m_grown.notify_all();
}

bool Mp3Stream::readerWaiting() const {
    return m_index && m_index->m_readerAsleep;
}

qint64 Mp3Stream::lengthMs() const {
    return sampleToMs(lengthSamples());
}

qint64 Mp3Stream::msToSample(qint64 ms) const {
    return m_rate > 0 ? mulDivFloor(ms, m_rate, 1000) : 0;
}

qint64 Mp3Stream::sampleToMs(qint64 sample) const {
    return m_rate > 0 ? mulDivFloor(sample, 1000, m_rate) : 0;
}

void Mp3Stream::shareIndex(qint64 frame) {
    if (m_sharedFrames > frame) {
        return;
    }
    const std::lock_guard lock(m_index->m_mutex);
    std::vector<off_t> &offsets = m_index->m_offsets;
    if (!offsets.empty() &&
        mpg123_set_index(m_handle, offsets.data(), 1, offsets.size()) == MPG123_OK) {
        m_sharedFrames = qint64(offsets.size());
    }
}

bool Mp3Stream::seekSample(qint64 sample) {
    if (m_handle == nullptr || m_halted) {
        return false;
    }
    const Index &index = *m_index;
    qint64 target = std::max<qint64>(sample, 0);
    const qint64 known = index.whenForReader(
        m_halted, [&] { return index.coveredSamples() > target; },
        [&] { return index.coveredSamples(); });
    if (m_halted) {
        return false;
    }
    target = std::min(target, index.m_complete ? lengthSamples() : known);
    const qint64 samplesPerFrame = index.m_start.header.samplesPerFrame();
    shareIndex((target + index.m_start.decoderSkip()) / samplesPerFrame);
    // Over damaged frames the decoder can land before or after the target. Past it, seek again
    // from further back, each time twice as far; then decode up to the target and drop that, so
    // that the next read starts where it was asked to.
    off_t reached = -1;
    for (qint64 back = 0;; back = back == 0 ? 4 * samplesPerFrame : 2 * back) {
        const qint64 from = std::max<qint64>(target - back, 0);
        reached = mpg123_seek(m_handle, off_t(from), SEEK_SET);
        if (reached < 0) {
            return false;
        }
        if (reached <= target || from == 0) {
            break;
        }
    }
    m_position = reached;
    std::vector<qint16> scratch;
    while (m_position < target) {
        scratch.resize(size_t(kChannels * std::min<qint64>(target - m_position, 4096)));
        if (read(scratch.data(), qint64(scratch.size() / kChannels)) == 0) {
            return false;
        }
    }
    // Past it even from the start: that is as near as this decoder gets, and playing on from
    // there beats playing nothing.
    return true;
}

bool Mp3Stream::seekMs(qint64 ms) {
    return seekSample(msToSample(ms));
}

qint64 Mp3Stream::read(qint16 *out, qint64 frames) {
    if (m_handle == nullptr || frames <= 0 || m_halted) {
        return 0;
    }
    // Never read past what the index vouches for: beyond it the format may change.
    const Index &index = *m_index;
    const qint64 until = saturatingAdd(m_position, frames);
    const qint64 end = index.m_complete
                           ? lengthSamples()
                           : index.whenForReader(
                                 m_halted, [&] { return index.coveredSamples() >= until; },
                                 [&] { return index.coveredSamples(); });
    if (m_halted) {
        return 0;
    }
    const qint64 wanted = std::min(frames, std::max<qint64>(end - m_position, 0));
    auto *bytes = reinterpret_cast<unsigned char *>(out);
    const size_t bytesPerFrame = kChannels * sizeof(qint16);
    size_t total = 0;
    const size_t target = size_t(wanted) * bytesPerFrame;
    while (total < target) {
        size_t done = 0;
        const int result = mpg123_read(m_handle, bytes + total, target - total, &done);
        total += done;
        if (result == MPG123_DONE || (result != MPG123_OK && result != MPG123_NEW_FORMAT)) {
            break;
        }
        if (done == 0 && result != MPG123_NEW_FORMAT) {
            break;
        }
    }
    const qint64 got = qint64(total / bytesPerFrame);
    m_position += got;
    return got;
}

qint64 Mp3Stream::frameCount() const {
    if (!m_index) {
        return 0;
    }
    return m_index->when([] { return false; },
                         [this] { return qint64(m_index->m_offsets.size()); });
}

qint64 Mp3Stream::frameOfSample(qint64 sample) const {
    if (!m_index) {
        return -1;
    }
    const Index &index = *m_index;
    return index.when(
        [&] { return index.coveredSamples() > sample; },
        [&] {
            const qint64 frames = qint64(index.m_offsets.size());
            const qint64 known = index.m_complete ? lengthSamples() : index.coveredSamples();
            // The sample past the end belongs to no frame: the last one holds the end.
            const qint64 s = std::clamp<qint64>(sample, 0, std::max<qint64>(known - 1, 0));
            const qint64 frame =
                (s + index.m_start.decoderSkip()) / index.m_start.header.samplesPerFrame();
            return frames > 0 ? std::min(frame, frames - 1) : -1;
        });
}

qint64 Mp3Stream::frameAt(qint64 ms) const {
    return frameOfSample(msToSample(ms));
}

qint64 Mp3Stream::frameOffset(qint64 frame) const {
    if (!m_index || frame < 0) {
        return -1;
    }
    const Index &index = *m_index;
    return index.when([&] { return qint64(index.m_offsets.size()) > frame; },
                      [&] {
                          return frame < qint64(index.m_offsets.size())
                                     ? qint64(index.m_offsets[size_t(frame)])
                                     : qint64(-1);
                      });
}

qint64 Mp3Stream::frameEndOffset(qint64 frame) const {
    if (!m_index || frame < 0) {
        return -1;
    }
    const Index &index = *m_index;
    return index.when([&] { return qint64(index.m_offsets.size()) - 1 > frame; },
                      [&] {
                          const qint64 frames = qint64(index.m_offsets.size());
                          if (frame + 1 < frames) {
                              return qint64(index.m_offsets[size_t(frame + 1)]);
                          }
                          return frame == frames - 1 && index.m_complete ? index.m_lastEnd : -1;
                      });
}

qint64 Mp3Stream::frameStartingAt(qint64 offset) const {
    if (!m_index) {
        return -1;
    }
    const Index &index = *m_index;
    return index.when(
        [&] { return !index.m_offsets.empty() && index.m_offsets.back() >= offset; },
        [&] {
            const auto &offsets = index.m_offsets;
            const auto it = std::lower_bound(offsets.cbegin(), offsets.cend(), offset);
            return it != offsets.cend() && *it == offset ? qint64(it - offsets.cbegin()) : -1;
        });
}

qint64 Mp3Stream::frameOffsetAt(qint64 ms) const {
    return frameOffset(frameAt(ms));
}

qint64 Mp3Stream::frameEndOffsetAt(qint64 ms) const {
    return frameEndOffset(frameAt(ms));
}

}  // namespace varnelo
