#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

namespace varnelo {

// One file of the quran-json package: per sura its verses 1..n, either the Arabic text or the
// translation/transliteration field.
struct QuranJsonText {
    QMap<int, QStringList> suras;
    QString error;
};

// Reads dist/quran.json (field "text") or dist/quran_LANG.json (field "translation", or
// "transliteration" for quran_transliteration.json). Fails on a missing file, bad JSON, or a
// sura whose verse count differs from the common numbering.
QuranJsonText readQuranJson(const QString &path, const QString &field);

}  // namespace varnelo
