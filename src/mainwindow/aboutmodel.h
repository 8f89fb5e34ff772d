#pragma once

#include <QString>

#include <array>

namespace varnelo {

class SettingsStore;

// The archive in AppFolder + "/data" that holds the about window's pages.
inline constexpr char AboutArchiveName[] = "main1.dat";
// Members of that archive for the tabs, in tab order: product page, keyboard, version history.
inline constexpr std::array<const char *, 3> AboutPageMembers = {"about.htm", "keyboard.htm",
                                                                 "version.htm"};
// A page link holding this marker opens the program folder's text file instead.
inline constexpr char DivovoVULinkMarker[] = "#DivovoVU";
inline constexpr char DivovoVUFile[] = "divovovu.txt";

// The whole file at path as text, decoded as its HTML charset says (UTF-8 when it says
// nothing); "" when the file cannot be read.
QString FileOpen(const QString &path);

// The three pages extracted through tempFolder (each temporary file deleted after reading). A
// missing archive, member or unreadable file gives a short page saying which page is missing
// and why, so the window always opens.
std::array<QString, 3> ReadAboutPages(const QString &appFolder, const QString &tempFolder);

// Whether "Don't show this screen on startup" starts checked: exactly when start-up would not
// show the window, that is About/Show3 is anything but "1" (its default).
bool DontShowAtStartup(const SettingsStore &store);
// Stores the choice as About/Show3: "0" when checked, "1" when not.
void SaveDontShowAtStartup(SettingsStore &store, bool dontShow);

// What a click on a page link does.
struct AboutLinkAction {
    enum class Kind {
        None,         // a plain click in the page, or a link the window does not follow
        OpenFile,     // target is a local file for the desktop to open
        OpenAddress,  // target is a web or mail address for the user's browser
    };
    Kind kind = Kind::None;
    QString target;
};

// The rule for a navigation request from a page: a "#DivovoVU" link opens AppFolder's
// divovovu.txt, a web or mail link opens in the user's browser; the page itself always stays.
AboutLinkAction AboutLinkRule(const QString &address, const QString &appFolder);

}  // namespace varnelo
