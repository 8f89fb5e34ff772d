#pragma once

#include "timingsbuilder.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>

namespace varnelo {

// The file of a per-verse set that holds verse index `index` of sura: "SSSVVV.mp3", where
// 001001.mp3 also serves as the opening formula (index 0) of the suras that have one.
QString verseFileName(int sura, int index);

struct VerseJoinOptions {
    QString setDir;    // the per-verse MP3 files
    QString outDir;    // gets mp3/NNN.mp3 and data/pos.dat
    QList<int> suras;  // empty: every sura the set holds a verse of (001001.mp3 alone is no sura)
};

struct JoinedSura {
    int sura = 0;
    int rate = 0;
    qint64 samples = 0;          // of the joined file as a gapless decoder plays it
    QList<qint64> startSamples;  // per verse index: where its file's own audio begins there
    QList<VerseSpan> spans;      // as stored in pos.dat
    int shortTails = 0;          // verses whose stored end lies less than the lead past their file
};

struct VerseJoinResult {
    QList<JoinedSura> suras;
    QStringList warnings;
    QString error;
};

// Joins each sura's verse files, frame by frame without re-encoding, into outDir/mp3/NNN.mp3
// (the opening formula first where the sura has one), opened by an info frame with the first
// file's encoder delay and the last one's padding; the inner files' delay and padding stay in
// the stream, and the timings in outDir/data/pos.dat say where each file's audio lies in it.
// Every file of every sura is checked before anything is written: missing files (all named),
// truncated or damaged ones, other than layer III, mixed rates, versions or channel counts, a
// first frame that reaches back into a bit reservoir the file does not hold. On error nothing is
// written and error names the files. progress gets a line per sura written.
VerseJoinResult joinVerseSet(const VerseJoinOptions &options,
                             const std::function<void(const QString &)> &progress);

}  // namespace varnelo
