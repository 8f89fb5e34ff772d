#pragma once

#include "timingsbuilder.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <vector>

namespace varnelo {

// A verse start that align placed in a pause, and how sure it is of it (0 to 1).
struct AlignedBoundary {
    int sura = 0;
    int index = 0;  // verse index that starts there, 1 or more
    qint32 startMs = 0;
    double confidence = 0;
    bool operator==(const AlignedBoundary &) const = default;
};

// Boundaries below this confidence are worth a listen.
inline constexpr double kLowConfidence = 0.5;

struct MeasuredLevels {
    std::vector<float> levels;  // per 10 ms
    qint64 lengthMs = 0;
    QString error;
};

// The 10 ms levels of an MP3 file as the program decodes it. Fails, naming the file, when it
// does not decode, ends in junk or is cut short (fewer frames than its info frame announces, or
// a last frame cut off).
MeasuredLevels measuredLevelsOf(const QString &mp3Path);

struct SuraTexts {
    QStringList texts;  // per verse index, the opening formula at index 0 where the sura has one
    QString error;
};

// The Arabic text of sura from the quran.json of the quran-json package (a path ending in .json)
// or a sura|verse|text file. The opening formula is that file's verse 1:1, or the formula's
// usual text when the file lacks it.
SuraTexts suraTextsOf(const QString &path, int sura);

struct SuraAlignment {
    QList<VerseSpan> stored;  // the sura's pos.dat records
    QList<AlignedBoundary> boundaries;
    QStringList warnings;  // verses whose pause is shorter than the player's lead
    QString error;
};

// Places the verse boundaries of sura in the pauses of its recitation at mp3Path, texts giving
// the verses' relative lengths (one per verse index).
SuraAlignment alignRecitation(const QString &mp3Path, int sura, const QStringList &texts);

// data/pos-confidence.txt beside data/pos.dat: "sura,verse_index,start_ms,confidence" lines. The
// program never reads it; check lists the boundaries below kLowConfidence whose start pos.dat
// still has.
QString confidencePathOf(const QString &posPath);

struct ConfidenceFile {
    QList<AlignedBoundary> boundaries;
    QString error;  // names the line; a missing file is no error
};
ConfidenceFile readConfidenceFile(const QString &path);

// Writes the sura's records into the pos archive and its boundaries into the confidence file
// beside it, keeping the other suras of both. Empty on success, else the reason.
QString writeAlignment(const QString &posPath, int sura, const SuraAlignment &alignment);

// Time as m:ss.mmm, for a listener looking for the place.
QString clockTime(qint64 ms);

}  // namespace varnelo
