#pragma once

#include "archivebuilder.h"
#include "pagerenderer.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace varnelo {

// The Arabic text of one sura: verses 1..n of the common numbering.
struct SuraText {
    int sura = 0;
    QStringList verses;
    QStringList meanings;    // per verse: blank-separated word meanings, may be empty
    QString openingFormula;  // shown as verse index 0 of every sura but 1 and 9
    QString openingMeanings;
};

// Page images (one GIF member per text part), heights and word records of one sura.
struct SuraPages {
    int sura = 0;
    QMap<QString, QByteArray> images;  // member name -> GIF
    QByteArray heights;                // NNN.hgt, suras 2-77 only
    QByteArray words;                  // NNN.qwf, suras 2-77 only
    QStringList warnings;
    QString error;
};

// Renders every text part of the suras, spreading the parts over threads (0 = one per core).
QList<SuraPages> buildSuraPages(const QList<SuraText> &suras, const PageStyle &style,
                                int threads = 0);

// The archive, relative to the data folder, that holds the page images of sura.
QString imageArchiveOf(int sura);

// Puts the members of pages into the archives under dataDir (a.dat / NNN.dat, hgt.dat, wm.dat),
// keeping members of other suras that the archives already hold. Empty on success.
QString writeSuraPages(const QString &dataDir, const QList<SuraPages> &pages);

}  // namespace varnelo
