#pragma once

#include <QColor>
#include <QRect>

#include "controls/cbuttonmodel.h"

class QPainter;
class QPalette;

namespace varnelo {

// Drawing of an owner-drawn button, apart from its widget.
class cButtonPainter {
public:
    // A 0x00BBGGRR colour as a QColor.
    static QColor toColor(BgrColor c);
    // A QColor as 0x00BBGGRR.
    static BgrColor fromColor(const QColor &c);
    // The platform's button colours from a palette.
    static cButtonSystemColors systemColors(const QPalette &palette);

    // Where the caption, the pressed caption and the focus rectangle go on a button of size w x h.
    static QRect captionRect(int w, int h) { return QRect(0, 0, w, h); }
    static QRect pressedCaptionRect(int w, int h) { return QRect(1, 1, w, h); }
    static QRect focusRect(int w, int h) { return QRect(4, 4, w - 8, h - 8); }

    // The model's last drawn state in the painter's font: the face, and for button type 7 the
    // edge, the caption (engraved while disabled) and the focus rectangle.
    static void paint(QPainter &painter, const cButtonModel &model);
};

}  // namespace varnelo
