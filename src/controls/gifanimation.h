#pragma once

#include <future>
#include <optional>

#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

#include "controls/gifstructure.h"

namespace varnelo {

// A loaded GIF drawn frame by frame onto a cumulative canvas. A frame is decoded when it is
// first drawn and only the last few decoded frames are kept, as 8-bit indexed images. Drawing a
// frame starts decoding the next one on a thread of its own, so stepping on finds it ready.
// The canvas is 8-bit indexed too while the frames drawn on it use at most 256 colours in all
// (a page uses a handful), and 32-bit from the frame that brings more.
class GifAnimation {
public:
    GifAnimation() = default;
    GifAnimation(const GifAnimation &) = delete;
    GifAnimation &operator=(const GifAnimation &) = delete;
    ~GifAnimation();

    // The frame shown and the one before it, so a step back finds its frame decoded as a step on
    // finds the one read ahead; each is a page's worth of pixels.
    static constexpr int kKeptFrames = 2;
    static constexpr int kMaxCanvasSide = 16384;
    static constexpr qint64 kMaxCanvasPixels = qint64(1) << 25;

    struct LoadError {
        QString title;
        QString text;
    };

    // Replaces the animation with the GIF in bytes (see parseGif for the colour changes) on a
    // canvas filled with back, and decodes frame 0. On failure the frames are gone, the old
    // canvas is filled with back and the error is the message to show. Bytes handed over with
    // std::move are recoloured in place rather than copied.
    std::optional<LoadError> load(QByteArray bytes, qint64 foreColour, bool changeTransparentColour,
                                  QRgb back);

    // Drops the file and its frames and fills the canvas with back.
    void reset(QRgb back);

    // Fills the whole canvas with colour (and makes it 8-bit again).
    void clearCanvas(QRgb colour);

    // Draws the frame onto the canvas at its position, first filling the canvas with back when
    // its disposal is 2; pixels of its key colour leave the canvas as it was. False, and the
    // canvas unchanged, for a frame that does not exist or does not decode, or when frame 0
    // does not decode.
    bool render(int frame, QRgb back);

    // Indexed8 or RGB32; the same pixels either way.
    const QImage &canvas() const { return m_canvas; }
    int frameCount() const { return m_gif ? int(m_gif->frames.size()) : 0; }
    const GifStructure *structure() const { return m_gif ? &*m_gif : nullptr; }
    // How many decoded frames are held now.
    int decodedFrameCount() const { return int(m_decoded.size()); }

private:
    struct Decoded {
        int frame;
        QImage picture;
    };

    // A decoded frame and the part of the canvas it covers, with the indexes of its key colour.
    struct Placed {
        const QImage &image;
        QRect area;
        bool keyed[256];
        bool anyKeyed;
    };

    // Draws onto the 8-bit canvas; false, with nothing drawn, when the colours do not fit.
    bool drawIndexed(const Placed &placed);
    // Copies rows unchanged onto a canvas sharing the frame's table; false when the key colour
    // takes more than the one index keyIndex.
    bool drawSharedTable(const Placed &placed, int keyIndex);
    QImage picture(int frame);
    QImage decode(int frame) const;
    void readAhead(int frame);
    // Waits for the frame being read ahead and forgets it; before the file changes.
    void dropReadAhead();
    // The canvas index of every colour of colours that used marks, adding them to the canvas's
    // table; false when the table would pass 256 colours.
    bool canvasIndexes(const QList<QRgb> &colours, const bool *used, uchar *indexes);
    void adoptTable(const QList<QRgb> &colours);
    // After a frame is on the canvas: starts reading the next one ahead; returns true.
    bool drawn(int frame);

    std::optional<GifStructure> m_gif;
    QImage m_canvas;
    QList<Decoded> m_decoded;  // least recently drawn first
    int m_aheadFrame = -1;
    std::future<QImage> m_ahead;  // decode(m_aheadFrame), reading m_gif only
    bool m_frameZeroDecodes = false;
    bool m_canvasBlank = false;  // one colour since the last clear
};

}  // namespace varnelo
