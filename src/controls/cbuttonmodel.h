#pragma once

#include <QChar>
#include <QObject>
#include <QString>

namespace varnelo {

// Colours are 0x00BBGGRR; a value with the top bit set is a system colour index.
using BgrColor = quint32;

inline constexpr BgrColor kSystemColorFlag = 0x80000000u;
inline constexpr BgrColor kSysButtonFace = kSystemColorFlag | 15;
inline constexpr BgrColor kSysButtonShadow = kSystemColorFlag | 16;
inline constexpr BgrColor kSysButtonText = kSystemColorFlag | 18;
inline constexpr BgrColor kSysButtonHighlight = kSystemColorFlag | 20;
inline constexpr BgrColor kSys3DDarkShadow = kSystemColorFlag | 21;
inline constexpr BgrColor kSys3DLight = kSystemColorFlag | 22;

// Adds d to each of the red, green and blue bytes of c, each clamped to 0..255.
BgrColor Shade(BgrColor c, int d);

// The platform's button colours, as the widget reads them from its palette.
struct cButtonSystemColors {
    BgrColor face = 0xC0C0C0;
    BgrColor light = 0xDFDFDF;
    BgrColor highlight = 0xFFFFFF;
    BgrColor shadow = 0x808080;
    BgrColor darkShadow = 0x000000;
    BgrColor text = 0x000000;

    // A system colour index as one of these; any other index gives the face colour, and a plain
    // colour is returned as it is.
    BgrColor resolve(BgrColor c) const;
};

// The seven colours a button is drawn with.
struct cButtonColors {
    BgrColor face = 0;
    BgrColor light = 0;
    BgrColor highlight = 0;
    BgrColor shadow = 0;
    BgrColor darkShadow = 0;
    BgrColor text = 0;
    BgrColor checkedText = 0;
};

// The owner-drawn push or check button without its widget: properties, derived colours, the
// drawn state and the mouse and key rules. Mouse buttons are 1 left, 2 right, 4 middle; key codes
// are virtual-key codes.
class cButtonModel : public QObject {
    Q_OBJECT

public:
    static constexpr int kUp = 0;
    static constexpr int kDown = 2;
    static constexpr int kLeftButton = 1;
    static constexpr int kRightButton = 2;
    // The one button type that draws an edge and a caption.
    static constexpr int kEdgedType = 7;

    explicit cButtonModel(QObject *parent = nullptr);

    int ButtonType() const { return m_buttonType; }
    void setButtonType(int type);
    // 1 system colours, 2 colours derived from BackColor, 3 fixed greys.
    int ColorScheme() const { return m_colorScheme; }
    void setColorScheme(int scheme);
    bool IsCheckBox() const { return m_isCheckBox; }
    void setIsCheckBox(bool isCheckBox);
    bool Checked() const { return m_checked; }
    // Raises no Click; a check button shows down while checked.
    void setChecked(bool checked);
    QString Caption() const { return m_caption; }
    // Also recomputes the access key.
    void setCaption(const QString &caption);
    bool Enabled() const { return m_enabled; }
    // A disabled button takes no mouse or key input.
    void setEnabled(bool enabled);
    BgrColor BackColor() const { return m_backColor; }
    void setBackColor(BgrColor color);
    BgrColor ForeColor() const { return m_foreColor; }
    void setForeColor(BgrColor color);
    BgrColor ForeColorChecked() const { return m_foreColorChecked; }
    void setForeColorChecked(BgrColor color);
    bool ShowFocusRect() const { return m_showFocusRect; }
    void setShowFocusRect(bool show);

    // The platform's colours, used by scheme 1 and for system colour indexes.
    void setSystemColors(const cButtonSystemColors &colors);
    const cButtonSystemColors &systemColors() const { return m_system; }
    // The seven drawing colours for the current scheme and properties.
    cButtonColors colors() const;

    // The lower-cased character after a single "&" ("&&" is a literal ampersand); null for none.
    static QChar accessKeyOf(const QString &caption);
    QChar accessKey() const { return m_accessKey; }

    // The state last drawn (kUp or kDown).
    int drawnState() const { return m_drawnState; }
    // Draws state unless it and the caption equal the last drawn ones; force draws anyway.
    // Nothing is drawn while the height is 0.
    void drawState(int state, bool force);
    // Down for a checked check button, else up: the look at rest.
    int restingState() const;

    bool hasFocus() const { return m_hasFocus; }
    void setFocus(bool focus);
    int width() const { return m_width; }
    int height() const { return m_height; }
    // New size in pixels; redraws the resting state.
    void setSize(int width, int height);

    // Mouse input; x and y relative to the control, buttons as for the events.
    void mouseDown(int button, int shift, qreal x, qreal y);
    void mouseMove(int buttons, int shift, qreal x, qreal y);
    // Raises MouseUp, then clicks when the left button is released inside.
    void mouseUp(int button, int shift, qreal x, qreal y);
    // Clicks when the last press was the left button and the button is enabled.
    void click();
    void keyDown(int keyCode, int shift);
    void keyUp(int keyCode, int shift);
    // The access key was typed.
    void accessKeyPressed();

signals:
    void Click();
    void MouseDown(int button, int shift, qreal x, qreal y);
    void MouseMove(int button, int shift, qreal x, qreal y);
    void MouseUp(int button, int shift, qreal x, qreal y);
    void KeyDown(int keyCode, int shift);
    void KeyUp(int keyCode, int shift);

    // For the widget: repaint, move the focus, the access key or Enabled changed.
    void redrawNeeded();
    void focusMoveRequested(bool next);
    void accessKeyChanged(QChar key);
    void enabledChanged(bool enabled);

private:
    bool inside(qreal x, qreal y) const;
    void propertyChanged();

    int m_buttonType = 2;
    int m_colorScheme = 1;
    bool m_isCheckBox = false;
    bool m_checked = false;
    QString m_caption;
    QChar m_accessKey;
    bool m_enabled = true;
    BgrColor m_backColor = kSysButtonFace;
    BgrColor m_foreColor = kSysButtonText;
    BgrColor m_foreColorChecked = kSysButtonText;
    bool m_showFocusRect = true;
    cButtonSystemColors m_system;

    int m_drawnState = kUp;
    QString m_drawnCaption;
    bool m_hasFocus = false;
    int m_lastButton = 0;
    bool m_spaceDown = false;
    int m_width = 0;
    int m_height = 0;
};

}  // namespace varnelo
