#pragma once

#include "timingsbuilder.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace varnelo {

// The timing files players ship per reciter: an SQLite table timings(sura, ayah, time) of verse
// starts (ayah 0 the opening formula, 999 the sura's end), or JSON verse objects with verse_key,
// timestamp_from and timestamp_to.
enum class TimingFormat { Guess, Sqlite, Json };

struct TimingImportOptions {
    TimingFormat format = TimingFormat::Guess;  // Guess: from the file's first bytes or its name
    QList<int> suras;                           // empty: every sura the file holds
    QString mp3Folder;                          // empty: the recitations are not checked
};

struct TimingImport {
    QMap<int, QList<VerseSpan>> suras;  // stored spans of each sura, ready for updatePosArchive
    QStringList warnings;
    QString error;  // the file and the row of the first problem; suras is then empty
};

// Without a row of its own, a sura's opening formula is what the file holds before verse 1, and
// at least this long: less is a lead-in silence, and verse mode would play nothing.
inline constexpr qint32 kShortestOpeningMs = 1000;

// A last verse may end this far past the recitation file's end (players count the encoder's delay
// and padding differently) and is then cut at the file's end; further is an error.
inline constexpr qint32 kEndPastFileSlackMs = 100;

// Reads the timing file at path and turns each sura's verse times into the stored convention:
// verse indexes as the program counts them, spoken ends (JSON timestamp_to; otherwise the next
// start, or the 999 row for the last verse) moved kStoredEndLead later as storedSpansOf does.
// With an MP3 folder, each sura whose NNN.mp3 is there must end inside it, and its stored ends
// stay inside it; a missing file is a warning. Any error leaves the result empty.
TimingImport importTimings(const QString &path, const TimingImportOptions &options);

// The mp3 folder beside the data folder that holds posPath (OUT/data/pos.dat -> OUT/mp3); empty
// when posPath is not in a folder named data or there is no such mp3 folder.
QString mp3FolderBeside(const QString &posPath);

}  // namespace varnelo
