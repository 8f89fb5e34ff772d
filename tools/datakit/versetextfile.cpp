#include "versetextfile.h"

#include "data/suracatalogue.h"

#include <QFile>
#include <QStringDecoder>

namespace varnelo {

int numberedVerseCount(int sura) {
    const int entries = verseCountOf(sura);
    return hasOpeningEntry(sura) ? entries - 1 : entries;
}

int verseIndexOf(int sura, int verse) {
    return hasOpeningEntry(sura) ? verse : verse - 1;
}

QString inputError(const QString &sourceName, int line, const QString &what) {
    return line > 0 ? QStringLiteral("%1:%2: %3").arg(sourceName).arg(line).arg(what)
                    : QStringLiteral("%1: %2").arg(sourceName, what);
}

VerseTextFile parseVerseText(const QByteArray &bytes, const QString &sourceName) {
    VerseTextFile result;
    const auto fail = [&](int line, const QString &what) {
        result.suras.clear();
        result.error = inputError(sourceName, line, what);
        return result;
    };
    QList<QByteArray> lines = bytes.split('\n');
    if (bytes.trimmed().isEmpty()) {
        return fail(0, QStringLiteral("the file is empty"));
    }
    if (lines[0].startsWith("\xEF\xBB\xBF")) {
        lines[0].remove(0, 3);
    }
    QMap<int, QList<int>> seenOn;  // sura -> line of each verse, 0 = not yet seen
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int lineNo = int(i) + 1;
        QByteArray raw = lines[i];
        if (raw.endsWith('\r')) {
            raw.chop(1);
        }
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString line = utf8.decode(raw);
        if (utf8.hasError()) {
            return fail(lineNo, QStringLiteral("not UTF-8 text"));
        }
        if (line.trimmed().isEmpty() || line.startsWith(u'#')) {
            continue;
        }
        const qsizetype bar1 = line.indexOf(u'|');
        const qsizetype bar2 = bar1 < 0 ? -1 : line.indexOf(u'|', bar1 + 1);
        if (bar2 < 0) {
            return fail(lineNo, QStringLiteral("expected sura|verse|text"));
        }
        bool okSura = false;
        bool okVerse = false;
        const int sura = line.left(bar1).trimmed().toInt(&okSura);
        const int verse = line.mid(bar1 + 1, bar2 - bar1 - 1).trimmed().toInt(&okVerse);
        if (!okSura || !okVerse) {
            return fail(lineNo, QStringLiteral("sura and verse must be numbers"));
        }
        if (sura < 1 || sura > SuraCount) {
            return fail(lineNo, QStringLiteral("sura %1 is out of range 1-114").arg(sura));
        }
        const int count = numberedVerseCount(sura);
        if (verse < 1 || verse > count) {
            return fail(lineNo, QStringLiteral("sura %1 has no verse %2 (it has verses 1-%3)")
                                    .arg(sura)
                                    .arg(verse)
                                    .arg(count));
        }
        QList<int> &seen = seenOn[sura];
        QStringList &verses = result.suras[sura];
        if (seen.isEmpty()) {
            seen.fill(0, count);
            verses.fill(QString(), count);
        }
        if (seen[verse - 1] != 0) {
            return fail(lineNo, QStringLiteral("verse %1:%2 is given again (first on line %3)")
                                    .arg(sura)
                                    .arg(verse)
                                    .arg(seen[verse - 1]));
        }
        seen[verse - 1] = lineNo;
        verses[verse - 1] = line.mid(bar2 + 1);
    }
    if (result.suras.isEmpty()) {
        return fail(0, QStringLiteral("no verse lines in the file"));
    }
    for (auto it = seenOn.cbegin(); it != seenOn.cend(); ++it) {
        QStringList missing;
        for (qsizetype v = 0; v < it->size(); ++v) {
            if ((*it)[v] == 0) {
                missing.append(QStringLiteral("%1:%2").arg(it.key()).arg(v + 1));
            }
        }
        if (!missing.isEmpty()) {
            const QString shown = missing.size() > 10
                                      ? missing.mid(0, 10).join(u", ") + QStringLiteral(", ...")
                                      : missing.join(u", ");
            return fail(0,
                        QStringLiteral("%1 verse(s) missing: %2").arg(missing.size()).arg(shown));
        }
    }
    return result;
}

VerseTextFile readVerseTextFile(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        VerseTextFile result;
        result.error = QStringLiteral("cannot open %1: %2").arg(path, file.errorString());
        return result;
    }
    return parseVerseText(file.readAll(), path);
}

}  // namespace varnelo
