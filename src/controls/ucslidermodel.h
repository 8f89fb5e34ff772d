#pragma once

#include <QObject>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QString>

#include <optional>

namespace varnelo {

// Run-time error 380 of a property setter; the property keeps its old value.
struct PropertyError {
    static constexpr int kInvalidPropertyValue = 380;
    int number = kInvalidPropertyValue;
    QString description = QStringLiteral("Invalid property value");
};

// Rounds to the nearest integer; a half goes to the even neighbour (2.5 -> 2, 3.5 -> 4).
int RoundHalfEven(double x);

// The verse slider without its widget: value, range, thumb geometry and the drag algorithm.
// Positions are pixels of the control's surface; the thumb's position along the track is a
// fraction of a pixel where the value falls between pixels.
class ucSliderModel : public QObject {
    Q_OBJECT

public:
    static constexpr int kHorizontal = 0;
    static constexpr int kVertical = 1;  // Min at the bottom

    explicit ucSliderModel(QObject *parent = nullptr);

    int Value() const { return m_value; }
    int Min() const { return m_min; }
    int Max() const { return m_max; }
    // Error 380 and no change when v is outside Min..Max. Raises Change (then ReachedMax,
    // ReachedMin) only when v differs from the value of the last Change.
    std::optional<PropertyError> setValue(int v);
    // Error 380 when v >= Max. Otherwise Min = v and Value = v, with the events of setValue.
    std::optional<PropertyError> setMin(int v);
    // Error 380 when v <= Min. Value is left as it is, even above the new Max.
    std::optional<PropertyError> setMax(int v);

    bool Enabled() const { return m_enabled; }
    // A disabled slider takes no drag and no keys; Click is still raised.
    void setEnabled(bool enabled) { m_enabled = enabled; }
    int Orientation() const { return m_orientation; }
    // 0 horizontal, anything else vertical; the widget lays itself out again.
    void setOrientation(int orientation);
    bool isHorizontal() const { return m_orientation == kHorizontal; }
    int RailStyle() const { return m_railStyle; }
    // 0..4 edge styles, 99 the rail picture; other values draw no rail.
    void setRailStyle(int style);
    bool ShowValueTip() const { return m_showValueTip; }
    void setShowValueTip(bool show) { m_showValueTip = show; }
    int Sura() const { return m_sura; }
    void setSura(quint8 sura) { m_sura = sura; }
    int lastValue() const { return m_lastValue; }
    bool isDragging() const { return m_dragging; }

    // Size of the control and of the thumb; the thumb is placed at the value's position.
    void setGeometry(QSize control, QSize thumb);
    QSize controlSize() const { return m_control; }
    QSize thumbSize() const { return m_thumb; }
    // Length the thumb travels: control length minus thumb length, 0 when the thumb is larger.
    int trackLength() const;
    // Thumb left (horizontal) or top (vertical) for value v; v outside Min..Max lands on the
    // nearer end of the track.
    double positionOf(int v) const;
    // Value whose position is nearest to `along` (left or top of the thumb).
    int valueAt(double along) const;
    // The thumb where it is drawn, centred across the control.
    QRectF thumbRect() const;
    // The thumb on whole pixels, as painted.
    QRect thumbPixels() const;

    // Mouse input, positions relative to the control.
    void mouseDown(QPointF pos, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void mouseMove(QPointF pos);
    void mouseUp(QPointF pos, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

    // Tip text: the value, or the value + 1 for sura 9 whose index 0 is verse 1.
    QString tipText() const;
    // Top-left of the value tip on the screen, for a control whose top-left is at `origin`.
    QPoint tipPosition(QPoint origin, QSize tip) const;

signals:
    void Click();
    void ReachedMin();
    void ReachedMax();
    void Change();
    void SlideStart(Qt::KeyboardModifiers modifiers);
    void SlideEnd(Qt::KeyboardModifiers modifiers);

    // For the widget: a drag began (show the tip), the picture changed, the layout changed.
    void dragStarted();
    void redrawNeeded();
    void layoutNeeded();

private:
    void placeThumb();
    void moveStep(QPointF pos);

    int m_min = 0;
    int m_max = 10;
    int m_value = 0;
    int m_lastValue = 0;
    bool m_enabled = true;
    int m_orientation = kVertical;
    int m_railStyle = 0;
    bool m_showValueTip = true;
    quint8 m_sura = 0;
    bool m_dragging = false;
    QPointF m_grab;
    QSize m_control;
    QSize m_thumb;
    double m_along = 0;  // thumb left or top
};

}  // namespace varnelo
