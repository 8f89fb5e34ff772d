#include "mainwindow/keypreview.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QWidget>

#include "mainwindow/keyboardcommands.h"
#include "platform/virtualkeys.h"

namespace varnelo {

KeyPreview::KeyPreview(QWidget &window, KeyboardTarget &target, QComboBox &suraList,
                       QList<QWidget *> keyless)
    : QObject(&window),
      m_window(window),
      m_target(target),
      m_suraList(suraList),
      m_keyless(std::move(keyless)) {
    qApp->installEventFilter(this);
}

bool KeyPreview::dispatch(int qtKey, Qt::KeyboardModifiers modifiers) {
    const int code = virtualKey(qtKey, modifiers);
    return code != 0 && Form_KeyDown(m_target, code, shiftMask(modifiers));
}

bool KeyPreview::suraListDrops(int keyCode) const {
    const bool open = m_suraList.view() && m_suraList.view()->isVisible();
    const bool arrow = keyCode >= vk::Left && keyCode <= vk::Down;
    // Digits only set the range; they never jump in the list.
    const bool digit = keyCode >= '0' && keyCode <= '9';
    return digit || (arrow && !open);
}

bool KeyPreview::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    auto *key = static_cast<QKeyEvent *>(event);
    // The sura list's open drop-down, a window of its own, handles its own keys; digits only set
    // the range there too, and never jump in the list.
    const QAbstractItemView *entries = m_suraList.view();
    if (entries && entries->isVisible() && (widget == entries || entries->isAncestorOf(widget))) {
        const int code = virtualKey(key->key(), key->modifiers());
        if (code < '0' || code > '9')
            return false;
        dispatch(key->key(), key->modifiers());
        return true;
    }
    // One delivery per key: to the focused control, or to the window when nothing has the focus.
    // The same event travelling up to the parents is not dispatched again.
    if (widget->window() != &m_window)
        return false;
    if (widget != QApplication::focusWidget() && widget != &m_window)
        return false;
    const bool acted = dispatch(key->key(), key->modifiers());
    if (acted || m_keyless.contains(widget))
        return true;
    if (widget == &m_suraList)
        return suraListDrops(virtualKey(key->key(), key->modifiers()));
    return false;
}

}  // namespace varnelo
