// Fuzz target body for the recitation files the audio engine opens.
#include "targets.h"

#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "fuzzinput.h"
#include "recitation/mp3stream.h"
#include "recitation/mpegframewalk.h"

namespace varnelo::fuzz {

namespace {

// The frames of the whole file walked in one window; the stream walks it in stretches.
qint64 walkFrames(const uint8_t *data, size_t size) {
    const std::optional<MpegStreamStart> start = findMpegStreamStart(data, qint64(size));
    if (!start)
        return -1;
    require(start->firstFrame >= 0 && start->firstFrame <= start->dataEnd &&
            start->dataEnd <= qint64(size));
    MpegFrameWalker walker(data, *start);
    qint64 frames = 0;
    qint64 previous = -1;
    for (qint64 at = walker.next(); at >= 0; at = walker.next()) {
        require(at > previous && at < start->dataEnd);
        previous = at;
        ++frames;
    }
    require(walker.lastFrameEnd() <= start->dataEnd);
    return frames;
}

// Reads from the stream's position to its end; the count of sample pairs read.
qint64 readToEnd(Mp3Stream &stream) {
    std::vector<qint16> buffer(2 * 4096);
    qint64 total = 0;
    // A stream never yields more than its length.
    for (qint64 got; (got = stream.read(buffer.data(), 4096)) > 0;) {
        total += got;
        require(total <= stream.lengthSamples());
    }
    return total;
}

}  // namespace

int fuzzMp3(const uint8_t *data, size_t size) {
    static QTemporaryDir dir;
    const QString path = dir.filePath("fuzz.mp3");
    require(writeFile(path, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size))));
    const qint64 walked = walkFrames(data, size);

    Mp3Stream stream;
    if (!stream.open(path)) {
        require(!stream.isOpen() && stream.lengthSamples() == 0 && !stream.errorString().isEmpty());
        return 0;
    }
    require(stream.waitForIndex());
    const qint64 frames = stream.frameCount();
    require(frames == walked);
    for (qint64 n = 0; n < frames && n < 64; ++n) {
        const qint64 offset = stream.frameOffset(n);
        require(offset >= 0 && offset < stream.frameEndOffset(n) &&
                stream.frameEndOffset(n) <= qint64(size));
        require(stream.frameStartingAt(offset) == n);
    }

    // A damaged file may decode to fewer samples than the index counts, so the length bounds
    // what is read rather than equals it, and a seek past what decodes fails. A seek that
    // succeeds never lands before its target; over damaged frames the decoder may not come back
    // far enough, even from the start, and lands after it.
    const qint64 length = stream.lengthSamples();
    readToEnd(stream);
    const auto seekLands = [&](qint64 sample) {
        const bool landed = stream.seekSample(sample);
        require(!landed || stream.tellSample() >= std::clamp<qint64>(sample, 0, length));
        return landed;
    };
    if (seekLands(stream.msToSample(stream.lengthMs() / 2)))
        readToEnd(stream);
    if (seekLands(length + 1000))
        require(readToEnd(stream) == 0);
    // Where the decoder gives up on a damaged file depends on how it got there, so a decode
    // after a seek back may end before the first one did.
    if (seekLands(0))
        readToEnd(stream);
    return 0;
}

}  // namespace varnelo::fuzz
