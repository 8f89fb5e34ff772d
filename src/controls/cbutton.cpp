#include "controls/cbutton.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>

#include <algorithm>

#include "controls/cbuttonpainter.h"
#include "platform/virtualkeys.h"

namespace varnelo {

namespace {

int buttonCode(Qt::MouseButtons buttons) {
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
           (buttons & Qt::MiddleButton ? 4 : 0);
}

}  // namespace

cButton::cButton(QWidget *parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_model.setSystemColors(cButtonPainter::systemColors(palette()));
    m_model.setSize(width(), height());

    connect(&m_model, &cButtonModel::Click, this, &cButton::Click);
    connect(&m_model, &cButtonModel::MouseDown, this, &cButton::MouseDown);
    connect(&m_model, &cButtonModel::MouseMove, this, &cButton::MouseMove);
    connect(&m_model, &cButtonModel::MouseUp, this, &cButton::MouseUp);
    connect(&m_model, &cButtonModel::KeyDown, this, &cButton::KeyDown);
    connect(&m_model, &cButtonModel::KeyUp, this, &cButton::KeyUp);
    connect(&m_model, &cButtonModel::redrawNeeded, this, qOverload<>(&QWidget::update));
    connect(&m_model, &cButtonModel::focusMoveRequested, this,
            [this](bool next) { focusNextPrevChild(next); });
    connect(&m_model, &cButtonModel::accessKeyChanged, this, &cButton::updateShortcut);
    connect(&m_model, &cButtonModel::enabledChanged, this, [this](bool enabled) {
        if (isEnabled() != enabled)
            QWidget::setEnabled(enabled);
    });
}

void cButton::setCaption(const QString &caption) {
    m_model.setCaption(caption);
    updateGeometry();
}

void cButton::updateShortcut(QChar key) {
    if (key.isNull()) {
        delete m_shortcut;
        m_shortcut = nullptr;
        return;
    }
    if (!m_shortcut) {
        // Window context: Alt+key works wherever the focus is in the button's active window, and
        // Qt leaves the shortcut alone while the button is hidden or disabled.
        m_shortcut = new QShortcut(this);
        m_shortcut->setContext(Qt::WindowShortcut);
        connect(m_shortcut, &QShortcut::activated, &m_model, &cButtonModel::accessKeyPressed);
        connect(m_shortcut, &QShortcut::activatedAmbiguously, &m_model,
                &cButtonModel::accessKeyPressed);
    }
    m_shortcut->setKey(
        QKeySequence(QKeyCombination(Qt::AltModifier, Qt::Key(key.toUpper().unicode()))));
}

QSize cButton::sizeHint() const {
    // The caption as shown: a single "&" only underlines, "&&" shows one ampersand.
    QString shown;
    const QString caption = m_model.Caption();
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size())
            ++i;
        shown += caption[i];
    }
    const QFontMetrics metrics(font());
    return QSize(std::max(75, metrics.horizontalAdvance(shown) + 20),
                 std::max(23, metrics.height() + 10));
}

void cButton::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    cButtonPainter::paint(painter, m_model);
}

void cButton::resizeEvent(QResizeEvent *) {
    m_model.setSize(width(), height());
}

void cButton::changeEvent(QEvent *event) {
    switch (event->type()) {
        case QEvent::EnabledChange:
            m_model.setEnabled(isEnabled());
            break;
        case QEvent::PaletteChange:
            m_model.setSystemColors(cButtonPainter::systemColors(palette()));
            break;
        case QEvent::FontChange:
            updateGeometry();
            m_model.drawState(m_model.drawnState(), true);
            break;
        default:
            break;
    }
    QWidget::changeEvent(event);
}

void cButton::focusInEvent(QFocusEvent *event) {
    m_model.setFocus(true);
    QWidget::focusInEvent(event);
}

void cButton::focusOutEvent(QFocusEvent *event) {
    m_model.setFocus(false);
    QWidget::focusOutEvent(event);
}

void cButton::mousePressEvent(QMouseEvent *event) {
    const QPointF p = event->position();
    m_model.mouseDown(buttonCode(event->button()), shiftMask(event->modifiers()), p.x(), p.y());
}

void cButton::mouseDoubleClickEvent(QMouseEvent *event) {
    // A quick second press counts as a press of its own.
    mousePressEvent(event);
}

void cButton::mouseMoveEvent(QMouseEvent *event) {
    const QPointF p = event->position();
    m_model.mouseMove(buttonCode(event->buttons()), shiftMask(event->modifiers()), p.x(), p.y());
}

void cButton::mouseReleaseEvent(QMouseEvent *event) {
    const QPointF p = event->position();
    m_model.mouseUp(buttonCode(event->button()), shiftMask(event->modifiers()), p.x(), p.y());
}

void cButton::keyPressEvent(QKeyEvent *event) {
    const int code = virtualKey(event->key(), event->modifiers());
    m_model.keyDown(code, shiftMask(event->modifiers()));
    // Keys the button has no use for go on to its owner as well.
    if (code != vk::Space && (code < vk::Left || code > vk::Down))
        event->ignore();
}

void cButton::keyReleaseEvent(QKeyEvent *event) {
    // A held key repeats its press only; the button clicks once, on the real release.
    if (event->isAutoRepeat())
        return;
    const int code = virtualKey(event->key(), event->modifiers());
    m_model.keyUp(code, shiftMask(event->modifiers()));
    if (code != vk::Space)
        event->ignore();
}

}  // namespace varnelo
