#pragma once

#include <QString>

namespace varnelo {

class SettingsStore;

// The settings version this program writes; a store of any other version is wiped at start-up.
inline constexpr char SettingsVersion[] = "4.0 beta2";

// Key of section "Main" of the INI file at iniPath, cut to 2999 characters; defaultValue when the
// file or key is missing, "" when the key is present with an empty value.
QString ReadConfigValue(const QString &iniPath, const QString &key, const QString &defaultValue);

// Start-up's version check: wipes the store unless it was written by this version, and then
// stores this version. Returns whether the store was wiped.
bool CheckSettingsVersion(SettingsStore &store);

// The text the start-up failure message ends with, before the support address.
inline constexpr char StartupFailureText[] =
    "Error starting Varnelo, try reinstalling Varnelo.. if problem persist, contact support at ";
inline constexpr char SupportAddress[] = "https://www.example.com/varnelo";

// The start-up failure: keeps a copy of the store beside it, wipes the whole store (the next start
// runs as a first start) and returns the message to show for an error with the given
// description, which says where the copy lies or why there is none.
QString StartupFailure(SettingsStore &store, const QString &description);

}  // namespace varnelo
