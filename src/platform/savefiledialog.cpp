#include "platform/savefiledialog.h"

#include <QDir>
#include <QStandardPaths>

namespace varnelo {

QString GetSpecialFolder(int id) {
    if (id != kDesktopDirectoryFolder) {
        return {};
    }
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (desktop.isEmpty()) {
        return {};
    }
    return QDir::toNativeSeparators(QDir(desktop).absolutePath() + QLatin1Char('/'));
}

}  // namespace varnelo
