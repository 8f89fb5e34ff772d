#include "controls/transportart.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace varnelo {

namespace {

// A triangle pointing right (or left) whose flat side is at x, centred on y.
QPolygonF triangle(qreal x, qreal y, qreal w, qreal h, bool right) {
    const qreal tip = right ? x + w : x - w;
    return QPolygonF({QPointF(x, y - h / 2), QPointF(tip, y), QPointF(x, y + h / 2)});
}

void drawGlyph(QPainter &painter, TransportArt::Glyph glyph) {
    // Glyphs are drawn about the centre of a 32 x 24 picture.
    constexpr qreal cx = 16;
    constexpr qreal cy = 12;
    switch (glyph) {
        case TransportArt::Glyph::Play:
            painter.drawPolygon(triangle(cx - 4, cy, 9, 12, true));
            break;
        case TransportArt::Glyph::Pause:
            painter.drawRect(QRectF(cx - 5, cy - 6, 3.5, 12));
            painter.drawRect(QRectF(cx + 1.5, cy - 6, 3.5, 12));
            break;
        case TransportArt::Glyph::Stop:
            painter.drawRect(QRectF(cx - 5, cy - 5, 10, 10));
            break;
        case TransportArt::Glyph::Next:
            painter.drawPolygon(triangle(cx - 6, cy, 8, 11, true));
            painter.drawRect(QRectF(cx + 3, cy - 5.5, 2.5, 11));
            break;
        case TransportArt::Glyph::Prev:
            painter.drawPolygon(triangle(cx + 6, cy, 8, 11, false));
            painter.drawRect(QRectF(cx - 5.5, cy - 5.5, 2.5, 11));
            break;
    }
}

}  // namespace

QImage TransportArt::image(Glyph glyph, bool pressed) {
    QImage image(kSize, QImage::Format_RGB32);
    const QColor back = background();
    image.fill(pressed ? back.darker(115) : back);
    QPainter painter(&image);

    // The bevel: light above and left when raised, the other way round when pushed in.
    const QColor light = back.lighter(160);
    const QColor dark = back.darker(170);
    const int w = kSize.width();
    const int h = kSize.height();
    painter.setPen(pressed ? dark : light);
    painter.drawLine(0, 0, w - 1, 0);
    painter.drawLine(0, 0, 0, h - 1);
    painter.setPen(pressed ? light : dark);
    painter.drawLine(w - 1, 0, w - 1, h - 1);
    painter.drawLine(0, h - 1, w - 1, h - 1);

    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    // A pushed-in glyph sits one pixel lower right and a little dimmer.
    painter.setBrush(pressed ? glyphColor().darker(120) : glyphColor());
    if (pressed)
        painter.translate(1, 1);
    drawGlyph(painter, glyph);
    return image;
}

QPixmap TransportArt::pixmap(Glyph glyph, bool pressed) {
    return QPixmap::fromImage(image(glyph, pressed));
}

}  // namespace varnelo
