#include "platform/widgetdialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace varnelo {

void WidgetDialogs::information(const QString &title, const QString &text) {
    QMessageBox::information(m_owner, title, text);
}

bool WidgetDialogs::question(const QString &title, const QString &text) {
    return QMessageBox::question(m_owner, title, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

QString WidgetDialogs::inputBox(const QString &prompt, const QString &title) {
    bool ok = false;
    const QString text = QInputDialog::getText(m_owner, title, prompt, QLineEdit::Normal, {}, &ok);
    return ok ? text : QString();
}

QString WidgetDialogs::ShowSaveMp3Dialog(const QString &defaultFileName,
                                         const QString &initialFolder) {
    // The caller asks "Confirm replace" itself.
    return QFileDialog::getSaveFileName(
        m_owner, QString(), QDir(initialFolder).filePath(defaultFileName),
        QStringLiteral("MP3 file (*.MP3)"), nullptr, QFileDialog::DontConfirmOverwrite);
}

}  // namespace varnelo
