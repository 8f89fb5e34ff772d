#pragma once

#include <QString>

namespace varnelo {

class SettingsStore;

// The text the start-up failure message ends with, before the support address.
inline constexpr char StartupFailureText[] =
    "Error starting Varnelo, try reinstalling Varnelo.. if problem persist, contact support at ";
inline constexpr char SupportAddress[] = "https://www.example.com/varnelo";

// AppFolder from the executable's folder: blanks around it removed and a trailing separator
// dropped, so a drive root gives "C:" and "/" gives "" (callers append "/data" and the like).
QString SetAppFolder(const QString &executableFolder);

// TempFolder, always ending in '/': the "VX" sub-folder of systemTemp, created when missing. When
// systemTemp is no existing folder, or "VX" cannot be created there, appFolder + "/data/".
QString SetTempFolder(const QString &systemTemp, const QString &appFolder);

// The start-up failure: wipes the whole store (the next start runs as a first start) and returns
// the message to show for an error with the given description.
QString StartupFailure(SettingsStore &store, const QString &description);

}  // namespace varnelo
