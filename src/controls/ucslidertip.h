#pragma once

#include <QWidget>

class QLabel;

namespace varnelo {

// The borderless window that shows a slider's value while it is dragged. One window serves all
// sliders handed it; it never takes the focus.
class ucSliderTip : public QWidget {
    Q_OBJECT

public:
    explicit ucSliderTip(QWidget *parent = nullptr);

    // Sets the label's text and sizes the window to it, so a caller can place it by size().
    void setText(const QString &text);
    // Shows the window with its top-left at `position` (screen pixels), above all windows.
    void showAt(QPoint position);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QLabel *m_label = nullptr;
};

}  // namespace varnelo
