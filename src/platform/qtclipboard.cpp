#include "platform/qtclipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace varnelo {

QtClipboard::~QtClipboard() {
    QObject::disconnect(m_connection);
}

std::optional<QString> QtClipboard::text() const {
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasText())
        return std::nullopt;
    return data->text();
}

void QtClipboard::setText(const QString &text) {
    QGuiApplication::clipboard()->setText(text);
}

void QtClipboard::setChangedCallback(std::function<void()> onChanged) {
    QObject::disconnect(m_connection);
    if (onChanged)
        m_connection = QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged,
                                        std::move(onChanged));
}

}  // namespace varnelo
