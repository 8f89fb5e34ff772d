#pragma once

#include <QMetaObject>

#include "platform/clipboard.h"

namespace varnelo {

// The desktop clipboard through Qt; needs a QGuiApplication.
class QtClipboard : public Clipboard {
public:
    QtClipboard() = default;
    ~QtClipboard() override;
    QtClipboard(const QtClipboard &) = delete;
    QtClipboard &operator=(const QtClipboard &) = delete;

    std::optional<QString> text() const override;
    void setText(const QString &text) override;
    void setChangedCallback(std::function<void()> onChanged) override;

private:
    QMetaObject::Connection m_connection;
};

}  // namespace varnelo
