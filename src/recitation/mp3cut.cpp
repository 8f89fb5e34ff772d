#include "recitation/mp3cut.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <optional>

#include "recitation/framelocator.h"
#include "recitation/mpegheader.h"

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

// Bytes read from the start of a frame: header, CRC, side information and any info tag.
constexpr qint64 kFrameHeadBytes = 48;

struct FrameHead {
    FrameSpan span;
    MpegHeader header;
    QByteArray bytes;
};

// The head of the audio frame at span, nullopt when it lies outside the file, is not a valid
// header, is longer than its span, is an info frame or differs in kind from like.
std::optional<FrameHead> readFrameHead(QFileDevice &source, const FrameSpan &span,
                                       const MpegHeader *like) {
    if (span.begin < 0 || span.end <= span.begin || span.end > source.size() ||
        !source.seek(span.begin)) {
        return std::nullopt;
    }
    const QByteArray bytes = source.read(std::min(kFrameHeadBytes, span.end - span.begin));
    const std::optional<MpegHeader> header = parseMpegHeader(bytes);
    if (!header || header->frameBytes > span.end - span.begin || isInfoFrame(*header, bytes)) {
        return std::nullopt;
    }
    if (like != nullptr && (header->mpeg1 != like->mpeg1 || header->layer != like->layer ||
                            header->sampleRate != like->sampleRate)) {
        return std::nullopt;
    }
    return FrameHead{span, *header, bytes};
}

// The head of the frame at before, which must end by the start of later and be like it.
std::optional<FrameHead> readEarlierHead(QFileDevice &source, const FrameSpan &before,
                                         const FrameSpan &later, const MpegHeader &like) {
    if (before.end > later.begin) {
        return std::nullopt;
    }
    return readFrameHead(source, before, &like);
}

// Where a cut must begin so that a decoder reproduces the layer III frame at start exactly. Its
// output also holds the filterbank overlap of the two granules before it (the frame before in
// MPEG 1, the two before in MPEG 2 and 2.5), and the main data of those granules begins up to
// main_data_begin bytes earlier, in earlier frames (the bit reservoir). Never before the first
// audio frame; on any doubt about a header, start itself.
qint64 leadInStart(QFileDevice &source, const FrameLocator &frames, const FrameSpan &start) {
    const std::optional<FrameHead> first = readFrameHead(source, start, nullptr);
    if (!first || first->header.layer != 3) {
        return start.begin;
    }
    FrameHead anchor = *first;
    for (int framesBack = first->header.mpeg1 ? 1 : 2; framesBack > 0; --framesBack) {
        const std::optional<FrameSpan> before = frames.frameBefore(anchor.span.begin);
        if (!before) {
            break;  // the file's first audio frame: decoded from silence in the source as well
        }
        const std::optional<FrameHead> head =
            readEarlierHead(source, *before, anchor.span, first->header);
        if (!head) {
            return start.begin;
        }
        anchor = *head;
    }
    const std::optional<int> owed = mainDataBegin(anchor.header, anchor.bytes);
    if (!owed) {
        return start.begin;
    }
    FrameSpan lead = anchor.span;
    for (int missing = *owed; missing > 0;) {
        const std::optional<FrameSpan> before = frames.frameBefore(lead.begin);
        if (!before) {
            break;
        }
        const std::optional<FrameHead> head = readEarlierHead(source, *before, lead, first->header);
        if (!head) {
            return start.begin;
        }
        missing -= head->header.mainDataBytes();
        lead = head->span;
    }
    return lead.begin;
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
    if (source.size() < last->end) {
        result.error = QStringLiteral("%1: shorter than its frame index").arg(sourcePath);
        return result;
    }
    const qint64 begin = leadInStart(source, frames, *first);
    if (!source.seek(begin)) {
        result.error = describe(source);
        return result;
    }

    QSaveFile target(targetPath);
    if (!target.open(QIODevice::WriteOnly)) {
        result.error = describe(target);
        return result;
    }
    constexpr qint64 kChunk = 1 << 20;
    qint64 remaining = last->end - begin;
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
    result.audioBytes = last->end - begin;
    return result;
}

}  // namespace varnelo
