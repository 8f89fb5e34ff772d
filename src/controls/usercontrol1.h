#pragma once

#include <QColor>
#include <QList>
#include <QWidget>

namespace varnelo {

// The verse counter beside the verse slider: one red tick per verse and an end line. Keys
// pressed on it go to the owner through KeyDown, as a virtual-key code and the modifier mask
// (1 Shift, 2 Ctrl, 4 Alt). The owner sets the objectName.
class UserControl1 : public QWidget {
    Q_OBJECT

public:
    explicit UserControl1(QWidget *parent = nullptr);

    qint16 Verses() const { return m_verses; }
    // Stores the count and repaints; 0 or less draws ten ticks.
    void setVerses(qint16 verses);
    QColor BackColor() const { return m_backColor; }
    void setBackColor(const QColor &color);

    // Columns of the tick lines for a control `width` pixels wide, the end line last.
    static QList<int> tickColumns(int verses, int width);

signals:
    void KeyDown(int keyCode, int shift);

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    qint16 m_verses = 0;
    QColor m_backColor;
};

}  // namespace varnelo
