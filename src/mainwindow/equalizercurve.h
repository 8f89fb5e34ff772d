#pragma once

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
    // Horizontal pixel of a frequency and vertical pixel of a level, for the current size.
    double xOf(double freq) const;
    double yOf(double db) const;

    QSize sizeHint() const override { return {480, 120}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void paintGrid(QPainter &painter) const;

    Response m_response;
    bool m_active = true;
};

}  // namespace varnelo
