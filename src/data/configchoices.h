#pragma once

#include <QString>

#include <array>

namespace varnelo {

class SettingsStore;

// The settings sections of translation windows 2, 3 and 4.
inline constexpr std::array<const char *, 3> TranslationSections = {"T", "D", "W"};

// The default translation names of windows 2, 3, 4: config.ini Text1..Text3 lower-cased with every
// ".dat" removed, or the built-in default name when appFolder/data/tdata has no <name>.dat in any
// letter case.
std::array<QString, 3> ChooseTranslations(const QString &configPath, const QString &appFolder);

// The translations windows 2, 3, 4 show: the stored TransName of T, D, W, else the chosen default.
std::array<QString, 3> StoredTranslations(const SettingsStore &store,
                                          const std::array<QString, 3> &chosen);

// The MP3 folder: config.ini MP3Path, else the stored Main/MP3Folder, else appFolder/mp3/;
// always ending in a separator, since file names are appended to it.
QString ChooseMp3Folder(const QString &configPath, const QString &appFolder,
                        const SettingsStore &store);

}  // namespace varnelo
