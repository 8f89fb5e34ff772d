#include "mainwindow/equalizercurve.h"

#include <QPaintEvent>
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

EqualizerCurve::EqualizerCurve(Gains gains, double sampleRate, QWidget *parent)
    : QWidget(parent), m_gains(std::move(gains)), m_rate(sampleRate) {
    // It covers itself: nothing behind it needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void EqualizerCurve::setActive(bool active) {
    if (active == m_active)
        return;
    m_active = active;
    m_dot = QPixmap();
    update();
}

void EqualizerCurve::resizeEvent(QResizeEvent *) {
    m_background = QPixmap();
    layoutPoints();
}

void EqualizerCurve::layoutPoints() {
    m_curvePoints = std::max(2, (width() - 2 * kMargin) / kPixelsPerPoint) + 1;
    std::vector<double> freqs;
    freqs.reserve(size_t(m_curvePoints) + kEqCentres.size());
    for (int i = 0; i < m_curvePoints; ++i)
        freqs.push_back(kLowestHz *
                        std::pow(kHighestHz / kLowestHz, double(i) / (m_curvePoints - 1)));
    freqs.insert(freqs.end(), kEqCentres.begin(), kEqCentres.end());
    m_grid.setFrequencies(std::move(freqs), m_rate);
    m_grid.setGains(m_gains());
    m_curve.resize(m_curvePoints);
    for (int i = 0; i < m_curvePoints; ++i)
        m_curve[i] = QPointF(xOf(m_grid.frequency(i)), yOf(m_grid.totalDb(i)));
    m_dots.resize(qsizetype(kEqCentres.size()));
    for (qsizetype k = 0; k < m_dots.size(); ++k) {
        const int point = m_curvePoints + int(k);
        m_dots[k] = QPointF(xOf(m_grid.frequency(point)), yOf(m_grid.totalDb(point)));
    }
    update();
}

void EqualizerCurve::responseChanged() {
    m_lastChanged = QRect();
    if (m_curve.isEmpty() || !m_grid.setGains(m_gains()))
        return;
    // Less than this is not seen; it stays as drawn until a larger change comes by.
    constexpr double kUnseenPixels = 0.3;
    std::vector<double> newY(static_cast<size_t>(m_curvePoints));
    int first = m_curvePoints;
    int last = -1;
    for (int i = 0; i < m_curvePoints; ++i) {
        const double y = yOf(m_grid.totalDb(i));
        const bool seen = std::abs(y - m_curve[i].y()) > kUnseenPixels;
        newY[size_t(i)] = seen ? y : m_curve[i].y();
        if (seen) {
            first = std::min(first, i);
            last = i;
        }
    }
    QRect area;
    if (last >= 0) {
        area = curveArea(first, last, newY);
        for (int i = first; i <= last; ++i)
            m_curve[i].setY(newY[size_t(i)]);
    }
    // A dot's radius with its antialiased edge.
    constexpr int kDotPad = 5;
    for (qsizetype k = 0; k < m_dots.size(); ++k) {
        const double y = yOf(m_grid.totalDb(m_curvePoints + int(k)));
        if (std::abs(y - m_dots[k].y()) > kUnseenPixels) {
            const QPoint from = m_dots[k].toPoint();
            const int top = int(std::floor(std::min(y, m_dots[k].y())));
            const int bottom = int(std::ceil(std::max(y, m_dots[k].y())));
            area |= QRect(QPoint(from.x() - kDotPad, top - kDotPad),
                          QPoint(from.x() + kDotPad, bottom + kDotPad));
            m_dots[k].setY(y);
        }
    }
    m_lastChanged = area & rect();
    if (!m_lastChanged.isEmpty())
        update(m_lastChanged);
}

QRect EqualizerCurve::curveArea(int first, int last, const std::vector<double> &newY) const {
    // The segments to both neighbours move with a point; only the rows the old and the new
    // stroke cross are drawn again, not the curve's whole height.
    const int from = std::max(0, first - 1);
    const int to = std::min(m_curvePoints - 1, last + 1);
    double top = m_curve[from].y();
    double bottom = top;
    for (int i = from; i <= to; ++i) {
        top = std::min({top, m_curve[i].y(), newY[size_t(i)]});
        bottom = std::max({bottom, m_curve[i].y(), newY[size_t(i)]});
    }
    // The stroke is drawn twice, a pixel apart, with an antialiased edge.
    constexpr int kStrokePad = 3;
    return QRect(
        QPoint(int(std::floor(m_curve[from].x())) - kStrokePad, int(std::floor(top)) - kStrokePad),
        QPoint(int(std::ceil(m_curve[to].x())) + kStrokePad,
               int(std::ceil(bottom)) + 1 + kStrokePad));
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

void EqualizerCurve::paintDots(QPainter &painter, const QRect &area) {
    constexpr int kRadius = 3;
    constexpr int kSide = 2 * kRadius + 2;
    const qreal ratio = devicePixelRatio();
    if (m_dot.isNull() || m_dot.devicePixelRatio() != ratio) {
        m_dot = QPixmap(QSize(kSide, kSide) * ratio);
        m_dot.setDevicePixelRatio(ratio);
        m_dot.fill(Qt::transparent);
        QPainter dot(&m_dot);
        dot.setRenderHint(QPainter::Antialiasing);
        dot.setPen(Qt::NoPen);
        dot.setBrush(m_active ? Curve : CurveOff);
        dot.drawEllipse(QPointF(kSide / 2.0, kSide / 2.0), kRadius, kRadius);
    }
    // One antialiased ellipse drawn once and copied: the dots are drawn at every step of a drag.
    for (const QPointF &centre : m_dots) {
        const QPoint at = (centre - QPointF(kSide / 2.0, kSide / 2.0)).toPoint();
        if (area.intersects(QRect(at, QSize(kSide, kSide))))
            painter.drawPixmap(at, m_dot);
    }
}

void EqualizerCurve::paintEvent(QPaintEvent *event) {
    if (m_background.size() != size() * devicePixelRatio()) {
        m_background = QPixmap(size() * devicePixelRatio());
        m_background.setDevicePixelRatio(devicePixelRatio());
        m_background.fill(Back);
        QPainter grid(&m_background);
        paintGrid(grid);
    }
    const QRect area = event->rect();
    QPainter painter(this);
    painter.drawPixmap(area, m_background,
                       QRectF(QPointF(area.topLeft()) * devicePixelRatio(),
                              QSizeF(area.size()) * devicePixelRatio()));
    if (m_curve.isEmpty())
        return;

    // Only the segments that reach into the area.
    int first = 0;
    while (first + 1 < m_curvePoints && m_curve[first + 1].x() < area.left())
        ++first;
    int last = m_curvePoints - 1;
    while (last - 1 > first && m_curve[last - 1].x() > area.right() + 1)
        --last;
    const int count = last - first + 1;
    painter.setRenderHint(QPainter::Antialiasing);
    // Two one-pixel strokes a pixel apart look like a two-pixel line, and take the raster
    // engine's fast path for thin lines: the curve is drawn anew at every step of a drag.
    painter.setPen(QPen(m_active ? Curve : CurveOff, 1));
    painter.drawPolyline(m_curve.constData() + first, count);
    painter.translate(0, 1);
    painter.drawPolyline(m_curve.constData() + first, count);
    painter.translate(0, -1);
    paintDots(painter, area);
}

}  // namespace varnelo
