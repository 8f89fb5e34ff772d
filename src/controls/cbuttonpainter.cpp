#include "controls/cbuttonpainter.h"

#include <QPainter>
#include <QPalette>

namespace varnelo {

namespace {

constexpr int kCaptionFlags =
    Qt::AlignCenter | Qt::TextSingleLine | Qt::TextExpandTabs | Qt::TextShowMnemonic;

// A one-pixel frame round the button, then its right and bottom lines over it.
void drawEdge(QPainter &painter, int w, int h, const QColor &frame, const QColor &rightBottom) {
    painter.setPen(frame);
    painter.drawRect(0, 0, w - 1, h - 1);
    painter.setPen(rightBottom);
    painter.drawLine(w - 1, 0, w - 1, h - 1);
    painter.drawLine(0, h - 1, w - 1, h - 1);
}

void drawCaption(QPainter &painter, const QRect &r, const QColor &color, const QString &caption) {
    painter.setPen(color);
    painter.drawText(r, kCaptionFlags, caption);
}

// Every other pixel of the rectangle's outline, like the classic dotted focus frame.
void drawFocus(QPainter &painter, const QRect &r, const QColor &color) {
    painter.setPen(color);
    for (int x = r.left(); x <= r.right(); ++x) {
        for (int y : {r.top(), r.bottom()}) {
            if ((x + y) % 2 == 0)
                painter.drawPoint(x, y);
        }
    }
    for (int y = r.top() + 1; y < r.bottom(); ++y) {
        for (int x : {r.left(), r.right()}) {
            if ((x + y) % 2 == 0)
                painter.drawPoint(x, y);
        }
    }
}

}  // namespace

QColor cButtonPainter::toColor(BgrColor c) {
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

BgrColor cButtonPainter::fromColor(const QColor &c) {
    return BgrColor(c.red()) | BgrColor(c.green()) << 8 | BgrColor(c.blue()) << 16;
}

cButtonSystemColors cButtonPainter::systemColors(const QPalette &palette) {
    cButtonSystemColors s;
    s.face = fromColor(palette.color(QPalette::Button));
    s.light = fromColor(palette.color(QPalette::Midlight));
    s.highlight = fromColor(palette.color(QPalette::Light));
    s.shadow = fromColor(palette.color(QPalette::Dark));
    s.darkShadow = fromColor(palette.color(QPalette::Shadow));
    s.text = fromColor(palette.color(QPalette::ButtonText));
    return s;
}

void cButtonPainter::paint(QPainter &painter, const cButtonModel &model) {
    const int w = model.width();
    const int h = model.height();
    if (w <= 0 || h <= 0)
        return;
    const cButtonColors c = model.colors();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRect(0, 0, w, h), toColor(c.face));
    if (model.ButtonType() != cButtonModel::kEdgedType) {
        painter.restore();
        return;
    }
    const QString caption = model.Caption();
    const QColor highlight = toColor(c.highlight);
    const QColor shadow = toColor(c.shadow);
    if (!model.Enabled()) {
        drawCaption(painter, pressedCaptionRect(w, h), highlight, caption);
        drawCaption(painter, captionRect(w, h), shadow, caption);
        drawEdge(painter, w, h, highlight, shadow);
        painter.restore();
        return;
    }
    const QColor text = toColor(model.IsCheckBox() && model.Checked() ? c.checkedText : c.text);
    if (model.drawnState() == cButtonModel::kDown) {
        drawCaption(painter, pressedCaptionRect(w, h), text, caption);
        drawEdge(painter, w, h, shadow, highlight);
    } else {
        drawCaption(painter, captionRect(w, h), text, caption);
        drawEdge(painter, w, h, highlight, shadow);
    }
    if (model.hasFocus() && model.ShowFocusRect())
        drawFocus(painter, focusRect(w, h), text);
    painter.restore();
}

}  // namespace varnelo
