#pragma once

#include <QWidget>

#include "controls/cbuttonmodel.h"

class QShortcut;

namespace varnelo {

// The owner-drawn push or check button as a widget: paints its model and turns mouse, key and
// focus input into model calls. Mouse buttons are 1 left, 2 right, 4 middle; keys are
// virtual-key codes with the shift mask 1 Shift, 2 Ctrl, 4 Alt. The owner sets the objectName.
class cButton : public QWidget {
    Q_OBJECT

public:
    explicit cButton(QWidget *parent = nullptr);

    cButtonModel &model() { return m_model; }
    const cButtonModel &model() const { return m_model; }

    QString caption() const { return m_model.Caption(); }
    // An "&" marks the access key, typed with Alt while the button's window is active.
    void setCaption(const QString &caption);
    bool isCheckBox() const { return m_model.IsCheckBox(); }
    void setIsCheckBox(bool isCheckBox) { m_model.setIsCheckBox(isCheckBox); }
    bool checked() const { return m_model.Checked(); }
    // Raises no Click.
    void setChecked(bool checked) { m_model.setChecked(checked); }
    int buttonType() const { return m_model.ButtonType(); }
    void setButtonType(int type) { m_model.setButtonType(type); }
    int colorScheme() const { return m_model.ColorScheme(); }
    void setColorScheme(int scheme) { m_model.setColorScheme(scheme); }
    BgrColor backColor() const { return m_model.BackColor(); }
    void setBackColor(BgrColor color) { m_model.setBackColor(color); }
    BgrColor foreColor() const { return m_model.ForeColor(); }
    void setForeColor(BgrColor color) { m_model.setForeColor(color); }
    BgrColor foreColorChecked() const { return m_model.ForeColorChecked(); }
    void setForeColorChecked(BgrColor color) { m_model.setForeColorChecked(color); }
    bool showFocusRect() const { return m_model.ShowFocusRect(); }
    void setShowFocusRect(bool show) { m_model.setShowFocusRect(show); }

    QSize sizeHint() const override;

signals:
    void Click();
    void MouseDown(int button, int shift, qreal x, qreal y);
    void MouseMove(int button, int shift, qreal x, qreal y);
    void MouseUp(int button, int shift, qreal x, qreal y);
    void KeyDown(int keyCode, int shift);
    void KeyUp(int keyCode, int shift);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    void updateShortcut(QChar key);

    cButtonModel m_model;
    QShortcut *m_shortcut = nullptr;
};

}  // namespace varnelo
