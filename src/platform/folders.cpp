#include "platform/folders.h"

#include <QDir>
#include <QFileInfo>

namespace varnelo {

QString SetAppFolder(const QString &executableFolder) {
    QString folder = executableFolder.trimmed();
    if (folder.endsWith(u'/') || folder.endsWith(u'\\'))
        folder.chop(1);
    return folder;
}

QString SetTempFolder(const QString &systemTemp, const QString &appFolder) {
    const QString fallback = appFolder + QStringLiteral("/data/");
    if (systemTemp.isEmpty() || !QFileInfo(systemTemp).isDir())
        return fallback;
    QString folder = systemTemp;
    if (!folder.endsWith(u'/') && !folder.endsWith(u'\\'))
        folder += u'/';
    folder += QStringLiteral("VX/");
    // Extraction into a folder that could not be made would fail later for every member.
    if (!QDir().mkpath(folder))
        return fallback;
    return folder;
}

}  // namespace varnelo
