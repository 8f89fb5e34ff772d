#pragma once

#include <QString>

namespace varnelo {

// Hands documents and addresses to the desktop, which opens them in the user's own programs;
// tests hand in a recorder so nothing is ever launched.
class DocumentOpener {
public:
    virtual ~DocumentOpener() = default;

    // Opens the local file at path; false when the desktop could not open it.
    virtual bool openFile(const QString &path) = 0;
    // Opens a web or mail address; false when the desktop could not open it.
    virtual bool openAddress(const QString &address) = 0;
};

// The desktop's own opener.
class DesktopOpener : public DocumentOpener {
public:
    bool openFile(const QString &path) override;
    bool openAddress(const QString &address) override;
};

}  // namespace varnelo
