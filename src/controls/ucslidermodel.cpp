#include "controls/ucslidermodel.h"

#include <algorithm>
#include <cmath>

namespace varnelo {

int RoundHalfEven(double x) {
    const double below = std::floor(x);
    const double fraction = x - below;
    const int base = int(below);
    if (fraction < 0.5)
        return base;
    if (fraction > 0.5)
        return base + 1;
    return std::fmod(below, 2.0) == 0 ? base : base + 1;
}

ucSliderModel::ucSliderModel(QObject *parent) : QObject(parent) {}

std::optional<PropertyError> ucSliderModel::setValue(int v) {
    if (v < m_min || v > m_max)
        return PropertyError{};
    m_value = v;
    if (v == m_lastValue)
        return std::nullopt;
    if (!m_dragging)
        placeThumb();
    emit redrawNeeded();
    m_lastValue = v;
    emit Change();
    if (v == m_max)
        emit ReachedMax();
    if (v == m_min)
        emit ReachedMin();
    return std::nullopt;
}

std::optional<PropertyError> ucSliderModel::setMin(int v) {
    if (v >= m_max)
        return PropertyError{};
    m_min = v;
    setValue(v);
    // An unchanged value raises nothing, yet its place on the track moved with the range.
    if (!m_dragging)
        placeThumb();
    emit redrawNeeded();
    return std::nullopt;
}

std::optional<PropertyError> ucSliderModel::setMax(int v) {
    if (v <= m_min)
        return PropertyError{};
    m_max = v;
    // The value stays, but its place on the track moved with the range.
    if (!m_dragging)
        placeThumb();
    emit redrawNeeded();
    return std::nullopt;
}

void ucSliderModel::setOrientation(int orientation) {
    m_orientation = orientation;
    emit layoutNeeded();
}

void ucSliderModel::setRailStyle(int style) {
    m_railStyle = style;
    emit layoutNeeded();
}

void ucSliderModel::setGeometry(QSize control, QSize thumb) {
    m_control = control;
    m_thumb = thumb;
    placeThumb();
    emit redrawNeeded();
}

int ucSliderModel::trackLength() const {
    const int length = isHorizontal() ? m_control.width() - m_thumb.width()
                                      : m_control.height() - m_thumb.height();
    return std::max(length, 0);
}

double ucSliderModel::positionOf(int v) const {
    const double track = trackLength();
    const double fraction =
        std::clamp(double(qint64(v) - m_min) / (double(qint64(m_max) - m_min)), 0.0, 1.0);
    return isHorizontal() ? track * fraction : track - track * fraction;
}

int ucSliderModel::valueAt(double along) const {
    const int track = trackLength();
    if (track == 0)
        return m_value;
    // Multiplying before dividing keeps exact halves exact, so they round to even.
    const double range = double(qint64(m_max) - m_min);
    const double covered = isHorizontal() ? along : track - along;
    return RoundHalfEven(covered * range / track + m_min);
}

QRectF ucSliderModel::thumbRect() const {
    if (isHorizontal()) {
        const double top = (m_control.height() - m_thumb.height()) / 2;
        return QRectF(m_along, top, m_thumb.width(), m_thumb.height());
    }
    const double left = (m_control.width() - m_thumb.width()) / 2;
    return QRectF(left, m_along, m_thumb.width(), m_thumb.height());
}

QRect ucSliderModel::thumbPixels() const {
    const QRectF exact = thumbRect();
    return QRect(QPoint(qRound(exact.left()), qRound(exact.top())), m_thumb);
}

void ucSliderModel::placeThumb() {
    m_along = positionOf(m_value);
}

void ucSliderModel::moveStep(QPointF pos) {
    const double pointer = isHorizontal() ? pos.x() - m_grab.x() : pos.y() - m_grab.y();
    const int v = valueAt(std::clamp(pointer, 0.0, double(trackLength())));
    m_along = positionOf(v);
    emit redrawNeeded();
    setValue(v);
}

void ucSliderModel::mouseDown(QPointF pos, Qt::MouseButton button,
                              Qt::KeyboardModifiers modifiers) {
    if (button != Qt::LeftButton || !m_enabled)
        return;
    m_dragging = true;
    const QRectF thumb = thumbRect();
    const bool onThumb = pos.x() >= thumb.left() && pos.x() <= thumb.right() &&
                         pos.y() >= thumb.top() && pos.y() <= thumb.bottom();
    if (onThumb) {
        m_grab = pos - thumb.topLeft();
    } else {
        // A press on the rail brings the thumb's centre to the pointer.
        m_grab = QPointF(m_thumb.width() / 2, m_thumb.height() / 2);
        moveStep(pos);
    }
    emit dragStarted();
    emit SlideStart(modifiers);
}

void ucSliderModel::mouseMove(QPointF pos) {
    if (m_dragging)
        moveStep(pos);
}

void ucSliderModel::mouseUp(QPointF pos, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
    const bool inside =
        pos.x() >= 0 && pos.x() < m_control.width() && pos.y() >= 0 && pos.y() < m_control.height();
    if (button == Qt::LeftButton && inside)
        emit Click();
    if (m_dragging) {
        // Cleared before the event so that a handler setting Value moves the thumb.
        m_dragging = false;
        emit SlideEnd(modifiers);
    }
}

QString ucSliderModel::tipText() const {
    return QString::number(m_sura == 9 ? qint64(m_value) + 1 : m_value);
}

QPoint ucSliderModel::tipPosition(QPoint origin, QSize tip) const {
    const QRect thumb = thumbPixels();
    if (isHorizontal()) {
        return QPoint(origin.x() + thumb.left() + (thumb.width() - tip.width() - 4) / 2,
                      origin.y() + thumb.top() - tip.height() - 5);
    }
    return QPoint(origin.x() + thumb.left() - tip.width() - 6,
                  origin.y() + thumb.top() + (thumb.height() - tip.height() - 4) / 2);
}

}  // namespace varnelo
