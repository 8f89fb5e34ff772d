#include "mainwindow/equalizercurve.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

#include "recitation/parametriceq.h"

namespace varnelo {

namespace {

const QColor Back(40, 34, 40);
const QColor Grid(78, 68, 78);
const QColor Axis(120, 108, 120);
const QColor Label(190, 180, 190);
const QColor Curve(250, 210, 90);
const QColor CurveOff(130, 120, 110);
constexpr int kMargin = 4;

}  // namespace

EqualizerCurve::EqualizerCurve(Response response, QWidget *parent)
    : QWidget(parent), m_response(std::move(response)) {}

void EqualizerCurve::setActive(bool active) {
    m_active = active;
    update();
}

double EqualizerCurve::xOf(double freq) const {
    const double span = std::log(kHighestHz / kLowestHz);
    return kMargin + (width() - 2 * kMargin) * std::log(freq / kLowestHz) / span;
}

double EqualizerCurve::yOf(double db) const {
    const double clamped = std::clamp(db, -kRangeDb, kRangeDb);
    return kMargin + (height() - 2 * kMargin) * (kRangeDb - clamped) / (2 * kRangeDb);
}

void EqualizerCurve::paintGrid(QPainter &painter) const {
    painter.setFont(QFont(painter.font().family(), 7));
    for (const double db : {-24.0, -18.0, -12.0, -6.0, 0.0, 6.0, 12.0, 18.0, 24.0}) {
        painter.setPen(db == 0 ? Axis : Grid);
        painter.drawLine(QPointF(kMargin, yOf(db)), QPointF(width() - kMargin, yOf(db)));
    }
    for (const double decade : {100.0, 1000.0, 10000.0}) {
        for (int step = 1; step < 10; ++step) {
            const double freq = decade / 10 * step;
            if (freq < kLowestHz)
                continue;
            painter.setPen(step == 1 ? Axis : Grid);
            painter.drawLine(QPointF(xOf(freq), kMargin), QPointF(xOf(freq), height() - kMargin));
        }
    }
    painter.setPen(Label);
    painter.drawText(QPointF(xOf(100) + 2, height() - kMargin - 2), QStringLiteral("100"));
    painter.drawText(QPointF(xOf(1000) + 2, height() - kMargin - 2), QStringLiteral("1k"));
    painter.drawText(QPointF(xOf(10000) + 2, height() - kMargin - 2), QStringLiteral("10k"));
    painter.drawText(QPointF(kMargin + 2, yOf(24) + 10), QStringLiteral("+24 dB"));
    painter.drawText(QPointF(kMargin + 2, yOf(0) - 2), QStringLiteral("0 dB"));
    painter.drawText(QPointF(kMargin + 2, yOf(-24) - 2), QStringLiteral("-24 dB"));
}

void EqualizerCurve::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), Back);
    paintGrid(painter);

    // One point per pixel column: the curve is as smooth as the screen can show.
    QPainterPath path;
    const int columns = std::max(2, width() - 2 * kMargin);
    for (int i = 0; i <= columns; ++i) {
        const double freq = kLowestHz * std::pow(kHighestHz / kLowestHz, double(i) / columns);
        const QPointF point(xOf(freq), yOf(m_response(freq)));
        if (i == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(m_active ? Curve : CurveOff, 2));
    painter.drawPath(path);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_active ? Curve : CurveOff);
    for (const double centre : kEqCentres)
        painter.drawEllipse(QPointF(xOf(centre), yOf(m_response(centre))), 3, 3);
}

}  // namespace varnelo
