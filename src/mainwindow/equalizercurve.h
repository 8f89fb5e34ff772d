#pragma once

#include <QPixmap>
#include <QPolygonF>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace varnelo {

// The equalizer's combined response drawn as a curve: dB over a logarithmic frequency axis,
// with a grid and a dot at each band's centre.
class EqualizerCurve : public QWidget {
public:
    // Response in dB at a frequency in Hz.
    using Response = std::function<double(double)>;

    static constexpr double kLowestHz = 20;
    static constexpr double kHighestHz = 20000;
    // Neighbouring bands overlap, so their sum goes well beyond one band's 15 dB.
    static constexpr double kRangeDb = 30;

    explicit EqualizerCurve(Response response, QWidget *parent = nullptr);

    // Drawn dimmed while the equalizer is off.
    void setActive(bool active);
    // The response changed: the curve is computed and drawn again at once, and during a drag at
    // most every kRedrawMs.
    void responseChanged();

    static constexpr int kRedrawMs = 40;
    // Horizontal pixel of a frequency and vertical pixel of a level, for the current size.
    double xOf(double freq) const;
    double yOf(double db) const;

    QSize sizeHint() const override { return {480, 120}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void paintGrid(QPainter &painter) const;
    void computeCurve();

    Response m_response;
    bool m_active = true;
    // The curve and the band dots as last computed; empty when due again.
    QPolygonF m_curve;
    QPolygonF m_dots;
    // Background, grid and labels, drawn once per size.
    QPixmap m_grid;
    QTimer m_throttle;
    bool m_redrawDue = false;
};

}  // namespace varnelo
