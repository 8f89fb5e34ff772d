#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QSize>

namespace varnelo {

// Our own pictures for the transport buttons: a light glyph on the dark skin colour with a
// one-pixel bevel, raised when normal and pushed in when pressed.
class TransportArt {
public:
    enum class Glyph { Play, Pause, Stop, Next, Prev };

    static constexpr QSize kSize{32, 24};
    static QColor background() { return QColor(57, 49, 57); }
    static QColor glyphColor() { return QColor(226, 218, 226); }

    // The picture as an image, for painting and tests.
    static QImage image(Glyph glyph, bool pressed);
    // The same as a pixmap, for the buttons; needs the GUI application.
    static QPixmap pixmap(Glyph glyph, bool pressed);
};

}  // namespace varnelo
