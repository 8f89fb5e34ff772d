#include "mp3decode.h"

#include "recitation/mp3stream.h"
#include "recitation/mpegframewalk.h"

#include <QFile>

#include <optional>
#include <vector>

namespace varnelo {

namespace {

// Why the stream ends before the file's audio does; empty when it does not.
QString cutShort(const QString &path, const Mp3Stream &stream) {
    QFile file(path);
    const uchar *data = file.open(QIODevice::ReadOnly) ? file.map(0, file.size()) : nullptr;
    if (data == nullptr) {
        return QStringLiteral("%1: cannot read the file").arg(path);
    }
    const std::optional<MpegStreamStart> start = findMpegStreamStart(data, file.size());
    const qint64 frames = stream.frameCount();
    if (!start || frames <= 0) {
        return QStringLiteral("%1: no audio frames").arg(path);
    }
    if (start->infoFrames > frames) {
        return QStringLiteral(
                   "%1: the file is cut short (%2 of the %3 audio frames its header "
                   "announces)")
            .arg(path)
            .arg(frames)
            .arg(start->infoFrames);
    }
    const qint64 end = stream.frameEndOffset(frames - 1);
    if (end + 4 <= start->dataEnd &&
        parseMpegHeader(QByteArray::fromRawData(reinterpret_cast<const char *>(data) + end, 4))) {
        return QStringLiteral(
                   "%1: the file is cut short (its last audio frame at byte %2 is "
                   "incomplete)")
            .arg(path)
            .arg(end);
    }
    return {};
}

}  // namespace

DecodedMp3 decodeAsPlayed(const QString &mp3Path,
                          const std::function<void(const qint16 *, qint64, int)> &take) {
    DecodedMp3 result;
    Mp3Stream stream;
    if (!stream.open(mp3Path)) {
        result.error = stream.errorString();
        return result;
    }
    stream.waitForIndex();
    if (!stream.warning().isEmpty()) {
        result.error = stream.warning();
        return result;
    }
    if (const QString why = cutShort(mp3Path, stream); !why.isEmpty()) {
        result.error = why;
        return result;
    }
    static_assert(kDecodedChannels == Mp3Stream::kChannels);
    const int rate = stream.sampleRate();
    std::vector<qint16> chunk(size_t(Mp3Stream::kChannels * rate));
    qint64 decoded = 0;
    if (stream.seekSample(0)) {
        for (qint64 got; (got = stream.read(chunk.data(), rate)) > 0;) {
            take(chunk.data(), got, rate);
            decoded += got;
        }
    }
    if (decoded < stream.lengthSamples()) {
        result.error = QStringLiteral("%1: the decoder stopped at %2 of %3 ms")
                           .arg(mp3Path)
                           .arg(stream.sampleToMs(decoded))
                           .arg(stream.lengthMs());
        return result;
    }
    result.rate = rate;
    result.lengthMs = stream.lengthMs();
    return result;
}

}  // namespace varnelo
