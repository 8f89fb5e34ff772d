#include "controls/gifanimation.h"

#include <cstring>

#include <algorithm>
#include <system_error>

namespace varnelo {

namespace {

const char kTooLargeText[] = "Sorry, this  file is too large to show";

}  // namespace

GifAnimation::~GifAnimation() {
    dropReadAhead();
}

std::optional<GifAnimation::LoadError> GifAnimation::load(QByteArray bytes, qint64 foreColour,
                                                          bool changeTransparentColour, QRgb back) {
    reset(back);
    GifParseResult parsed = parseGif(std::move(bytes), foreColour, changeTransparentColour);
    if (!parsed.gif)
        return LoadError{QString::fromLatin1(kNotAGifTitle), parsed.error};
    const int width = parsed.gif->canvasWidth();
    const int height = parsed.gif->canvasHeight();
    // A forged screen size must not make the canvas eat the machine's memory.
    if (width > kMaxCanvasSide || height > kMaxCanvasSide ||
        qint64(width) * height > kMaxCanvasPixels) {
        return LoadError{QString::fromLatin1(kNotAGifTitle), QString::fromLatin1(kTooLargeText)};
    }
    m_gif = std::move(parsed.gif);
    m_canvas = QImage(width, height, QImage::Format_Indexed8);
    clearCanvas(back);
    m_frameZeroDecodes = frameCount() > 0 && !picture(0).isNull();
    return std::nullopt;
}

void GifAnimation::reset(QRgb back) {
    dropReadAhead();
    m_gif.reset();
    m_decoded.clear();
    m_frameZeroDecodes = false;
    clearCanvas(back);
}

void GifAnimation::clearCanvas(QRgb colour) {
    if (m_canvas.isNull())
        return;
    // A clear canvas holds one colour: it can go back to 8 bits.
    if (m_canvas.format() != QImage::Format_Indexed8)
        m_canvas = QImage(m_canvas.size(), QImage::Format_Indexed8);
    m_canvas.setColorTable({qRgb(qRed(colour), qGreen(colour), qBlue(colour))});
    m_canvas.fill(0);
    m_canvasBlank = true;
}

namespace {

// The index of colour in an 8-bit colour table, appended when missing; -1 when the table is full.
int tableIndex(QList<QRgb> &table, QRgb colour) {
    qsizetype at = table.indexOf(colour);
    if (at < 0) {
        if (table.size() == 256)
            return -1;
        at = table.size();
        table.append(colour);
    }
    return int(at);
}

}  // namespace

void GifAnimation::adoptTable(const QList<QRgb> &colours) {
    // The blank canvas takes the frame's own table, so this frame and every later one with the
    // same table copy their rows unchanged.
    QList<QRgb> table = colours;
    const int at = tableIndex(table, m_canvas.color(0));
    if (at < 0)
        return;
    m_canvas.setColorTable(table);
    m_canvas.fill(uint(at));
}

bool GifAnimation::canvasIndexes(const QList<QRgb> &colours, const bool *used, uchar *indexes) {
    QList<QRgb> table = m_canvas.colorTable();
    for (int i = 0; i < colours.size(); ++i) {
        if (!used[i])
            continue;
        const int at = tableIndex(table, colours[i]);
        if (at < 0)
            return false;
        indexes[i] = uchar(at);
    }
    if (table.size() != m_canvas.colorCount())
        m_canvas.setColorTable(table);
    return true;
}

namespace {

// One row of a frame onto the canvas through table; pixels whose index keyed marks stay as
// they were.
template <typename Pixel>
void copyRow(const uchar *from, Pixel *to, int width, const Pixel *table, const bool *keyed) {
    if (keyed) {
        for (int x = 0; x < width; ++x) {
            if (!keyed[from[x]])
                to[x] = table[from[x]];
        }
    } else {
        for (int x = 0; x < width; ++x)
            to[x] = table[from[x]];
    }
}

// The one index of the table's count entries that keyed marks; -1 when none or several are, or
// when one outside the table is (a pixel could carry it).
int onlyKeyedIndex(const bool *keyed, int count) {
    int found = -1;
    for (int i = 0; i < 256; ++i) {
        if (!keyed[i])
            continue;
        if (found >= 0 || i >= count)
            return -1;
        found = i;
    }
    return found;
}

}  // namespace

bool GifAnimation::render(int frame, QRgb back) {
    if (!m_frameZeroDecodes || frame < 0 || frame >= frameCount() || m_canvas.isNull())
        return false;
    const QImage image = picture(frame);
    if (image.isNull())
        return false;
    if (m_gif->frames.at(frame).disposal == 2)
        clearCanvas(back);

    // Only the part of the frame on the canvas is drawn; the rest is cut off as a blit would.
    // The file may place a frame anywhere on a screen of 65535 pixels.
    const GifFrame &f = m_gif->frames.at(frame);
    Placed placed{
        image, QRect(f.left, f.top, f.width, f.height).intersected(m_canvas.rect()), {}, false};
    if (placed.area.isEmpty()) {
        readAhead(frame + 1);  // the canvas is as blank as it was
        return true;
    }
    const std::optional<quint32> key = m_gif->keyColour(frame);
    const QList<QRgb> colourList = image.colorTable();
    const QRgb *colours = colourList.constData();
    for (int i = 0; i < 256; ++i) {
        placed.keyed[i] = key && (colours[i] & 0xFFFFFF) == *key;
        placed.anyKeyed = placed.anyKeyed || placed.keyed[i];
    }
    if (m_canvas.format() == QImage::Format_Indexed8) {
        if (drawIndexed(placed))
            return drawn(frame);
        m_canvas.convertTo(QImage::Format_RGB32);  // more than 256 colours from here on
    }
    // A verse step draws a whole page frame: keep the per-pixel work to one table look-up.
    const QRect &a = placed.area;
    for (int y = 0; y < a.height(); ++y) {
        copyRow(image.constScanLine(y),
                reinterpret_cast<QRgb *>(m_canvas.scanLine(a.y() + y)) + a.x(), a.width(), colours,
                placed.anyKeyed ? placed.keyed : nullptr);
    }
    return drawn(frame);
}

bool GifAnimation::drawIndexed(const Placed &placed) {
    QList<QRgb> opaque = placed.image.colorTable();
    for (QRgb &c : opaque)
        c = qRgb(qRed(c), qGreen(c), qBlue(c));
    if (m_canvasBlank)
        adoptTable(opaque);
    const QList<QRgb> table = m_canvas.colorTable();
    if (table.size() >= opaque.size() && std::equal(opaque.begin(), opaque.end(), table.begin()) &&
        drawSharedTable(placed, onlyKeyedIndex(placed.keyed, int(opaque.size())))) {
        return true;
    }
    // The frame's whole table usually fits; only when it does not are the colours the frame
    // really uses counted.
    const QRect &a = placed.area;
    bool used[256];
    for (int i = 0; i < 256; ++i)
        used[i] = !placed.keyed[i] && i < opaque.size();
    uchar indexes[256] = {};
    bool fits = canvasIndexes(opaque, used, indexes);
    if (!fits) {
        bool seen[256] = {};
        for (int y = 0; y < a.height(); ++y) {
            const uchar *from = placed.image.constScanLine(y);
            for (int x = 0; x < a.width(); ++x)
                seen[from[x]] = true;
        }
        for (int i = 0; i < 256; ++i)
            used[i] = used[i] && seen[i];
        fits = canvasIndexes(opaque, used, indexes);
    }
    if (!fits)
        return false;
    for (int y = 0; y < a.height(); ++y)
        copyRow(placed.image.constScanLine(y), m_canvas.scanLine(a.y() + y) + a.x(), a.width(),
                indexes, placed.anyKeyed ? placed.keyed : nullptr);
    return true;
}

bool GifAnimation::drawSharedTable(const Placed &placed, int keyIndex) {
    // The canvas shares the frame's table: rows copy as they are, the key left out. Several
    // keyed indexes go the mapped way.
    if (placed.anyKeyed && keyIndex < 0)
        return false;
    const QRect &a = placed.area;
    for (int y = 0; y < a.height(); ++y) {
        uchar *to = m_canvas.scanLine(a.y() + y) + a.x();
        const uchar *from = placed.image.constScanLine(y);
        if (!placed.anyKeyed) {
            std::memcpy(to, from, size_t(a.width()));
        } else {
            for (int x = 0; x < a.width(); ++x)
                to[x] = from[x] == keyIndex ? to[x] : from[x];
        }
    }
    return true;
}

bool GifAnimation::drawn(int frame) {
    m_canvasBlank = false;
    readAhead(frame + 1);
    return true;
}

void GifAnimation::readAhead(int frame) {
    if (frame >= frameCount() || frame == m_aheadFrame ||
        std::any_of(m_decoded.begin(), m_decoded.end(),
                    [frame](const Decoded &d) { return d.frame == frame; })) {
        return;
    }
    dropReadAhead();
    try {
        m_ahead = std::async(std::launch::async, [this, frame] { return decode(frame); });
        m_aheadFrame = frame;
    } catch (const std::system_error &) {
        // No thread to spare: the frame is decoded when it is drawn.
    }
}

void GifAnimation::dropReadAhead() {
    if (m_ahead.valid())
        m_ahead.wait();
    m_ahead = {};
    m_aheadFrame = -1;
}

QImage GifAnimation::picture(int frame) {
    const auto held = std::find_if(m_decoded.begin(), m_decoded.end(),
                                   [frame](const Decoded &d) { return d.frame == frame; });
    if (held != m_decoded.end()) {
        const Decoded found = *held;
        m_decoded.erase(held);
        m_decoded.append(found);
        return found.picture;
    }
    if (frame == m_aheadFrame) {
        m_decoded.append({frame, m_ahead.get()});
        m_aheadFrame = -1;
    } else {
        m_decoded.append({frame, decode(frame)});
    }
    while (m_decoded.size() > kKeptFrames)
        m_decoded.removeFirst();
    return m_decoded.last().picture;
}

// Straight to indexes: a page frame never passes through a 32-bit image.
QImage GifAnimation::decode(int frame) const {
    const GifFrame &f = m_gif->frames.at(frame);
    QImage picture(f.width, f.height, QImage::Format_Indexed8);
    if (picture.isNull() || !m_gif->decodeFrame(frame, picture.bits(), picture.bytesPerLine()))
        return {};
    QList<QRgb> colours(256);
    const std::array<quint32, 256> table = m_gif->colourTable(frame);
    for (int i = 0; i < 256; ++i)
        colours[i] = 0xFF000000u | table[size_t(i)];
    picture.setColorTable(colours);
    return picture;
}

}  // namespace varnelo
