#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QtGlobal>

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

// Empty when spans are VerseCounts(sura) increasing times, else what is wrong.
QString checkSpans(int sura, const QList<VerseSpan> &spans);

// The NNN.pos member: one record of two little-endian 32-bit values per verse index.
QByteArray posMember(const QList<VerseSpan> &spans);
QList<VerseSpan> spansOfPosMember(const QByteArray &member);

// Writes the suras' members into the pos archive at path, keeping the members of other suras an
// existing archive has. Empty on success, else the reason (the old file stays as it was).
QString updatePosArchive(const QString &path, const QMap<int, QList<VerseSpan>> &suras);

}  // namespace varnelo
