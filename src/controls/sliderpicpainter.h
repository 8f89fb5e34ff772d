#pragma once

#include <QColor>
#include <QImage>
#include <QSize>

namespace varnelo {

class SliderPicModel;

// The pictures of an image slider beyond what its model holds.
struct SliderPicSkin {
    QColor BackColor;
    QImage ImageSlider;   // the rail, copied as it is
    QImage ImageLeft;     // drawn from the track start up to the pointer; mask colour transparent
    QImage ImagePointer;  // mask colour transparent
};

// Layout and drawing of the image slider, apart from its widget.
class SliderPicPainter {
public:
    // Track of a control of the given width: the pointer's centre travels from half a pointer in
    // at the left to half a pointer in at the right of the rail.
    static void layout(SliderPicModel &model, int controlWidth, const SliderPicSkin &skin);
    // The control's picture: background, rail, left part, pointer, then the disabled effect.
    static QImage render(const SliderPicModel &model, const SliderPicSkin &skin, QSize size);
    // The picture with every pixel of the mask colour made transparent.
    static QImage masked(const QImage &picture, QRgb mask);

    // Our own volume pictures: a wedge rising to the right, its lit part and a knob.
    static QImage volumeRail(QSize size);
    static QImage volumeLeft(QSize size);
    static QImage volumePointer();
};

}  // namespace varnelo
