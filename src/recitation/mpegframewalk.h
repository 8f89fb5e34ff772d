#pragma once

#include <QtGlobal>

#include <algorithm>
#include <optional>

#include "recitation/mpegheader.h"

namespace varnelo {

// What the start of an MP3 file says about its audio frames: where they begin and end, their
// kind, and what an Xing/Info frame announces. Offsets are absolute in the file.
struct MpegStreamStart {
    qint64 firstFrame = 0;  // first audio frame, past ID3v2 tags and the info frame
    qint64 dataEnd = 0;     // end of the frame data: the file less a trailing ID3v1 tag
    MpegHeader header;      // of the first frame found (the info frame when there is one)
    quint32 kind = 0;       // version, layer and rate bits of that header
    qint64 infoFrames = 0;  // audio frames announced by the info frame; 0 when none
    int encoderDelay = 0;   // from the LAME extension; 0 when it has none
    int encoderPadding = 0;

    // True when the decoder trims its own delay, and the encoder's delay and padding: whenever
    // the info frame gives a frame count, with or without a LAME extension.
    bool gapless() const { return infoFrames > 0; }
    // Decoder samples dropped before the first output sample: encoder delay plus the layer III
    // decoder's own 529 samples when gapless, else 0.
    qint64 decoderSkip() const;
    // Output samples of a stream of `frames` audio frames, trimmed as the decoder trims them.
    qint64 outputSamples(qint64 frames) const;
};

// How far past its ID3v2 tags a file may hold junk before its first audio frame.
inline constexpr qint64 kFirstFrameSearchBytes = qint64(1) << 20;

// Finds the first audio frame of the file's bytes the way libmpg123 does: skips ID3v2 tags and
// junk, takes the first header followed by another of its kind, and steps over an Xing/Info
// frame (a VBRI frame is audio to the decoder and stays one). nullopt when there is no such
// header within kFirstFrameSearchBytes after the tags or no complete audio frame.
std::optional<MpegStreamStart> findMpegStreamStart(const uchar *data, qint64 size);

// Walks the audio frames from start.firstFrame, numbering them exactly as libmpg123 does. A frame
// is counted where the previous one ends; after junk the walk resumes at the first valid header
// and gives up after 1024 bytes, as the decoder does. A header of another rate, layer or version
// that the next header confirms ends the walk (a new stream); a frame cut off by the end of the
// data is not counted.
class MpegFrameWalker {
public:
    enum class End { NotYet, EndOfData, Lost, FormatChange };

    // Bytes the walk can see: at most kLookahead are read past position() for one frame.
    static constexpr qint64 kLookahead = 16 * 1024;

    // Walks data, which holds the file's bytes from offset base on (the whole file when base is
    // 0); setWindow() hands over the next stretch when position() + kLookahead passes its end.
    MpegFrameWalker(const uchar *data, const MpegStreamStart &start, qint64 base = 0,
                    qint64 size = -1);
    void setWindow(const uchar *data, qint64 base, qint64 size);
    // Offset of the next byte the walk reads.
    qint64 position() const { return m_at; }
    // Offset past the last byte the walk can see.
    qint64 windowEnd() const { return m_windowEnd; }
    // Where the bytes the walk can see must reach for its next step: its lookahead, or the end of
    // the frame data.
    qint64 needsUntil() const { return std::min(m_at + kLookahead, m_dataEnd); }

    // Offset of the next frame; -1 once the walk has ended (end() says why).
    qint64 next();
    End end() const { return m_end; }
    // Offset just past the last frame returned.
    qint64 lastFrameEnd() const { return m_lastEnd; }
    // Sample rate of the header that ended the walk with FormatChange; 0 otherwise.
    int changedRate() const { return m_changedRate; }

private:
    qint64 stop(End why);

    const uchar *m_data;  // the byte at offset m_base
    qint64 m_base = 0;
    qint64 m_windowEnd;  // offset past the last byte of m_data, never past m_dataEnd
    qint64 m_dataEnd;
    quint32 m_kind;
    qint64 m_at;
    qint64 m_lastEnd;
    End m_end = End::NotYet;
    int m_changedRate = 0;
    struct Seen {
        quint32 word = 0;
        int frameBytes = 0;  // 0: an empty slot
    };
    Seen m_seen[2];
    int m_nextSeen = 0;
};

}  // namespace varnelo
