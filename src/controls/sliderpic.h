#pragma once

#include <QWidget>

#include "controls/sliderpicmodel.h"
#include "controls/sliderpicpainter.h"

namespace varnelo {

// The image slider as a widget: paints its model's picture and turns mouse and key input into
// model calls and events. The owner sets the objectName and the pictures.
class SliderPic : public QWidget {
    Q_OBJECT

public:
    explicit SliderPic(QWidget *parent = nullptr);

    SliderPicModel &model() { return m_model; }
    const SliderPicModel &model() const { return m_model; }

    void setBackColor(const QColor &color);
    void setImageSlider(const QImage &image);
    // A null picture clears the left part (and its flag).
    void setImageLeft(const QImage &image);
    void setImagePointer(const QImage &image);
    const SliderPicSkin &skin() const { return m_skin; }

    QSize sizeHint() const override;

signals:
    // A key pressed while the slider has the focus, as Qt's key code and modifiers.
    void KeyDown(int key, Qt::KeyboardModifiers modifiers);
    // Pressed and released over the control.
    void Click();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void relayout();

    SliderPicModel m_model;
    SliderPicSkin m_skin;
    bool m_pressed = false;
};

}  // namespace varnelo
