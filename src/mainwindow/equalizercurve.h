#pragma once

#include <QPixmap>
#include <QPolygonF>
#include <QWidget>

#include <functional>
#include <vector>

#include "recitation/equalizerresponsegrid.h"

namespace varnelo {

// The equalizer's combined response drawn as a curve: dB over a logarithmic frequency axis,
// with a grid and a dot at each band's centre.
class EqualizerCurve : public QWidget {
public:
    // The gains to draw, and the rate of the filters they are drawn for.
    using Gains = std::function<EqGainTable()>;

    static constexpr double kLowestHz = 20;
    static constexpr double kHighestHz = 20000;
    // Neighbouring bands overlap, so their sum goes well beyond one band's 15 dB.
    static constexpr double kRangeDb = 30;

    EqualizerCurve(Gains gains, double sampleRate, QWidget *parent = nullptr);

    // Drawn dimmed while the equalizer is off.
    void setActive(bool active);
    // The gains changed: the curve follows at once (the owner paces a drag's steps). Points that
    // moved by more than a fraction of a pixel move, and only their area is drawn again.
    void responseChanged();
    // The area last marked for drawing again by a change of the gains (empty when none moved).
    QRect lastChangedRect() const { return m_lastChanged; }

    // Horizontal pixel of a frequency and vertical pixel of a level, for the current size.
    double xOf(double freq) const;
    double yOf(double db) const;

    QSize sizeHint() const override { return {480, 120}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void paintGrid(QPainter &painter) const;
    void paintDots(QPainter &painter, const QRect &area);
    // Frequencies of the curve's points for the current width, then the band centres.
    void layoutPoints();
    // The area of points first..last as drawn and as they will be, with their neighbours'
    // segments and the stroke's width.
    QRect curveArea(int first, int last, const std::vector<double> &newY) const;

    Gains m_gains;
    double m_rate;
    bool m_active = true;
    EqualizerResponseGrid m_grid;
    int m_curvePoints = 0;
    // The curve and the band dots as on screen.
    QPolygonF m_curve;
    QPolygonF m_dots;
    QRect m_lastChanged;
    // Background, grid and labels, drawn once per size; a dot, once per colour.
    QPixmap m_background;
    QPixmap m_dot;
};

}  // namespace varnelo
