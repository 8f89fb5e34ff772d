#include "controls/sliderpicpainter.h"

#include <QPainter>
#include <QPolygonF>

#include <algorithm>

#include "controls/sliderpicmodel.h"

namespace varnelo {

namespace {

QRgb rgbOf(BgrColor color) {
    return qRgb(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

BgrColor bgrOf(QRgb rgb) {
    return BgrColor(qRed(rgb)) | BgrColor(qGreen(rgb)) << 8 | BgrColor(qBlue(rgb)) << 16;
}

const QColor MaskColour(192, 192, 192);

// The wedge the volume pictures share: thin at the left, full height at the right.
QPolygonF wedge(QSize size) {
    const qreal w = size.width();
    const qreal h = size.height();
    return QPolygonF({QPointF(2, h - 4), QPointF(w - 2, 3), QPointF(w - 2, h - 4)});
}

void applyDisabled(QImage &image, const SliderPicModel &model) {
    const QRgb mask = rgbOf(model.MaskColor());
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) == 0 || (line[x] & RGB_MASK) == (mask & RGB_MASK))
                continue;
            const BgrColor changed = SliderPicModel::disabledColor(
                bgrOf(line[x]), model.DisabledStyle(), model.DisabledIntense(), model.MaskColor());
            line[x] = (rgbOf(changed) & RGB_MASK) | (line[x] & ~RGB_MASK);
        }
    }
}

}  // namespace

void SliderPicPainter::layout(SliderPicModel &model, int controlWidth, const SliderPicSkin &skin) {
    const int pointer = skin.ImagePointer.width();
    const int rail = skin.ImageSlider.isNull() ? controlWidth : skin.ImageSlider.width();
    model.setTrack(pointer / 2, std::min(rail, controlWidth) - pointer);
}

QImage SliderPicPainter::masked(const QImage &picture, QRgb mask) {
    QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & RGB_MASK) == (mask & RGB_MASK))
                line[x] = 0;
        }
    }
    return image;
}

QImage SliderPicPainter::render(const SliderPicModel &model, const SliderPicSkin &skin,
                                QSize size) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(model.BackStyle() == 0 ? QColor(Qt::transparent) : skin.BackColor);
    QPainter painter(&image);
    const QRgb mask = rgbOf(model.MaskColor());
    const int centre = model.trackStart() + model.pointerPixel();
    if (!skin.ImageSlider.isNull()) {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, (size.height() - skin.ImageSlider.height()) / 2, skin.ImageSlider);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    if (model.isSliderLeftPicSet() && !skin.ImageLeft.isNull()) {
        painter.save();
        painter.setClipRect(0, 0, centre, size.height());
        painter.drawImage(0, (size.height() - skin.ImageLeft.height()) / 2,
                          masked(skin.ImageLeft, mask));
        painter.restore();
    }
    if (!skin.ImagePointer.isNull()) {
        const QImage pointer = masked(skin.ImagePointer, mask);
        painter.drawImage(centre - pointer.width() / 2, (size.height() - pointer.height()) / 2,
                          pointer);
    }
    painter.end();
    if (!model.Enabled())
        applyDisabled(image, model);
    return image;
}

QImage SliderPicPainter::volumeRail(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(57, 49, 57));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(30, 26, 30), 1));
    painter.setBrush(QColor(84, 74, 84));
    painter.drawPolygon(wedge(size));
    return image;
}

QImage SliderPicPainter::volumeLeft(QSize size) {
    // Drawn without smoothing: blended edge pixels next to the mask would show a grey fringe.
    QImage image(size, QImage::Format_RGB32);
    image.fill(MaskColour);
    QPainter painter(&image);
    QLinearGradient fill(0, 0, size.width(), 0);
    fill.setColorAt(0, QColor(60, 150, 110));
    fill.setColorAt(1, QColor(250, 210, 90));
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawPolygon(wedge(size).translated(0, 0));
    return image;
}

QImage SliderPicPainter::volumePointer() {
    QImage image(QSize(10, 20), QImage::Format_RGB32);
    image.fill(MaskColour);
    QPainter painter(&image);
    painter.setPen(QColor(30, 26, 30));
    painter.setBrush(QColor(226, 218, 226));
    painter.drawRect(1, 1, 7, 17);
    painter.setPen(QColor(150, 140, 150));
    for (const int y : {6, 9, 12})
        painter.drawLine(3, y, 6, y);
    return image;
}

}  // namespace varnelo
