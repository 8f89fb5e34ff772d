#pragma once

#include <QObject>
#include <QPointF>
#include <QString>

#include <optional>

#include "controls/cbuttonmodel.h"

namespace varnelo {

// A refused Min or Max of the image slider: the number, source and text the caller sees.
struct SliderPicError {
    static constexpr int kMinNotBelowMax = 513;
    static constexpr int kMaxNotAboveMin = 514;
    int number = 0;
    QString source = QStringLiteral("VodadiZeveri");
    QString description;
};

// The image slider without its widget: position, range, the track and the mouse algorithm.
// The track runs from trackStart() for trackLength() pixels; the pointer's centre sits at
// trackStart() + pointerPixel().
class SliderPicModel : public QObject {
    Q_OBJECT

public:
    static constexpr BgrColor kDefaultMaskColor = 0x00C0C0C0;  // light grey
    static constexpr int kLighten = 0;
    static constexpr int kDarken = 1;

    explicit SliderPicModel(QObject *parent = nullptr);

    int CurPosition() const { return m_position; }
    // Clamped to Min..Max; raises no Change.
    void setCurPosition(int v);
    int Min() const { return m_min; }
    int Max() const { return m_max; }
    // Error 513 and no change when v >= Max; a position below the new Min follows it.
    std::optional<SliderPicError> setMin(int v);
    // Error 514 and no change when v <= Min; a position above the new Max follows it.
    std::optional<SliderPicError> setMax(int v);

    bool Enabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    int Style() const { return m_style; }
    void setStyle(int style);
    int BackStyle() const { return m_backStyle; }
    void setBackStyle(int style);
    BgrColor MaskColor() const { return m_maskColor; }
    void setMaskColor(BgrColor color);
    int DisabledStyle() const { return m_disabledStyle; }
    void setDisabledStyle(int style);
    int DisabledIntense() const { return m_disabledIntense; }
    void setDisabledIntense(int intense);
    bool isSliderLeftPicSet() const { return m_leftPicSet; }
    void setSliderLeftPicSet(bool set);

    // The track the pointer travels, in pixels of the control.
    void setTrack(int start, int length);
    int trackStart() const { return m_trackStart; }
    int trackLength() const { return m_trackLength; }
    // Pointer offset from the track start for the current position.
    int pointerPixel() const { return pixelOf(m_position); }
    // position -> pixel and x -> position, halves to even; x is clamped to the track.
    int pixelOf(int position) const;
    int positionAt(double x) const;
    bool isDragging() const { return m_dragging; }

    // Mouse input, positions relative to the control; buttons and modifiers as Qt gives them.
    // A press lies on the track when it is within half a pointer of it. Disabled, all are ignored.
    void mouseDown(QPointF pos, Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                   int pointerWidth);
    void mouseMove(QPointF pos, Qt::MouseButtons buttons);
    void mouseUp();

    // The disabled effect on one colour (0x00BBGGRR): each channel moves by the intensity (two
    // and a half times that below 128), darker for DisabledStyle 1, and never becomes the mask.
    static BgrColor disabledColor(BgrColor color, int style, int intense, BgrColor mask);

signals:
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF pos);
    // The position changed by the mouse.
    void Change(int Position);
    void redrawNeeded();

private:
    void dragTo(double x);

    int m_position = 0;
    int m_min = 0;
    int m_max = 10;
    bool m_enabled = true;
    int m_style = 0;
    int m_backStyle = 1;
    BgrColor m_maskColor = kDefaultMaskColor;
    int m_disabledStyle = kLighten;
    int m_disabledIntense = 20;
    bool m_leftPicSet = false;
    int m_trackStart = 0;
    int m_trackLength = 0;
    bool m_dragging = false;
};

}  // namespace varnelo
