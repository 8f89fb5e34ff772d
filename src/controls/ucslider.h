#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>

#include "controls/framepacer.h"
#include "controls/ucslidermodel.h"
#include "controls/ucsliderpainter.h"

namespace varnelo {

class ucSliderTip;

// The verse slider as a widget: paints its model and turns mouse and key input into model calls.
// Value, range, orientation and the events live in model(); the owner sets the objectName.
class ucSlider : public QWidget {
    Q_OBJECT

public:
    // tip: the value tip shared by the owner's sliders; without one the slider makes its own
    // on the first drag that shows it.
    explicit ucSlider(QWidget *parent = nullptr, ucSliderTip *tip = nullptr);
    ~ucSlider() override;

    ucSliderModel &model() { return m_model; }
    const ucSliderModel &model() const { return m_model; }

    QColor BackColor() const { return m_skin.BackColor; }
    void setBackColor(const QColor &color);
    // A null picture brings back the plain thumb.
    QImage SliderImage() const { return m_skin.SliderImage; }
    void setSliderImage(const QImage &image);
    // Drawn along the rail when RailStyle is 99.
    QImage RailImage() const { return m_skin.RailImage; }
    void setRailImage(const QImage &image);

    // Redraws go through pacer, with the rest of the owner's window, instead of at once.
    void setPacer(FramePacer *pacer) { m_pacer = pacer; }

    // The tip this slider shows while dragging; null before the first drag if it has none.
    ucSliderTip *tip() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void relayout();
    void showTip();
    void closeTip();

    ucSliderModel m_model;
    ucSliderSkin m_skin;
    QPointer<ucSliderTip> m_sharedTip;
    QPointer<FramePacer> m_pacer;
    std::unique_ptr<ucSliderTip> m_ownTip;
};

}  // namespace varnelo
