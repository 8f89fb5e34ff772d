#include "controls/ucslidertip.h"

#include <QLabel>
#include <QPainter>

namespace varnelo {

namespace {
constexpr int kFrame = 2;  // room around the label for the 1-pixel frame
}

ucSliderTip::ucSliderTip(QWidget *parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("ucSliderTip"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("lblTip"));
    m_label->move(kFrame, kFrame);
}

void ucSliderTip::setText(const QString &text) {
    m_label->setText(text);
    m_label->adjustSize();
    resize(m_label->size() + QSize(2 * kFrame, 2 * kFrame));
}

void ucSliderTip::showAt(QPoint position) {
    move(position);
    show();  // a tool tip window stays above the others
}

void ucSliderTip::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    const QRect r = rect();
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(palette().color(QPalette::Shadow));
    painter.drawLine(r.topRight(), r.bottomRight());
    painter.drawLine(r.bottomLeft(), r.bottomRight());
}

}  // namespace varnelo
