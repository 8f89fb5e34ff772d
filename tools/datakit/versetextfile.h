#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

namespace varnelo {

// Verses of the common numbering in sura (1..114): VerseCounts less the opening formula entry.
int numberedVerseCount(int sura);
// The verse index of verse (1-based, common numbering) in sura: suras 1 and 9 have no separate
// opening entry, so their verse k is index k - 1.
int verseIndexOf(int sura, int verse);

// "file:line: what", or "file: what" for line 0: how every input error is reported.
QString inputError(const QString &sourceName, int line, const QString &what);

// The verse texts of a "sura|verse|text" file: for each sura present, its verses 1..n in order.
struct VerseTextFile {
    QMap<int, QStringList> suras;
    QString error;  // empty when the file was read completely
};

// Parses UTF-8 text in the "sura|verse|text" form. Lines may come in any order; blank lines and
// lines starting with '#' are skipped. Fails, naming the line, on a malformed line, a sura or
// verse number out of range, a repeated verse, bytes that are not UTF-8, and (naming the sura and
// verse) on a verse missing from a sura that is present. An empty file is an error.
VerseTextFile parseVerseText(const QByteArray &bytes, const QString &sourceName);
VerseTextFile readVerseTextFile(const QString &path);

}  // namespace varnelo
