#include "recitation/mp3cut.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>

#include "recitation/framelocator.h"

namespace varnelo {

namespace {

void appendField(QByteArray &out, const QString &text, int width) {
    QByteArray field = text.left(width).toLatin1();
    field.truncate(width);
    field.append(width - field.size(), ' ');
    out.append(field);
}

QString describe(const QFileDevice &file) {
    return QStringLiteral("%1: %2").arg(file.fileName(), file.errorString());
}

}  // namespace

QByteArray Id3v1Tag::toBytes() const {
    QByteArray out("TAG");
    appendField(out, title, 30);
    appendField(out, artist, 30);
    appendField(out, album, 30);
    appendField(out, year, 4);
    appendField(out, comment, 30);
    out.append(char(genre));
    return out;
}

bool WriteTag(QIODevice &out, const Id3v1Tag &tag) {
    return out.write(tag.toBytes()) == 128;
}

Mp3CutResult CutMp3Range(const QString &sourcePath, const FrameLocator &frames, qint32 startMs,
                         qint32 endMs, const QString &targetPath, const Id3v1Tag &tag) {
    Mp3CutResult result;
    const qint32 length = frames.lengthMs();
    if (length <= 0) {
        result.error = QStringLiteral("%1: no MPEG audio frames").arg(sourcePath);
        return result;
    }
    if (startMs < 0 || endMs < startMs || startMs > length) {
        result.error = QStringLiteral("range %1..%2 ms is not within the file's 0..%3 ms")
                           .arg(startMs)
                           .arg(endMs)
                           .arg(length);
        return result;
    }
    const std::optional<FrameSpan> first = frames.frameAt(startMs);
    const std::optional<FrameSpan> last = frames.frameAt(std::min(endMs, length));
    if (!first || !last || last->end <= first->begin || first->begin < 0) {
        result.error = QStringLiteral("%1: no frames found for %2..%3 ms")
                           .arg(sourcePath)
                           .arg(startMs)
                           .arg(endMs);
        return result;
    }

    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly)) {
        result.error = describe(source);
        return result;
    }
    if (source.size() < last->end || !source.seek(first->begin)) {
        result.error = QStringLiteral("%1: shorter than its frame index").arg(sourcePath);
        return result;
    }

    QSaveFile target(targetPath);
    if (!target.open(QIODevice::WriteOnly)) {
        result.error = describe(target);
        return result;
    }
    constexpr qint64 kChunk = 1 << 20;
    qint64 remaining = last->end - first->begin;
    while (remaining > 0) {
        const QByteArray chunk = source.read(std::min(remaining, kChunk));
        if (chunk.isEmpty()) {
            result.error = QStringLiteral("%1: read failed").arg(sourcePath);
            return result;  // the save file is discarded unwritten
        }
        if (target.write(chunk) != chunk.size()) {
            result.error = describe(target);
            return result;
        }
        remaining -= chunk.size();
    }
    if (!WriteTag(target, tag) || !target.commit()) {
        result.error = describe(target);
        return result;
    }
    result.audioBytes = last->end - first->begin;
    return result;
}

}  // namespace varnelo
