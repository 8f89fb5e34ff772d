#include "controls/sliderpicmodel.h"

#include <algorithm>
#include <cmath>

#include "controls/ucslidermodel.h"

namespace varnelo {

SliderPicModel::SliderPicModel(QObject *parent) : QObject(parent) {}

void SliderPicModel::setCurPosition(int v) {
    m_position = std::clamp(v, m_min, m_max);
    emit redrawNeeded();
}

std::optional<SliderPicError> SliderPicModel::setMin(int v) {
    if (v >= m_max)
        return SliderPicError{SliderPicError::kMinNotBelowMax, QStringLiteral("VodadiZeveri"),
                              QStringLiteral("Minimum must be less than Maximum")};
    m_min = v;
    setCurPosition(m_position);
    return std::nullopt;
}

std::optional<SliderPicError> SliderPicModel::setMax(int v) {
    if (v <= m_min)
        return SliderPicError{SliderPicError::kMaxNotAboveMin, QStringLiteral("VodadiZeveri"),
                              QStringLiteral("Maximum must be greater than Minimum")};
    m_max = v;
    setCurPosition(m_position);
    return std::nullopt;
}

void SliderPicModel::setEnabled(bool enabled) {
    m_enabled = enabled;
    if (!enabled)
        m_dragging = false;
    emit redrawNeeded();
}

void SliderPicModel::setStyle(int style) {
    m_style = style;
    emit redrawNeeded();
}

void SliderPicModel::setBackStyle(int style) {
    m_backStyle = style;
    emit redrawNeeded();
}

void SliderPicModel::setMaskColor(BgrColor color) {
    m_maskColor = color;
    emit redrawNeeded();
}

void SliderPicModel::setDisabledStyle(int style) {
    m_disabledStyle = style;
    emit redrawNeeded();
}

void SliderPicModel::setDisabledIntense(int intense) {
    m_disabledIntense = intense;
    emit redrawNeeded();
}

void SliderPicModel::setSliderLeftPicSet(bool set) {
    m_leftPicSet = set;
    emit redrawNeeded();
}

void SliderPicModel::setTrack(int start, int length) {
    m_trackStart = start;
    m_trackLength = std::max(0, length);
    emit redrawNeeded();
}

int SliderPicModel::pixelOf(int position) const {
    return RoundHalfEven(double(position - m_min) * m_trackLength / (m_max - m_min));
}

int SliderPicModel::positionAt(double x) const {
    if (m_trackLength <= 0)
        return m_min;
    const double along = std::clamp(x - m_trackStart, 0.0, double(m_trackLength));
    return RoundHalfEven(along * (m_max - m_min) / m_trackLength + m_min);
}

void SliderPicModel::dragTo(double x) {
    m_position = positionAt(x);
    emit Change(m_position);
    emit redrawNeeded();
}

void SliderPicModel::mouseDown(QPointF pos, Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                               int pointerWidth) {
    if (!m_enabled)
        return;
    emit MouseDown(button, modifiers, pos);
    if (button != Qt::LeftButton)
        return;
    const double slack = pointerWidth / 2.0;
    if (pos.x() < m_trackStart - slack || pos.x() > m_trackStart + m_trackLength + slack)
        return;
    dragTo(pos.x());
    m_dragging = true;
}

void SliderPicModel::mouseMove(QPointF pos, Qt::MouseButtons buttons) {
    if (m_dragging && (buttons & Qt::LeftButton))
        dragTo(pos.x());
}

void SliderPicModel::mouseUp() {
    m_dragging = false;
}

BgrColor SliderPicModel::disabledColor(BgrColor color, int style, int intense, BgrColor mask) {
    const int d = style == kDarken ? -intense : intense;
    BgrColor result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int c = int((color >> shift) & 0xFF);
        const int moved = c >= 128 ? c + d : RoundHalfEven(c + 2.5 * d);
        result |= BgrColor(std::clamp(moved, 0, 255)) << shift;
    }
    // Stays visible: a pixel that became the mask colour would turn transparent. Red 255 steps
    // down instead, so the carry never leaves the red byte.
    if (result != mask)
        return result;
    return (result & 0xFF) == 0xFF ? result - 1 : result + 1;
}

}  // namespace varnelo
