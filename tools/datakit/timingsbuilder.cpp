#include "timingsbuilder.h"

#include "archivebuilder.h"
#include "data/suracatalogue.h"
#include "versetextfile.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>

namespace varnelo {

QString verseName(int sura, int index) {
    const QString verse = !hasOpeningEntry(sura) ? QStringLiteral("verse %1").arg(index + 1)
                          : index == 0           ? QStringLiteral("the opening formula")
                                                 : QStringLiteral("verse %1").arg(index);
    return QStringLiteral("sura %1 verse index %2 (%3)").arg(sura).arg(index).arg(verse);
}

StoredSpans storedSpansOf(int sura, const QList<VerseSpan> &spoken, qint64 lengthMs) {
    StoredSpans result{spoken, {}};
    for (qsizetype k = 0; k < spoken.size(); ++k) {
        qint64 end = qint64(spoken[k].end) + kStoredEndLead;
        if (k + 1 < spoken.size()) {
            end = qMin<qint64>(end, spoken[k + 1].start);
        }
        if (lengthMs > 0) {
            end = qMin(end, lengthMs);
        }
        // Never shorten a verse: a spoken end already at the limit stays where it is.
        end = std::clamp<qint64>(end, spoken[k].end, INT32_MAX);
        result.spans[k].end = qint32(end);
        if (const qint64 cut = qint64(spoken[k].end) + kStoredEndLead - end; cut > 0) {
            result.warnings.append(
                QStringLiteral("%1: only %2 ms from its spoken end to %3, so verse mode cuts the "
                               "last %4 ms of its speech")
                    .arg(verseName(sura, int(k)))
                    .arg(end - spoken[k].end)
                    .arg(lengthMs > 0 && end >= lengthMs ? QStringLiteral("the end of the file")
                                                         : QStringLiteral("the next verse's start"))
                    .arg(cut));
        }
    }
    return result;
}

QString checkSpans(int sura, const QList<VerseSpan> &spans) {
    if (spans.size() != verseCountOf(sura)) {
        return QStringLiteral("sura %1 has %2 timing rows, expected %3")
            .arg(sura)
            .arg(spans.size())
            .arg(verseCountOf(sura));
    }
    qint32 previousEnd = 0;
    for (qsizetype k = 0; k < spans.size(); ++k) {
        if (spans[k].start < previousEnd || spans[k].end <= spans[k].start) {
            return QStringLiteral("sura %1 verse index %2: times %3-%4 do not increase")
                .arg(sura)
                .arg(k)
                .arg(spans[k].start)
                .arg(spans[k].end);
        }
        previousEnd = spans[k].end;
    }
    return {};
}

TimingTable parseTimingsCsv(const QByteArray &bytes, const QString &sourceName) {
    TimingTable result;
    const auto fail = [&](int line, const QString &what) {
        result.suras.clear();
        result.error = inputError(sourceName, line, what);
        return result;
    };
    if (bytes.trimmed().isEmpty()) {
        return fail(0, QStringLiteral("the file is empty"));
    }
    QMap<int, QList<int>> lineOf;  // sura -> line of each index, 0 = missing
    const QList<QByteArray> lines = bytes.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int lineNo = int(i) + 1;
        const QByteArray line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith('#')) {
            continue;
        }
        const QList<QByteArray> cells = line.split(',');
        bool ok[4] = {};
        qint64 v[4] = {};
        for (int c = 0; c < 4 && c < cells.size(); ++c) {
            v[c] = cells[c].trimmed().toLongLong(&ok[c]);
        }
        if (cells.size() != 4 || !(ok[0] && ok[1] && ok[2] && ok[3])) {
            if (lineNo == 1 && !ok[0]) {
                continue;  // a header line
            }
            return fail(lineNo, QStringLiteral("expected sura,verse_index,start_ms,end_ms"));
        }
        const int sura = int(v[0]);
        if (v[0] < 1 || v[0] > SuraCount) {
            return fail(lineNo, QStringLiteral("sura %1 is out of range 1-114").arg(v[0]));
        }
        const int count = verseCountOf(sura);
        if (v[1] < 0 || v[1] >= count) {
            return fail(lineNo, QStringLiteral("sura %1 has no verse index %2 (it has 0-%3)")
                                    .arg(sura)
                                    .arg(v[1])
                                    .arg(count - 1));
        }
        if (v[2] < 0 || v[3] < 0 || v[2] > INT32_MAX || v[3] > INT32_MAX) {
            return fail(lineNo, QStringLiteral("times must be 0 to 2147483647 ms"));
        }
        QList<int> &seen = lineOf[sura];
        QList<VerseSpan> &spans = result.suras[sura];
        if (seen.isEmpty()) {
            seen.fill(0, count);
            spans.fill(VerseSpan{}, count);
        }
        const int index = int(v[1]);
        if (seen[index] != 0) {
            return fail(lineNo, QStringLiteral("sura %1 verse index %2 is given again (first on "
                                               "line %3)")
                                    .arg(sura)
                                    .arg(index)
                                    .arg(seen[index]));
        }
        seen[index] = lineNo;
        spans[index] = {qint32(v[2]), qint32(v[3])};
    }
    if (result.suras.isEmpty()) {
        return fail(0, QStringLiteral("no timing rows in the file"));
    }
    for (auto it = lineOf.cbegin(); it != lineOf.cend(); ++it) {
        const int missing = int(it->indexOf(0));
        if (missing >= 0) {
            return fail(0,
                        QStringLiteral("sura %1 verse index %2 has no row (a sura needs %3 rows)")
                            .arg(it.key())
                            .arg(missing)
                            .arg(it->size()));
        }
        const QList<VerseSpan> &spans = result.suras[it.key()];
        for (qsizetype k = 0; k < spans.size(); ++k) {
            const qint32 previousEnd = k > 0 ? spans[k - 1].end : 0;
            if (spans[k].start < previousEnd || spans[k].end <= spans[k].start) {
                return fail((*it)[k], QStringLiteral("times of sura %1 verse index %2 do not "
                                                     "increase")
                                          .arg(it.key())
                                          .arg(k));
            }
        }
    }
    return result;
}

QByteArray posMember(const QList<VerseSpan> &spans) {
    QByteArray bytes(spans.size() * 8, '\0');
    for (qsizetype k = 0; k < spans.size(); ++k) {
        qToLittleEndian<qint32>(spans[k].start, bytes.data() + 8 * k);
        qToLittleEndian<qint32>(spans[k].end, bytes.data() + 8 * k + 4);
    }
    return bytes;
}

QList<VerseSpan> spansOfPosMember(const QByteArray &member) {
    QList<VerseSpan> spans;
    for (qsizetype at = 0; at + 8 <= member.size(); at += 8) {
        spans.append({qFromLittleEndian<qint32>(member.constData() + at),
                      qFromLittleEndian<qint32>(member.constData() + at + 4)});
    }
    return spans;
}

QString updatePosArchive(const QString &path, const QMap<int, QList<VerseSpan>> &suras) {
    QMap<QString, QByteArray> members;
    for (auto it = suras.cbegin(); it != suras.cend(); ++it) {
        members.insert(SuraFileNumber(it.key()) + QStringLiteral(".pos"), posMember(*it));
    }
    return mergeIntoArchive(path, members, false);
}

}  // namespace varnelo
