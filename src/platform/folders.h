#pragma once

#include <QString>

namespace varnelo {

// AppFolder from the executable's folder: blanks around it removed and a trailing separator
// dropped, so a drive root gives "C:" and "/" gives "" (callers append "/data" and the like).
QString SetAppFolder(const QString &executableFolder);

// TempFolder, always ending in '/': the "VX" sub-folder of systemTemp, created when missing. When
// systemTemp is no existing folder, or "VX" cannot be created there, appFolder + "/data/".
QString SetTempFolder(const QString &systemTemp, const QString &appFolder);

}  // namespace varnelo
