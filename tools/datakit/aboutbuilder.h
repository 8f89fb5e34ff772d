#pragma once

#include "archivebuilder.h"

#include <QByteArray>
#include <QString>

namespace varnelo {

// Sources named on the product page.
struct AboutCredits {
    QString dataSource;  // HTML fragment naming where the texts come from and their licence
};

// main1.dat: "about.htm", "keyboard.htm", "version.htm", ZE3-encoded.
ArchiveBuilder aboutArchive(const AboutCredits &credits);

// The small animated scroll arrow of the Arabic window (a plain GIF file), pointing up or down.
QByteArray arrowGif(bool up);

// Writes main1.dat, u.dat and d.dat into dataDir (each through a temporary file); returns an
// empty string on success, else what went wrong.
QString writeAboutFiles(const QString &dataDir, const AboutCredits &credits);

// The quran-json credit shared by the demo's about page and translation archives.
QString quranJsonCredit();

}  // namespace varnelo
