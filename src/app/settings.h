#pragma once

#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>
#include <variant>

namespace varnelo {

class SettingsStore;

// The settings version this program writes; a store of any other version is wiped at start-up.
inline constexpr char SettingsVersion[] = "4.0 beta2";

// Key of section "Main" of the INI file at iniPath, cut to 2999 characters; defaultValue when the
// file or key is missing, "" when the key is present with an empty value.
QString ReadConfigValue(const QString &iniPath, const QString &key, const QString &defaultValue);

// Stored-text conversions; each fails (nothing) on text that does not convert, never throws.
// An integer: decimal text, blanks around it allowed, a fraction rounded half to even.
std::optional<int> toInteger(const QString &text);
// A decimal number with '.' or the user's decimal separator.
std::optional<double> toDouble(const QString &text);
// "True"/"False" in any case, or a number (non-zero is True).
std::optional<bool> toBoolean(const QString &text);
// A colour as stored: decimal text of a signed or unsigned 32-bit value.
std::optional<quint32> toColour(const QString &text);

// The decimal text numbers are stored as ('.' as decimal separator, so any locale reads it back).
QString numberText(double value);

// Start-up's version check: wipes the store unless it was written by this version, and then
// stores this version. Returns whether the store was wiped.
bool CheckSettingsVersion(SettingsStore &store);

// A stored value that did not convert to its type.
struct SettingsError {
    QString section;
    QString key;
    QString value;

    // "Type mismatch" and where, for the start-up failure message.
    QString description() const;
};

struct RangeModeOptions {
    int NoofTimes = 1;
    int Pause = 1;
    int PauseBetweenVerses = 0;
    bool NextRange = true;
    bool NextSura = true;
    bool RestartSura = false;
    bool StopRecitation = false;

    bool operator==(const RangeModeOptions &) const = default;
};

// Colours and text size of one text window.
struct WindowPresentation {
    quint32 back = 14937827;  // RGB(227, 238, 227)
    quint32 font = 0;
    double size = 2;  // translation windows only

    bool operator==(const WindowPresentation &) const = default;
};

// The stored values start-up reads, after their defaults and conversions.
struct StartupSettings {
    std::optional<int> top;  // window top and left in twips; nothing: centre the window
    int left = 0;
    bool firstTime = true;  // Main/FirstTime is "1"
    bool AlwaysOnTop = false;
    bool OnscreenHelpEnabled = true;
    bool showAbout = true;  // About/Show3 is "1"
    int volume = 500;       // Vol/Pos
    bool EQEnabled = true;
    RangeModeOptions rangeMode;
    WindowPresentation arabic;
    std::array<WindowPresentation, 3> translations;  // windows 2, 3, 4: sections T, D, W

    bool operator==(const StartupSettings &) const = default;
};

// Reads StartupSettings from store, or the first value that does not convert.
std::variant<StartupSettings, SettingsError> ReadStartupSettings(const SettingsStore &store);

// The settings sections of translation windows 2, 3 and 4.
inline constexpr std::array<const char *, 3> TranslationSections = {"T", "D", "W"};

// The default translation names of windows 2, 3, 4: config.ini Text1..Text3 lower-cased with every
// ".dat" removed, or the built-in default name when appFolder/data/tdata/<name>.dat is no file.
std::array<QString, 3> ChooseTranslations(const QString &configPath, const QString &appFolder);

// The translations windows 2, 3, 4 show: the stored TransName of T, D, W, else the chosen default.
std::array<QString, 3> StoredTranslations(const SettingsStore &store,
                                          const std::array<QString, 3> &chosen);

// The MP3 folder: config.ini MP3Path, else the stored Main/MP3Folder, else appFolder/mp3/;
// always ending in a separator, since file names are appended to it.
QString ChooseMp3Folder(const QString &configPath, const QString &appFolder,
                        const SettingsStore &store);

}  // namespace varnelo
