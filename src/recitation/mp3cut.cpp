#include "recitation/mp3cut.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <optional>

#include "recitation/framelocator.h"
#include "recitation/infoframe.h"
#include "recitation/mpegheader.h"
#include "recitation/reservoirframe.h"

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

// Bytes read from the frames a cut copies to see how far their main data reaches back.
constexpr qint64 kReservoirScanBytes = 16 * 1024;

// How many bytes of bit reservoir the frames from `from` on need from before it: the largest
// main_data_begin beyond the main data of the copied frames before each. nullopt on a header in
// doubt.
std::optional<int> reservoirShortfall(QFileDevice &source, const FrameSpan &from, qint64 end,
                                      const MpegHeader &like) {
    if (!source.seek(from.begin)) {
        return std::nullopt;
    }
    const QByteArray bytes = source.read(std::min(end - from.begin, kReservoirScanBytes));
    const int deepest = like.mpeg1 ? kMaxReservoirBytes : kMaxLsfReservoirBytes;
    int shortfall = 0;
    qint64 behind = 0;  // main data of the copied frames before the one at `at`
    for (qsizetype at = 0; behind < deepest && at + 4 <= bytes.size();) {
        const QByteArray head = bytes.mid(at, kFrameHeadBytes);
        const std::optional<MpegHeader> header = parseMpegHeader(head);
        if (!header || header->mpeg1 != like.mpeg1 || header->layer != 3 ||
            header->sampleRate != like.sampleRate || isInfoFrame(*header, head)) {
            return std::nullopt;
        }
        const std::optional<int> owed = mainDataBegin(*header, head);
        if (!owed) {
            break;  // cut off by the scan, far past the deepest reach
        }
        shortfall = std::max<int>(shortfall, *owed - int(behind));
        behind += header->mainDataBytes();
        at += header->frameBytes;
    }
    return shortfall;
}

// The last `bytes` bytes of main data of the frames before `from`, in stream order; empty when
// a frame there is in doubt or missing.
QByteArray reservoirBefore(QFileDevice &source, const FrameLocator &frames, const FrameSpan &from,
                           int bytes, const MpegHeader &like) {
    QByteArray reservoir;
    FrameSpan later = from;
    while (reservoir.size() < bytes) {
        const std::optional<FrameSpan> before = frames.frameBefore(later.begin);
        if (!before) {
            return {};
        }
        const std::optional<FrameHead> head = readEarlierHead(source, *before, later, like);
        if (!head) {
            return {};
        }
        const qint64 dataAt = head->header.sideInfoOffset() + head->header.sideInfoBytes();
        if (!source.seek(before->begin + dataAt)) {
            return {};
        }
        const QByteArray data = source.read(head->header.frameBytes - dataAt);
        if (data.size() != head->header.frameBytes - dataAt) {
            return {};
        }
        reservoir.prepend(data);
        later = *before;
    }
    return reservoir.right(bytes);
}

// The start of a cut: the first source frame it copies, and a frame of our own before it that
// carries the bit reservoir those frames reach back to (empty when they need none).
struct LeadIn {
    FrameSpan from;
    QByteArray carrier;
};

// Where a cut ending at `end` must begin so that a decoder reproduces the layer III frame at
// start exactly. Its output also holds the filterbank overlap of the two granules before it
// (the frame before in MPEG 1, the two before in MPEG 2 and 2.5), copied from the source; the
// main data of those frames begins up to main_data_begin bytes earlier, which a silent frame of
// our own carries instead of whole earlier frames. Never before the first audio frame; on any
// doubt about a header, start itself.
LeadIn planLeadIn(QFileDevice &source, const FrameLocator &frames, const FrameSpan &start,
                  qint64 end) {
    const std::optional<FrameHead> first = readFrameHead(source, start, nullptr);
    if (!first || first->header.layer != 3) {
        return {start, {}};
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
            return {start, {}};
        }
        anchor = *head;
    }
    const std::optional<int> owed = reservoirShortfall(source, anchor.span, end, first->header);
    if (!owed) {
        return {start, {}};
    }
    if (*owed <= 0) {
        return {anchor.span, {}};
    }
    const QByteArray reservoir = reservoirBefore(source, frames, anchor.span, *owed, first->header);
    const QByteArray carrier =
        reservoir.isEmpty() ? QByteArray() : makeReservoirFrame(anchor.bytes.left(4), reservoir);
    if (carrier.isEmpty()) {
        return {start, {}};
    }
    return {anchor.span, carrier};
}

// The largest layer III frame: 320 kbit/s at 32 kHz, padded.
constexpr qint64 kMaxFrameBytes = 1441;

// The Xing/Info tag of the source: the frame that ends where its first audio frame begins.
std::optional<InfoTag> sourceInfoTag(QFileDevice &source, const FrameLocator &frames) {
    std::optional<FrameSpan> first = frames.frameAt(0);
    while (first) {
        const std::optional<FrameSpan> before = frames.frameBefore(first->begin);
        if (!before || before->begin >= first->begin) {
            break;
        }
        first = before;
    }
    if (!first) {
        return std::nullopt;
    }
    const qint64 from = std::max<qint64>(0, first->begin - kMaxFrameBytes);
    if (!source.seek(from)) {
        return std::nullopt;
    }
    const QByteArray bytes = source.read(first->begin - from);
    for (qsizetype at = 0; at + 4 <= bytes.size(); ++at) {
        const std::optional<MpegHeader> header = parseMpegHeader(bytes.mid(at, 4));
        if (header && header->frameBytes == bytes.size() - at) {
            if (std::optional<InfoTag> tag = readInfoTag(bytes.mid(at))) {
                return tag;
            }
        }
    }
    return std::nullopt;
}

// Offsets of the frames lead..last from the start of lead, walking the index back from last;
// empty when the walk does not end at lead or the numbers disagree with it.
std::vector<qint64> frameStarts(const FrameLocator &frames, const FrameSpan &lead,
                                const FrameSpan &last) {
    std::vector<qint64> starts{last.begin - lead.begin};
    FrameSpan span = last;
    while (span.begin > lead.begin) {
        const std::optional<FrameSpan> before = frames.frameBefore(span.begin);
        if (!before || before->end > span.begin) {
            return {};
        }
        span = *before;
        starts.push_back(span.begin - lead.begin);
    }
    if (span.begin != lead.begin || qint64(starts.size()) != last.number - lead.number + 1) {
        return {};
    }
    std::reverse(starts.begin(), starts.end());
    return starts;
}

// The info frame that makes a gapless decoder of the lead-in and the frames up to last play the
// source's samples of startMs..endMs; nullopt (a cut without one) when the frames are not
// numbered, not layer III, or do not hold the range.
std::optional<InfoFrameFields> planInfoFrame(QFileDevice &source, const FrameLocator &frames,
                                             const LeadIn &leadIn, const FrameSpan &last,
                                             qint32 startMs, qint32 endMs) {
    const FrameSpan &lead = leadIn.from;
    if (lead.number < 0 || last.number < lead.number) {
        return std::nullopt;
    }
    const std::optional<FrameHead> head = readFrameHead(source, lead, nullptr);
    if (!head || head->header.layer != 3) {
        return std::nullopt;
    }
    InfoFrameFields fields;
    fields.frameStarts = frameStarts(frames, lead, last);
    if (fields.frameStarts.empty()) {
        return std::nullopt;
    }
    fields.audioBytes = last.end - lead.begin;
    const std::optional<InfoTag> sourceTag = sourceInfoTag(source, frames);
    if (sourceTag) {
        fields.vbr = sourceTag->vbr;
        fields.lameBase = sourceTag->lame;
    } else {
        // Frames of one bitrate differ by the padding byte at most.
        qint64 smallest = fields.audioBytes;
        qint64 largest = 0;
        for (size_t i = 0; i < fields.frameStarts.size(); ++i) {
            const qint64 end =
                i + 1 < fields.frameStarts.size() ? fields.frameStarts[i + 1] : fields.audioBytes;
            smallest = std::min(smallest, end - fields.frameStarts[i]);
            largest = std::max(largest, end - fields.frameStarts[i]);
        }
        fields.vbr = largest - smallest > 1;
    }
    const qint64 carrierFrames = leadIn.carrier.isEmpty() ? 0 : 1;
    if (carrierFrames > 0) {
        for (qint64 &at : fields.frameStarts) {
            at += leadIn.carrier.size();
        }
        fields.frameStarts.insert(fields.frameStarts.begin(), 0);
        fields.audioBytes += leadIn.carrier.size();
    }
    fields.audioHeader = head->bytes.left(4);

    // Sample s of the source's gapless decode is decoded sample s + sourceLead of its frames;
    // the cut's decode starts at its frame lead.number.
    const qint64 rate = head->header.sampleRate;
    const qint64 spf = head->header.samplesPerFrame();
    const qint64 shift =
        (sourceTag ? sourceTag->leadingSamples() : 0) - (lead.number - carrierFrames) * spf;
    const qint64 rawStart = qint64(startMs) * rate / 1000 + shift;
    const qint64 rawEnd = qint64(endMs) * rate / 1000 + shift;
    const qint64 decoded = qint64(fields.frameStarts.size()) * spf;
    // Before the first 529 samples nothing can be kept; a lead-in of a carrier and two granules
    // stays well within the 4095 the field holds.
    fields.delay = int(std::clamp<qint64>(rawStart - kDecoderDelaySamples, 0, kMaxGapSamples));
    const qint64 padding = decoded + kDecoderDelaySamples - rawEnd;
    // An empty range, or one inside the first 529 samples, cannot be told: whole frames play.
    if (padding < 0 || padding > kMaxGapSamples || rawEnd > decoded ||
        rawEnd <= fields.delay + kDecoderDelaySamples) {
        return std::nullopt;
    }
    fields.padding = int(padding);
    return fields;
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

namespace {

// Copies bytes from source's position to target, carrying the audio's CRC along; the error, or
// empty.
QString copyAudio(QFile &source, const QString &sourcePath, QSaveFile &target, qint64 bytes,
                  quint16 &crc) {
    constexpr qint64 kChunk = 1 << 20;
    while (bytes > 0) {
        const QByteArray chunk = source.read(std::min(bytes, kChunk));
        if (chunk.isEmpty()) {
            return QStringLiteral("%1: read failed").arg(sourcePath);
        }
        if (target.write(chunk) != chunk.size()) {
            return describe(target);
        }
        crc = crc16(chunk.constData(), chunk.size(), crc);
        bytes -= chunk.size();
    }
    return {};
}

}  // namespace

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
    const LeadIn leadIn = planLeadIn(source, frames, *first, last->end);
    const FrameSpan &lead = leadIn.from;
    std::optional<InfoFrameFields> info =
        planInfoFrame(source, frames, leadIn, *last, startMs, std::min(endMs, length));
    const qint64 infoBytes = info ? infoFrameBytes(*info) : 0;
    if (!source.seek(lead.begin)) {
        result.error = describe(source);
        return result;
    }

    QSaveFile target(targetPath);
    if (!target.open(QIODevice::WriteOnly)) {
        result.error = describe(target);
        return result;
    }
    // The info frame needs the CRC of the audio: it is written once the audio is.
    if (target.write(QByteArray(infoBytes, '\0')) != infoBytes) {
        result.error = describe(target);
        return result;
    }
    if (target.write(leadIn.carrier) != leadIn.carrier.size()) {
        result.error = describe(target);
        return result;
    }
    quint16 musicCrc = crc16(leadIn.carrier.constData(), leadIn.carrier.size());
    result.error = copyAudio(source, sourcePath, target, last->end - lead.begin, musicCrc);
    if (!result.error.isEmpty()) {
        return result;  // the save file is discarded unwritten
    }
    if (info) {
        info->musicCrc = musicCrc;
        const qint64 end = target.pos();
        if (!target.seek(0) || target.write(makeInfoFrame(*info)) != infoBytes ||
            !target.seek(end)) {
            result.error = describe(target);
            return result;
        }
    }
    if (!WriteTag(target, tag) || !target.commit()) {
        result.error = describe(target);
        return result;
    }
    result.audioBytes = last->end - lead.begin;
    result.infoBytes = infoBytes;
    result.carrierBytes = leadIn.carrier.size();
    return result;
}

}  // namespace varnelo
