#include "platform/documentopener.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace varnelo {

bool DesktopOpener::openFile(const QString &path) {
    // The desktop may report success for a file that is not there.
    if (!QFileInfo(path).isFile())
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool DesktopOpener::openAddress(const QString &address) {
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid() || url.isLocalFile() || url.scheme().isEmpty())
        return false;
    return QDesktopServices::openUrl(url);
}

}  // namespace varnelo
