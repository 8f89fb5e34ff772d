#pragma once

#include <QChar>
#include <QLineEdit>

#include <functional>

class QKeyEvent;

namespace varnelo {

// The number box of the quick selection dialogs: every key that types a character, and Enter,
// Escape and Backspace, goes through keyPress first; it takes the key only when that says so.
// Editing keys that type nothing (arrows, Delete) reach the box unasked.
class QuickSelectBox : public QLineEdit {
    Q_OBJECT

public:
    using KeyPress = std::function<bool(QChar key, const QString &text)>;

    QuickSelectBox(KeyPress keyPress, QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    KeyPress m_keyPress;
};

}  // namespace varnelo
