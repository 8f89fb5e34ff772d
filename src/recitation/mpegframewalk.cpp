#include "recitation/mpegframewalk.h"

#include <algorithm>
#include <cstring>

namespace varnelo {

namespace {

// Header bits that stay the same through one stream: sync, version, layer and sample rate.
constexpr quint32 kKindMask = 0xFFFE0C00u;
// libmpg123 gives up resynchronising after this much junk between frames.
constexpr qint64 kResyncLimit = 1024;
// The layer III decoder's own delay, which gapless decoding removes with the encoder delay.
constexpr qint64 kDecoderDelay = 529;
constexpr qint64 kId3v1Bytes = 128;
constexpr qint64 kId3v2HeaderBytes = 10;

quint32 be32(const uchar *p) {
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | quint32(p[3]);
}

// data holds the bytes from offset base up to end.
std::optional<MpegHeader> headerAt(const uchar *data, qint64 end, qint64 at, qint64 base = 0) {
    if (at < base || at + 4 > end) {
        return std::nullopt;
    }
    return parseMpegHeader(be32(data + (at - base)));
}

bool sameKind(const uchar *data, qint64 end, qint64 at, quint32 kind, qint64 base = 0) {
    return headerAt(data, end, at, base) && (be32(data + (at - base)) & kKindMask) == kind;
}

// A header at `at` of the given kind whose frame ends at the end of the data or where another
// header of that kind starts.
bool confirmedHeader(const uchar *data, qint64 end, qint64 at, quint32 kind) {
    const std::optional<MpegHeader> header = headerAt(data, end, at);
    if (!header || (be32(data + at) & kKindMask) != kind) {
        return false;
    }
    const qint64 next = at + header->frameBytes;
    return next == end || sameKind(data, end, next, kind);
}

// Past any ID3v2 tags at `at`; -1 when a tag claims more than the data holds.
qint64 skipId3v2(const uchar *data, qint64 end, qint64 at) {
    while (at + kId3v2HeaderBytes <= end && std::memcmp(data + at, "ID3", 3) == 0) {
        const uchar *size = data + at + 6;
        if ((size[0] | size[1] | size[2] | size[3]) & 0x80) {
            break;  // not a syncsafe size: not a tag
        }
        const qint64 body =
            qint64(size[0]) << 21 | qint64(size[1]) << 14 | qint64(size[2]) << 7 | qint64(size[3]);
        const bool footer = (data[at + 5] & 0x10) != 0;
        at += kId3v2HeaderBytes + body + (footer ? kId3v2HeaderBytes : 0);
    }
    return at <= end ? at : -1;
}

// Reads an Xing/Info frame as libmpg123 does: the tag follows the side information, which must
// be zero; fields missing from a short frame are left unknown. False when frame is no such frame.
bool readInfoFrame(const uchar *frame, const MpegHeader &header, MpegStreamStart &start) {
    if (header.layer != 3) {
        return false;
    }
    const uchar *body = frame + 4;
    const qint64 size = header.frameBytes - 4;
    qint64 at = header.sideInfoBytes();
    if (size < at + 8 || std::any_of(body + 2, body + at, [](uchar b) { return b != 0; })) {
        return false;
    }
    if (std::memcmp(body + at, "Xing", 4) != 0 && std::memcmp(body + at, "Info", 4) != 0) {
        return false;
    }
    const quint32 flags = be32(body + at + 4);
    at += 8;
    const auto has = [&](qint64 n) { return size >= at + n; };
    if (flags & 1) {
        if (!has(4)) {
            return true;
        }
        start.infoFrames = be32(body + at);
        at += 4;
    }
    for (const auto &[flag, bytes] : {std::pair{2u, 4}, std::pair{4u, 100}, std::pair{8u, 4}}) {
        if (flags & flag) {
            if (!has(bytes)) {
                return true;
            }
            at += bytes;
        }
    }
    // The LAME extension: 9 bytes of encoder name, then delay and padding as 12 bits each at 21.
    if (has(24) && body[at] != 0) {
        const uchar *d = body + at + 21;
        start.encoderDelay = d[0] << 4 | d[1] >> 4;
        start.encoderPadding = (d[1] & 0x0F) << 8 | d[2];
    }
    return true;
}

}  // namespace

qint64 MpegStreamStart::decoderSkip() const {
    return gapless() ? encoderDelay + kDecoderDelay : 0;
}

qint64 MpegStreamStart::outputSamples(qint64 frames) const {
    const qint64 spf = header.samplesPerFrame();
    const qint64 all = frames * spf;
    if (!gapless()) {
        return all;
    }
    // The decoder trims the padding at the announced end, or at the real end when more frames
    // follow; a stream cut short simply ends.
    const qint64 trimmedEnd = std::max(frames, infoFrames) * spf - encoderPadding + kDecoderDelay;
    return std::max<qint64>(std::min(trimmedEnd, all) - decoderSkip(), 0);
}

std::optional<MpegStreamStart> findMpegStreamStart(const uchar *data, qint64 size) {
    MpegStreamStart start;
    start.dataEnd = size;
    if (size >= kId3v1Bytes && std::memcmp(data + size - kId3v1Bytes, "TAG", 3) == 0) {
        start.dataEnd -= kId3v1Bytes;
    }
    const qint64 end = start.dataEnd;
    qint64 at = skipId3v2(data, end, 0);
    if (at < 0) {
        return std::nullopt;
    }
    // A file of junk is given up on where a decoder would, not read to its end.
    const qint64 searchEnd = std::min(end - 3, at + kFirstFrameSearchBytes);
    for (; at < searchEnd; ++at) {
        if (data[at] == 0xFF && headerAt(data, end, at) &&
            confirmedHeader(data, end, at, be32(data + at) & kKindMask)) {
            break;
        }
    }
    const std::optional<MpegHeader> header =
        at < searchEnd ? headerAt(data, end, at) : std::nullopt;
    if (!header) {
        return std::nullopt;
    }
    start.header = *header;
    start.kind = be32(data + at) & kKindMask;
    start.firstFrame = at;
    if (at + header->frameBytes <= end && readInfoFrame(data + at, *header, start)) {
        start.firstFrame = at + header->frameBytes;
    }
    const std::optional<MpegHeader> first = headerAt(data, end, start.firstFrame);
    if (!first || !sameKind(data, end, start.firstFrame, start.kind) ||
        start.firstFrame + first->frameBytes > end) {
        return std::nullopt;
    }
    return start;
}

MpegFrameWalker::MpegFrameWalker(const uchar *data, const MpegStreamStart &start, qint64 base,
                                 qint64 size)
    : m_dataEnd(start.dataEnd),
      m_kind(start.kind),
      m_at(start.firstFrame),
      m_lastEnd(start.firstFrame) {
    setWindow(data, base, size < 0 ? start.dataEnd - base : size);
}

void MpegFrameWalker::setWindow(const uchar *data, qint64 base, qint64 size) {
    m_data = data;
    m_base = base;
    m_windowEnd = std::min(base + size, m_dataEnd);
}

qint64 MpegFrameWalker::stop(End why) {
    m_end = why;
    return -1;
}

qint64 MpegFrameWalker::next() {
    if (m_end != End::NotYet) {
        return -1;
    }
    // Most headers repeat one of the last two (padding on and off): skip parsing them again.
    if (m_at >= m_base && m_at + 4 <= m_windowEnd) {
        const quint32 word = be32(m_data + (m_at - m_base));
        for (const Seen &seen : m_seen) {
            if (seen.frameBytes > 0 && word == seen.word && m_at + seen.frameBytes <= m_dataEnd) {
                const qint64 frame = m_at;
                m_at += seen.frameBytes;
                m_lastEnd = m_at;
                return frame;
            }
        }
    }
    std::optional<MpegHeader> header = headerAt(m_data, m_windowEnd, m_at, m_base);
    if (!header) {
        // The decoder takes the first valid header within its resync limit, of whatever kind.
        const qint64 limit = std::min(m_at + kResyncLimit, m_windowEnd);
        qint64 found = m_at + 1;
        while (found < limit &&
               !(m_data[found - m_base] == 0xFF && headerAt(m_data, m_windowEnd, found, m_base))) {
            ++found;
        }
        if (found >= limit) {
            return stop(found >= m_dataEnd ? End::EndOfData : End::Lost);
        }
        m_at = found;
        header = headerAt(m_data, m_windowEnd, m_at, m_base);
    }
    const quint32 kind = be32(m_data + (m_at - m_base)) & kKindMask;
    const qint64 next = m_at + header->frameBytes;
    // Another rate, layer or version that holds for the next frame too is a new stream; a lone
    // header of another kind is still a frame to the decoder.
    if (kind != m_kind &&
        (next == m_dataEnd || sameKind(m_data, m_windowEnd, next, kind, m_base))) {
        m_changedRate = header->sampleRate;
        return stop(End::FormatChange);
    }
    if (next > m_dataEnd) {
        return stop(End::EndOfData);  // cut off: the decoder cannot read it either
    }
    if (kind == m_kind) {
        m_seen[m_nextSeen] = Seen{be32(m_data + (m_at - m_base)), header->frameBytes};
        m_nextSeen = 1 - m_nextSeen;
    }
    const qint64 frame = m_at;
    m_at = next;
    m_lastEnd = next;
    return frame;
}

}  // namespace varnelo
