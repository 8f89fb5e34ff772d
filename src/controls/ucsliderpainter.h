#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>

class QPainter;
class QPalette;

namespace varnelo {

class ucSliderModel;

// What a slider looks like beyond what its model holds.
struct ucSliderSkin {
    QColor BackColor;
    QImage SliderImage;  // null: a plain thumb
    QImage RailImage;    // drawn for rail style 99
};

// Layout and drawing of a slider, apart from its widget.
class ucSliderPainter {
public:
    // Room left across the control beyond the thicker of rail and thumb.
    static constexpr int kAllowance = 4;
    // Thickness of a rail drawn with 3-D edges.
    static constexpr int kEdgeRail = 4;
    static constexpr int kRailImageStyle = 99;

    // The thumb picture's size, or the plain thumb's for the orientation.
    static QSize thumbSize(bool horizontal, const QImage &sliderImage);
    // Thickness across the control: the larger of rail and thumb plus the allowance.
    static int thickness(bool horizontal, int railStyle, const ucSliderSkin &skin);
    // The rail: from half a thumb in at each end, centred across the control.
    static QRect railRect(const ucSliderModel &model, const ucSliderSkin &skin);
    // Background, rail and thumb for the model's state; the palette gives the 3-D colours.
    static void paint(QPainter &painter, const ucSliderModel &model, const ucSliderSkin &skin,
                      const QPalette &palette);

    // Our own skin pictures: a grip thumb and a groove rail, stretched along the slider.
    static QImage skinThumb(bool horizontal);
    static QImage skinRail(bool horizontal);
};

}  // namespace varnelo
