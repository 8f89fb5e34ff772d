#include "platform/widgetdialogs.h"

#include <QColorDialog>
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

namespace {

QColor fromBgr(quint32 c) {
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

quint32 toBgr(const QColor &c) {
    return quint32(c.red()) | quint32(c.green()) << 8 | quint32(c.blue()) << 16;
}

}  // namespace

ColourDialog::Answer WidgetDialogs::chooseColour(const Request &request) {
    for (int i = 0; i < int(request.customColours.size()); ++i)
        QColorDialog::setCustomColor(i, fromBgr(request.customColours[size_t(i)]));
    const QColor initial =
        request.flags & kStartFromColour ? fromBgr(request.colour) : QColor(Qt::black);
    const QColor chosen = QColorDialog::getColor(initial, m_owner);
    if (!chosen.isValid())
        return {};
    return {1, toBgr(chosen), 0};
}

}  // namespace varnelo
