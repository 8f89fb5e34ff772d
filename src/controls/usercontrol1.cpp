#include "controls/usercontrol1.h"

#include <QKeyEvent>
#include <QPainter>

#include "platform/virtualkeys.h"

namespace varnelo {

namespace {
constexpr int kDefaultTicks = 10;
constexpr int kEndMargin = 10;  // the end line stands this far in from the right
}  // namespace

UserControl1::UserControl1(QWidget *parent) : QWidget(parent) {
    m_backColor = palette().color(QPalette::Button);
    setFocusPolicy(Qt::StrongFocus);
}

void UserControl1::setVerses(qint16 verses) {
    m_verses = verses;
    update();
}

void UserControl1::setBackColor(const QColor &color) {
    m_backColor = color;
    update();
}

QList<int> UserControl1::tickColumns(int verses, int width) {
    // A negative count has no meaning and would divide by a negative step; draw the default.
    const int n = verses > 0 ? verses : kDefaultTicks;
    const double step = double(width - kEndMargin) / n;
    QList<int> columns;
    columns.reserve(n + 1);
    for (int i = 1; i <= n; ++i)
        columns.append(qRound((i - 1) * step));
    columns.append(width - kEndMargin);
    return columns;
}

void UserControl1::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), m_backColor);
    painter.setPen(QColor(255, 0, 0));
    for (int x : tickColumns(m_verses, width()))
        painter.drawLine(x, 0, x, height() - 1);
}

void UserControl1::keyPressEvent(QKeyEvent *event) {
    emit KeyDown(virtualKey(event->key(), event->modifiers()), shiftMask(event->modifiers()));
}

}  // namespace varnelo
