#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include "recitation/clsfmod.h"

namespace varnelo {

// Start and end of one verse index in the sura's recitation file, in milliseconds.
struct VerseSpan {
    qint32 start = 0;
    qint32 end = 0;
    bool operator==(const VerseSpan &) const = default;
};

struct TimingTable {
    QMap<int, QList<VerseSpan>> suras;  // sura -> one span per verse index
    QString error;
};

// Parses "sura,verse_index,start_ms,end_ms" lines (a first line naming the columns is allowed).
// Every sura present needs exactly its VerseCounts rows, and each sura's times must increase
// (start < end <= next start). Errors name the line, or the sura and index when a row is missing.
TimingTable parseTimingsCsv(const QByteArray &bytes, const QString &sourceName);

// The player stops a verse this long before its stored end, and in range mode steps on when its
// position, as far ahead of the sound, passes the end: a stored end lies this far past the
// spoken end.
inline constexpr qint32 kStoredEndLead = clsFMod::kPositionLead;

struct StoredSpans {
    QList<VerseSpan> spans;
    QStringList warnings;  // one per verse whose end could not move the whole lead
};

// The stored spans of a sura from its spoken ones (increasing): each end moves kStoredEndLead
// later, but never past the next verse's start, nor past lengthMs when that is above 0. A verse
// held back so is named in warnings, with the ms of its tail the player will cut.
StoredSpans storedSpansOf(int sura, const QList<VerseSpan> &spoken, qint64 lengthMs = 0);

// "sura 112 verse index 3 (verse 3)", "sura 2 verse index 0 (the opening formula)".
QString verseName(int sura, int index);

// Empty when spans are VerseCounts(sura) increasing times, else what is wrong.
QString checkSpans(int sura, const QList<VerseSpan> &spans);

// The NNN.pos member: one record of two little-endian 32-bit values per verse index.
QByteArray posMember(const QList<VerseSpan> &spans);
QList<VerseSpan> spansOfPosMember(const QByteArray &member);

// Writes the suras' members into the pos archive at path, keeping the members of other suras an
// existing archive has. Empty on success, else the reason (the old file stays as it was).
QString updatePosArchive(const QString &path, const QMap<int, QList<VerseSpan>> &suras);

}  // namespace varnelo
