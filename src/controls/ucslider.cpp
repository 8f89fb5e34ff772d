#include "controls/ucslider.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#include "controls/ucslidertip.h"

namespace varnelo {

ucSlider::ucSlider(QWidget *parent, ucSliderTip *tip) : QWidget(parent), m_sharedTip(tip) {
    m_skin.BackColor = palette().color(QPalette::Button);
    // Tab reaches the slider, a click does not take the focus from the window's shortcuts.
    setFocusPolicy(Qt::TabFocus);
    // The painter fills the whole control: a move repaints the slider alone, not what is behind.
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(&m_model, &ucSliderModel::layoutNeeded, this, &ucSlider::relayout);
    connect(&m_model, &ucSliderModel::dragStarted, this, [this] {
        if (m_model.ShowValueTip())
            showTip();
    });
    connect(&m_model, &ucSliderModel::redrawNeeded, this, [this] {
        if (m_pacer)
            m_pacer->request(this, [this] { update(); });
        else
            update();
        if (m_model.isDragging() && m_model.ShowValueTip())
            showTip();
    });
    relayout();
}

ucSlider::~ucSlider() {
    if (m_pacer)
        m_pacer->cancel(this);
    if (m_model.isDragging())
        closeTip();
}

void ucSlider::setBackColor(const QColor &color) {
    m_skin.BackColor = color;
    update();
}

void ucSlider::setSliderImage(const QImage &image) {
    m_skin.SliderImage = image;
    relayout();
}

void ucSlider::setRailImage(const QImage &image) {
    m_skin.RailImage = image;
    relayout();
}

ucSliderTip *ucSlider::tip() const {
    return m_sharedTip ? m_sharedTip.data() : m_ownTip.get();
}

QSize ucSlider::sizeHint() const {
    const int across =
        ucSliderPainter::thickness(m_model.isHorizontal(), m_model.RailStyle(), m_skin);
    return m_model.isHorizontal() ? QSize(120, across) : QSize(across, 120);
}

void ucSlider::relayout() {
    const bool horizontal = m_model.isHorizontal();
    const int across = ucSliderPainter::thickness(horizontal, m_model.RailStyle(), m_skin);
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (horizontal)
        setFixedHeight(across);
    else
        setFixedWidth(across);
    m_model.setGeometry(size(), ucSliderPainter::thumbSize(horizontal, m_skin.SliderImage));
}

void ucSlider::showTip() {
    if (!tip())
        m_ownTip = std::make_unique<ucSliderTip>();
    ucSliderTip *window = tip();
    window->setText(m_model.tipText());
    window->showAt(m_model.tipPosition(mapToGlobal(QPoint(0, 0)), window->size()));
}

void ucSlider::closeTip() {
    if (ucSliderTip *window = tip())
        window->hide();
}

void ucSlider::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    ucSliderPainter::paint(painter, m_model, m_skin, palette());
}

void ucSlider::resizeEvent(QResizeEvent *) {
    m_model.setGeometry(size(), m_model.thumbSize());
}

void ucSlider::mousePressEvent(QMouseEvent *event) {
    m_model.mouseDown(event->position(), event->button(), event->modifiers());
}

void ucSlider::mouseMoveEvent(QMouseEvent *event) {
    m_model.mouseMove(event->position());
}

void ucSlider::mouseReleaseEvent(QMouseEvent *event) {
    m_model.mouseUp(event->position(), event->button(), event->modifiers());
    closeTip();
}

void ucSlider::keyPressEvent(QKeyEvent *event) {
    // Keys work as on any slider: an arrow moves one step (Up and Right toward Max), Page Up and
    // Page Down a tenth of the range, Home and End go to Min and Max. Other keys, and all keys of
    // a disabled slider, go on to the owner.
    const qint64 value = m_model.Value();
    const qint64 page = std::max<qint64>(1, (qint64(m_model.Max()) - m_model.Min()) / 10);
    qint64 target = value;
    switch (m_model.Enabled() ? event->key() : Qt::Key_unknown) {
        case Qt::Key_Left:
        case Qt::Key_Down:
            target = value - 1;
            break;
        case Qt::Key_Right:
        case Qt::Key_Up:
            target = value + 1;
            break;
        case Qt::Key_PageDown:
            target = value - page;
            break;
        case Qt::Key_PageUp:
            target = value + page;
            break;
        case Qt::Key_Home:
            target = m_model.Min();
            break;
        case Qt::Key_End:
            target = m_model.Max();
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    m_model.setValue(int(std::clamp<qint64>(target, m_model.Min(), m_model.Max())));
}

}  // namespace varnelo
