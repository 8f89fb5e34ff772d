#include "controls/ucsliderpainter.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPalette>

#include <algorithm>
#include <array>

#include "controls/ucslidermodel.h"

namespace varnelo {

namespace {

// Plain thumb, along and across the slider.
constexpr int kPlainAlong = 11;
constexpr int kPlainAcross = 21;

// Edge bits and sides in the layout of the classic 3-D edge call.
constexpr int kRaisedOuter = 1;
constexpr int kSunkenOuter = 2;
constexpr int kRaisedInner = 4;
constexpr int kSunkenInner = 8;
constexpr int kLeft = 1;
constexpr int kTop = 2;
constexpr int kRight = 4;
constexpr int kBottom = 8;

// Edge drawn on the right and bottom for rail styles 0..4: sunken, raised, sunken outer only,
// raised inner only, none. The left and top always get a sunken outer line.
constexpr std::array<int, 5> kStyleEdges{10, 5, 2, 4, 0};

// One ring of the edge (outer or inner): top-left and bottom-right colours by raised/sunken.
void drawRing(QPainter &painter, const QRect &r, int sides, const QColor &topLeft,
              const QColor &bottomRight) {
    painter.setPen(topLeft);
    if (sides & kLeft)
        painter.drawLine(r.left(), r.top(), r.left(), r.bottom());
    if (sides & kTop)
        painter.drawLine(r.left(), r.top(), r.right(), r.top());
    painter.setPen(bottomRight);
    if (sides & kRight)
        painter.drawLine(r.right(), r.top(), r.right(), r.bottom());
    if (sides & kBottom)
        painter.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
}

void drawEdge(QPainter &painter, const QRect &r, int edge, int sides, const QPalette &palette) {
    const QColor light = palette.color(QPalette::Light);
    const QColor midlight = palette.color(QPalette::Midlight);
    const QColor dark = palette.color(QPalette::Dark);
    const QColor shadow = palette.color(QPalette::Shadow);
    if (edge & kRaisedOuter)
        drawRing(painter, r, sides, light, shadow);
    else if (edge & kSunkenOuter)
        drawRing(painter, r, sides, dark, light);
    const QRect inner = r.adjusted(1, 1, -1, -1);
    if (edge & kRaisedInner)
        drawRing(painter, inner, sides, midlight, dark);
    else if (edge & kSunkenInner)
        drawRing(painter, inner, sides, shadow, midlight);
}

int railAcross(bool horizontal, int railStyle, const QImage &railImage) {
    if (railStyle != ucSliderPainter::kRailImageStyle || railImage.isNull())
        return ucSliderPainter::kEdgeRail;
    return horizontal ? railImage.height() : railImage.width();
}

}  // namespace

QSize ucSliderPainter::thumbSize(bool horizontal, const QImage &sliderImage) {
    if (!sliderImage.isNull())
        return sliderImage.size();
    return horizontal ? QSize(kPlainAlong, kPlainAcross) : QSize(kPlainAcross, kPlainAlong);
}

int ucSliderPainter::thickness(bool horizontal, int railStyle, const ucSliderSkin &skin) {
    const QSize thumb = thumbSize(horizontal, skin.SliderImage);
    const int thumbAcross = horizontal ? thumb.height() : thumb.width();
    return std::max(railAcross(horizontal, railStyle, skin.RailImage), thumbAcross) + kAllowance;
}

QRect ucSliderPainter::railRect(const ucSliderModel &model, const ucSliderSkin &skin) {
    const bool horizontal = model.isHorizontal();
    const QSize control = model.controlSize();
    const QSize thumb = model.thumbSize();
    const int across = railAcross(horizontal, model.RailStyle(), skin.RailImage);
    if (horizontal) {
        const int begin = thumb.width() / 2;
        return QRect(begin, (control.height() - across) / 2, control.width() - 2 * begin, across);
    }
    const int begin = thumb.height() / 2;
    return QRect((control.width() - across) / 2, begin, across, control.height() - 2 * begin);
}

void ucSliderPainter::paint(QPainter &painter, const ucSliderModel &model, const ucSliderSkin &skin,
                            const QPalette &palette) {
    painter.fillRect(QRect(QPoint(0, 0), model.controlSize()), skin.BackColor);

    const QRect rail = railRect(model, skin);
    const int style = model.RailStyle();
    if (style >= 0 && style < int(kStyleEdges.size())) {
        drawEdge(painter, rail, kStyleEdges[style], kRight | kBottom, palette);
        drawEdge(painter, rail, kSunkenOuter, kLeft | kTop, palette);
    } else if (style == kRailImageStyle && !skin.RailImage.isNull()) {
        painter.drawImage(rail, skin.RailImage);
    }

    const QRect thumb = model.thumbPixels();
    if (!skin.SliderImage.isNull()) {
        painter.drawImage(thumb.topLeft(), skin.SliderImage);
        return;
    }
    painter.fillRect(thumb, palette.color(QPalette::Button));
    drawEdge(painter, thumb, kRaisedOuter | kRaisedInner, kLeft | kTop | kRight | kBottom, palette);
}

QImage ucSliderPainter::skinThumb(bool horizontal) {
    const QSize size = horizontal ? QSize(13, 22) : QSize(22, 13);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient shade(0, 0, size.width(), size.height());
    shade.setColorAt(0, QColor(0xf4, 0xe9, 0xc8));
    shade.setColorAt(1, QColor(0xa8, 0x84, 0x3c));
    painter.setBrush(shade);
    painter.setPen(QColor(0x5a, 0x43, 0x14));
    painter.drawRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), 3, 3);
    // Three grip lines across the thumb.
    painter.setPen(QColor(0x5a, 0x43, 0x14, 160));
    for (int i = -1; i <= 1; ++i) {
        if (horizontal) {
            const double x = size.width() / 2.0 + 3 * i;
            painter.drawLine(QPointF(x, 6), QPointF(x, size.height() - 6));
        } else {
            const double y = size.height() / 2.0 + 3 * i;
            painter.drawLine(QPointF(6, y), QPointF(size.width() - 6, y));
        }
    }
    return image;
}

QImage ucSliderPainter::skinRail(bool horizontal) {
    const QSize size = horizontal ? QSize(16, 6) : QSize(6, 16);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    QLinearGradient groove(0, 0, horizontal ? 0 : size.width(), horizontal ? size.height() : 0);
    groove.setColorAt(0, QColor(0x3b, 0x2c, 0x0e));
    groove.setColorAt(1, QColor(0xc9, 0xb2, 0x7a));
    painter.fillRect(image.rect(), groove);
    return image;
}

}  // namespace varnelo
