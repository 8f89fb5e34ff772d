#pragma once

#include <QChar>
#include <QLineEdit>

#include <functional>

class QDialog;
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

    // The box "txtSuraNo" of a quick selection dialog: it fills the dialog, made modal under title,
    // and every change of its text goes to changed.
    static QuickSelectBox *fill(QDialog *dialog, const QString &title, KeyPress keyPress,
                                std::function<void(const QString &)> changed);
    // Empty and focused, as each showing of the dialog starts.
    void restart();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    KeyPress m_keyPress;
};

}  // namespace varnelo
