#include "mainwindow/quickselectbox.h"

#include <QDialog>
#include <QKeyEvent>
#include <QVBoxLayout>

#include "mainwindow/quicksuraselect.h"

namespace varnelo {

namespace {

// The character a key types, or a null character for a key that types none.
QChar keyCharacter(const QKeyEvent *event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return QChar(keychar::Return);
        case Qt::Key_Escape:
            return QChar(keychar::Escape);
        case Qt::Key_Backspace:
            return QChar(keychar::Back);
        default:
            break;
    }
    const QString text = event->text();
    if (text.size() == 1 && text.at(0).isPrint())
        return text.at(0);
    return QChar();
}

}  // namespace

QuickSelectBox::QuickSelectBox(KeyPress keyPress, QWidget *parent)
    : QLineEdit(parent), m_keyPress(std::move(keyPress)) {}

QuickSelectBox *QuickSelectBox::fill(QDialog *dialog, const QString &title, KeyPress keyPress,
                                     std::function<void(const QString &)> changed) {
    dialog->setWindowTitle(title);
    dialog->setModal(true);
    auto *box = new QuickSelectBox(std::move(keyPress), dialog);
    box->setObjectName(QStringLiteral("txtSuraNo"));
    connect(box, &QLineEdit::textChanged, dialog, std::move(changed));
    auto *layout = new QVBoxLayout(dialog);
    layout->addWidget(box);
    return box;
}

void QuickSelectBox::restart() {
    clear();
    setFocus();
}

void QuickSelectBox::keyPressEvent(QKeyEvent *event) {
    const QChar key = keyCharacter(event);
    if (!key.isNull() && !m_keyPress(key, text())) {
        // Handled or refused: neither the box nor the dialog acts on it again.
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

}  // namespace varnelo
