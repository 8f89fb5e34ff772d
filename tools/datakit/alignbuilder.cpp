#include "alignbuilder.h"

#include "data/suracatalogue.h"
#include "mp3decode.h"
#include "platform/replacefile.h"
#include "quranjson.h"
#include "versealigner.h"
#include "versetextfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <optional>

namespace varnelo {

namespace {

// The formula's usual text, for a text file that lacks verse 1:1.
const char kOpeningFormula[] = "بِسۡمِ ٱللَّهِ ٱلرَّحۡمَٰنِ ٱلرَّحِيمِ";

const char kConfidenceHeader[] =
    "# Verse starts placed by varnelo-datakit align: sura,verse_index,start_ms,confidence (0-1).\n"
    "# varnelo-datakit check lists those below 0.5; the program does not read this file.\n";

QString confidenceText(const QList<AlignedBoundary> &boundaries) {
    QString text = QString::fromUtf8(kConfidenceHeader);
    for (const AlignedBoundary &b : boundaries) {
        text += QStringLiteral("%1,%2,%3,%4\n")
                    .arg(b.sura)
                    .arg(b.index)
                    .arg(b.startMs)
                    .arg(b.confidence, 0, 'f', 2);
    }
    return text;
}

}  // namespace

MeasuredLevels measuredLevelsOf(const QString &mp3Path) {
    MeasuredLevels result;
    std::optional<LevelMeter> meter;
    const DecodedMp3 decoded =
        decodeAsPlayed(mp3Path, [&](const qint16 *stereo, qint64 frames, int rate) {
            if (!meter) {
                meter.emplace(rate);
            }
            meter->add(stereo, frames, kDecodedChannels);
        });
    if (!decoded.error.isEmpty()) {
        result.error = decoded.error;
        return result;
    }
    if (meter) {
        result.levels = meter->levels();
    }
    result.lengthMs = decoded.lengthMs;
    return result;
}

SuraTexts suraTextsOf(const QString &path, int sura) {
    SuraTexts result;
    QMap<int, QStringList> suras;
    if (path.endsWith(QStringLiteral(".json"), Qt::CaseInsensitive)) {
        QuranJsonText json = readQuranJson(path, QStringLiteral("text"));
        result.error = json.error;
        suras = json.suras;
    } else {
        VerseTextFile file = readVerseTextFile(path);
        result.error = file.error;
        suras = file.suras;
    }
    if (!result.error.isEmpty()) {
        return result;
    }
    if (!suras.contains(sura)) {
        result.error = QStringLiteral("%1: no text of sura %2").arg(path).arg(sura);
        return result;
    }
    result.texts = suras[sura];
    if (hasOpeningEntry(sura)) {
        result.texts.prepend(suras.contains(1) ? suras[1].value(0)
                                               : QString::fromUtf8(kOpeningFormula));
    }
    return result;
}

SuraAlignment alignRecitation(const QString &mp3Path, int sura, const QStringList &texts) {
    SuraAlignment result;
    if (sura < 1 || sura > SuraCount) {
        result.error = QStringLiteral("sura %1 is out of range 1-114").arg(sura);
        return result;
    }
    if (texts.size() != verseCountOf(sura)) {
        result.error = QStringLiteral("%1 verse texts for sura %2, which has %3 verse indexes")
                           .arg(texts.size())
                           .arg(sura)
                           .arg(verseCountOf(sura));
        return result;
    }
    const MeasuredLevels measured = measuredLevelsOf(mp3Path);
    if (!measured.error.isEmpty()) {
        result.error = measured.error;
        return result;
    }
    QList<double> weights;
    for (const QString &text : texts) {
        weights.append(spokenWeight(text));
    }
    const VerseBoundaries chosen = chooseVerseBoundaries(findPauses(measured.levels), weights);
    if (!chosen.error.isEmpty()) {
        result.error = QStringLiteral("%1: %2 (is it the recitation of sura %3?)")
                           .arg(mp3Path, chosen.error)
                           .arg(sura);
        return result;
    }
    const StoredSpans stored = storedSpansOf(sura, chosen.spoken, measured.lengthMs);
    result.stored = stored.spans;
    result.warnings = stored.warnings;
    for (qsizetype k = 1; k < chosen.spoken.size(); ++k) {
        result.boundaries.append({sura, int(k), chosen.spoken[k].start, chosen.confidence[k - 1]});
    }
    return result;
}

QString confidencePathOf(const QString &posPath) {
    const QFileInfo pos(posPath);
    return pos.dir().filePath(pos.completeBaseName() + QStringLiteral("-confidence.txt"));
}

ConfidenceFile readConfidenceFile(const QString &path) {
    ConfidenceFile result;
    QFile file(path);
    if (!file.exists()) {
        return result;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("cannot open %1: %2").arg(path, file.errorString());
        return result;
    }
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith('#')) {
            continue;
        }
        const QList<QByteArray> cells = line.split(',');
        bool ok[4] = {};
        AlignedBoundary b;
        if (cells.size() == 4) {
            b = {cells[0].toInt(&ok[0]), cells[1].toInt(&ok[1]), cells[2].toInt(&ok[2]),
                 cells[3].toDouble(&ok[3])};
        }
        if (!(ok[0] && ok[1] && ok[2] && ok[3]) || b.sura < 1 || b.sura > SuraCount ||
            b.index < 1 || b.index >= verseCountOf(b.sura) || b.confidence < 0 ||
            b.confidence > 1) {
            result.boundaries.clear();
            result.error = inputError(path, int(i) + 1,
                                      QStringLiteral("expected sura,verse_index,start_ms,"
                                                     "confidence"));
            return result;
        }
        result.boundaries.append(b);
    }
    return result;
}

QString writeAlignment(const QString &posPath, int sura, const SuraAlignment &alignment) {
    // The confidence file goes first: should pos.dat then fail to be written, check ignores
    // rows whose start pos.dat does not have.
    const QString path = confidencePathOf(posPath);
    ConfidenceFile old = readConfidenceFile(path);
    if (!old.error.isEmpty()) {
        return old.error;
    }
    QList<AlignedBoundary> rows = alignment.boundaries;
    for (const AlignedBoundary &b : old.boundaries) {
        if (b.sura != sura) {
            rows.append(b);
        }
    }
    std::stable_sort(rows.begin(), rows.end(), [](const auto &a, const auto &b) {
        return std::pair(a.sura, a.index) < std::pair(b.sura, b.index);
    });
    if (const auto why = replaceFile(path, confidenceText(rows).toUtf8())) {
        return QStringLiteral("cannot write %1: %2").arg(path, *why);
    }
    return updatePosArchive(posPath, {{sura, alignment.stored}});
}

QString clockTime(qint64 ms) {
    return QStringLiteral("%1:%2.%3")
        .arg(ms / 60000)
        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

}  // namespace varnelo
