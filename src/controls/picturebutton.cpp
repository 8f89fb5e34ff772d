#include "controls/picturebutton.h"

#include <QMouseEvent>
#include <QPainter>

namespace varnelo {

PictureButton::PictureButton(QWidget *parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
}

PictureButton::PictureButton(const QPixmap &normal, const QPixmap &pressed, QWidget *parent)
    : PictureButton(parent) {
    setPictures(normal, pressed);
}

void PictureButton::setPictures(const QPixmap &normal, const QPixmap &pressed) {
    m_normal = normal;
    m_pressed = pressed;
    const QSize size = normal.deviceIndependentSize().toSize();
    if (!size.isEmpty())
        setFixedSize(size);
    updateGeometry();
    update();
}

QSize PictureButton::sizeHint() const {
    return m_normal.isNull() ? QSize(32, 24) : m_normal.deviceIndependentSize().toSize();
}

void PictureButton::setDown(bool down) {
    if (down == m_down)
        return;
    m_down = down;
    update();
}

void PictureButton::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    const QPixmap &picture = m_down && !m_pressed.isNull() ? m_pressed : m_normal;
    painter.drawPixmap(0, 0, picture);
}

void PictureButton::mousePressEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton)
        setDown(true);
}

void PictureButton::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton || !m_down)
        return;
    setDown(false);
    if (rect().contains(event->position().toPoint()))
        emit clicked();
}

void PictureButton::changeEvent(QEvent *event) {
    // A button disabled while held would otherwise stay pressed.
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        setDown(false);
    QWidget::changeEvent(event);
}

}  // namespace varnelo
