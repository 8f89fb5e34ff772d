#pragma once

#include <QObject>
#include <QPointer>

class QComboBox;
class QWidget;

namespace varnelo {

class KeyboardTarget;

// Key preview: every key pressed in the main window reaches the keyboard commands first,
// whichever control has the focus. A key a command acted on goes no further; the sura list
// drops arrows (while closed) and digits, and the mode buttons drop every key.
class KeyPreview : public QObject {
    Q_OBJECT

public:
    KeyPreview(QWidget &window, KeyboardTarget &target, QComboBox &suraList,
               QList<QWidget *> keyless);

    // Sends a key to the commands as the window would; for windows that pass their keys on.
    bool dispatch(int qtKey, Qt::KeyboardModifiers modifiers);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool suraListDrops(int keyCode) const;

    QWidget &m_window;
    KeyboardTarget &m_target;
    QComboBox &m_suraList;
    QList<QWidget *> m_keyless;
};

}  // namespace varnelo
