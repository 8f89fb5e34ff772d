#include "mainwindow/equalizercurve.h"

#include <QPainter>

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
// A point every few pixels: smooth once antialiased, and cheap to compute while a band moves.
constexpr int kPixelsPerPoint = 3;

}  // namespace

EqualizerCurve::EqualizerCurve(Response response, QWidget *parent)
    : QWidget(parent), m_response(std::move(response)) {
    // It covers itself: nothing behind it needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_throttle.setSingleShot(true);
    m_throttle.setInterval(kRedrawMs);
    connect(&m_throttle, &QTimer::timeout, this, [this] {
        if (m_redrawDue) {
            m_redrawDue = false;
            m_curve.clear();
            update();
            m_throttle.start();
        }
    });
}

void EqualizerCurve::setActive(bool active) {
    m_active = active;
    update();
}

void EqualizerCurve::responseChanged() {
    if (m_throttle.isActive()) {
        m_redrawDue = true;
        return;
    }
    m_curve.clear();
    update();
    m_throttle.start();
}

void EqualizerCurve::resizeEvent(QResizeEvent *) {
    m_curve.clear();
    m_grid = QPixmap();
}

void EqualizerCurve::computeCurve() {
    const int points = std::max(2, (width() - 2 * kMargin) / kPixelsPerPoint);
    m_curve.clear();
    for (int i = 0; i <= points; ++i) {
        const double freq = kLowestHz * std::pow(kHighestHz / kLowestHz, double(i) / points);
        m_curve.append(QPointF(xOf(freq), yOf(m_response(freq))));
    }
    m_dots.clear();
    for (const double centre : kEqCentres)
        m_dots.append(QPointF(xOf(centre), yOf(m_response(centre))));
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
    if (m_grid.size() != size() * devicePixelRatio()) {
        m_grid = QPixmap(size() * devicePixelRatio());
        m_grid.setDevicePixelRatio(devicePixelRatio());
        m_grid.fill(Back);
        QPainter grid(&m_grid);
        paintGrid(grid);
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_grid);

    if (m_curve.isEmpty())
        computeCurve();
    painter.setRenderHint(QPainter::Antialiasing);
    // Two one-pixel strokes a pixel apart look like a two-pixel line, and take the raster
    // engine's fast path for thin lines: the curve is drawn anew at every step of a drag.
    painter.setPen(QPen(m_active ? Curve : CurveOff, 1));
    painter.drawPolyline(m_curve);
    painter.translate(0, 1);
    painter.drawPolyline(m_curve);
    painter.translate(0, -1);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_active ? Curve : CurveOff);
    for (const QPointF &dot : m_dots)
        painter.drawEllipse(dot, 3, 3);
}

}  // namespace varnelo
