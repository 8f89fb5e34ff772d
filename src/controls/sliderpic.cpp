#include "controls/sliderpic.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace varnelo {

SliderPic::SliderPic(QWidget *parent) : QWidget(parent) {
    m_skin.BackColor = palette().color(QPalette::Window);
    setFocusPolicy(Qt::TabFocus);
    connect(&m_model, &SliderPicModel::redrawNeeded, this, qOverload<>(&QWidget::update));
}

void SliderPic::setBackColor(const QColor &color) {
    m_skin.BackColor = color;
    update();
}

void SliderPic::setImageSlider(const QImage &image) {
    m_skin.ImageSlider = image;
    relayout();
}

void SliderPic::setImageLeft(const QImage &image) {
    m_skin.ImageLeft = image;
    m_model.setSliderLeftPicSet(!image.isNull());
}

void SliderPic::setImagePointer(const QImage &image) {
    m_skin.ImagePointer = image;
    relayout();
}

QSize SliderPic::sizeHint() const {
    const int high = std::max(m_skin.ImageSlider.height(), m_skin.ImagePointer.height());
    return QSize(std::max(60, m_skin.ImageSlider.width()), std::max(12, high));
}

void SliderPic::relayout() {
    SliderPicPainter::layout(m_model, width(), m_skin);
    update();
}

void SliderPic::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.drawImage(0, 0, SliderPicPainter::render(m_model, m_skin, size()));
}

void SliderPic::resizeEvent(QResizeEvent *) {
    relayout();
}

void SliderPic::mousePressEvent(QMouseEvent *event) {
    m_pressed = event->button() == Qt::LeftButton;
    m_model.mouseDown(event->position(), event->button(), event->modifiers(),
                      m_skin.ImagePointer.width());
}

void SliderPic::mouseMoveEvent(QMouseEvent *event) {
    m_model.mouseMove(event->position(), event->buttons());
}

void SliderPic::mouseReleaseEvent(QMouseEvent *event) {
    m_model.mouseUp();
    const bool clicked = m_pressed && event->button() == Qt::LeftButton &&
                         rect().contains(event->position().toPoint());
    m_pressed = false;
    if (clicked && m_model.Enabled())
        emit Click();
}

void SliderPic::keyPressEvent(QKeyEvent *event) {
    emit KeyDown(event->key(), event->modifiers());
    QWidget::keyPressEvent(event);
}

void SliderPic::changeEvent(QEvent *event) {
    if (event->type() == QEvent::EnabledChange)
        m_model.setEnabled(isEnabled());
    QWidget::changeEvent(event);
}

}  // namespace varnelo
