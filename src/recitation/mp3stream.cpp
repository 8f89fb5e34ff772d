#include "recitation/mp3stream.h"

#include <mpg123.h>

#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include "recitation/mpegheader.h"

namespace varnelo {

namespace {

// Every frame gets its own index entry; a bounded index would double its step instead.
constexpr long kGrowIndexByFrames = -1;
// Frames decoded ahead of a seek target to refill the layer III bit reservoir: up to 511 bytes
// of main data in frames of 104 bytes and more (MPEG 1), up to 255 bytes in frames of 26 bytes
// and more (MPEG 2 and 2.5), plus one frame of overlap.
constexpr long kPreframesMpeg1 = 10;
constexpr long kPreframesMpeg2 = 40;

qint64 divFloor(qint64 a, qint64 b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

}  // namespace

Mp3Stream::Mp3Stream() {
    mpg123_init();  // a no-op on current libmpg123, required by old ones
}

Mp3Stream::~Mp3Stream() {
    close();
}

void Mp3Stream::close() {
    if (m_handle != nullptr) {
        mpg123_close(m_handle);
        mpg123_delete(m_handle);
        m_handle = nullptr;
    }
    m_path.clear();
    m_rate = 0;
    m_lengthSamples = 0;
    m_position = 0;
    m_frameOffsets.clear();
    m_lastFrameEnd = -1;
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

    int err = MPG123_OK;
    m_handle = mpg123_new(nullptr, &err);
    if (m_handle == nullptr) {
        return fail(QStringLiteral("%1: cannot create decoder"));
    }
    mpg123_param(m_handle, MPG123_FLAGS, MPG123_GAPLESS | MPG123_QUIET | MPG123_FORCE_STEREO, 0);
    mpg123_param(m_handle, MPG123_INDEX_SIZE, kGrowIndexByFrames, 0);
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
    if (mpg123_scan(m_handle) != MPG123_OK) {
        return fail(QStringLiteral("%1: cannot read the frames"));
    }
    const off_t length = mpg123_length(m_handle);
    off_t *offsets = nullptr;
    off_t step = 0;
    size_t fill = 0;
    if (length <= 0 || mpg123_index(m_handle, &offsets, &step, &fill) != MPG123_OK || step != 1 ||
        fill == 0) {
        return fail(QStringLiteral("%1: no audio frames"));
    }
    m_frameOffsets.reserve(qsizetype(fill));
    for (size_t i = 0; i < fill; ++i) {
        m_frameOffsets.append(offsets[i]);
    }

    // The index only holds frame starts: the last frame ends where its header says.
    QFile file(path);
    if (file.open(QIODevice::ReadOnly) && file.seek(m_frameOffsets.last())) {
        if (const auto header = parseMpegHeader(file.read(4))) {
            m_lastFrameEnd = std::min(m_frameOffsets.last() + header->frameBytes, file.size());
        }
    }
    if (m_lastFrameEnd < 0) {
        return fail(QStringLiteral("%1: damaged last frame"));
    }

    struct mpg123_frameinfo2 frameInfo {};
    const bool mpeg1 =
        mpg123_info2(m_handle, &frameInfo) == MPG123_OK && frameInfo.version == MPG123_1_0;
    mpg123_param(m_handle, MPG123_PREFRAMES, mpeg1 ? kPreframesMpeg1 : kPreframesMpeg2, 0);

    m_rate = int(rate);
    m_lengthSamples = length;
    if (!seekSample(0)) {
        return fail(QStringLiteral("%1: cannot seek"));
    }
    return true;
}

qint64 Mp3Stream::lengthMs() const {
    return sampleToMs(m_lengthSamples);
}

qint64 Mp3Stream::msToSample(qint64 ms) const {
    return m_rate > 0 ? divFloor(ms * m_rate, 1000) : 0;
}

qint64 Mp3Stream::sampleToMs(qint64 sample) const {
    return m_rate > 0 ? divFloor(sample * 1000, m_rate) : 0;
}

bool Mp3Stream::seekSample(qint64 sample) {
    if (m_handle == nullptr) {
        return false;
    }
    sample = std::clamp<qint64>(sample, 0, m_lengthSamples);
    const off_t reached = mpg123_seek(m_handle, off_t(sample), SEEK_SET);
    if (reached < 0) {
        return false;
    }
    m_position = reached;
    return true;
}

bool Mp3Stream::seekMs(qint64 ms) {
    return seekSample(msToSample(ms));
}

qint64 Mp3Stream::read(qint16 *out, qint64 frames) {
    if (m_handle == nullptr || frames <= 0) {
        return 0;
    }
    const qint64 wanted = std::min(frames, m_lengthSamples - m_position);
    auto *bytes = reinterpret_cast<unsigned char *>(out);
    const size_t bytesPerFrame = kChannels * sizeof(qint16);
    size_t total = 0;
    const size_t target = size_t(std::max<qint64>(wanted, 0)) * bytesPerFrame;
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

qint64 Mp3Stream::frameAt(qint64 ms) {
    if (m_handle == nullptr) {
        return -1;
    }
    const qint64 resume = m_position;
    // The sample past the end belongs to no frame: the last sample's frame holds the end.
    const qint64 sample = std::clamp<qint64>(msToSample(ms), 0, m_lengthSamples - 1);
    if (mpg123_seek(m_handle, off_t(sample), SEEK_SET) < 0) {
        return -1;
    }
    const qint64 frame = mpg123_tellframe(m_handle);
    seekSample(resume);
    if (frame < 0) {
        return -1;
    }
    return std::min<qint64>(frame, m_frameOffsets.size() - 1);
}

qint64 Mp3Stream::frameOffset(qint64 frame) const {
    if (frame < 0 || frame >= m_frameOffsets.size()) {
        return -1;
    }
    return m_frameOffsets[frame];
}

qint64 Mp3Stream::frameEndOffset(qint64 frame) const {
    if (frame < 0 || frame >= m_frameOffsets.size()) {
        return -1;
    }
    return frame + 1 < m_frameOffsets.size() ? m_frameOffsets[frame + 1] : m_lastFrameEnd;
}

qint64 Mp3Stream::frameStartingAt(qint64 offset) const {
    const auto it = std::lower_bound(m_frameOffsets.cbegin(), m_frameOffsets.cend(), offset);
    if (it == m_frameOffsets.cend() || *it != offset) {
        return -1;
    }
    return qint64(it - m_frameOffsets.cbegin());
}

qint64 Mp3Stream::frameOffsetAt(qint64 ms) {
    return frameOffset(frameAt(ms));
}

qint64 Mp3Stream::frameEndOffsetAt(qint64 ms) {
    return frameEndOffset(frameAt(ms));
}

}  // namespace varnelo
