#include "pagesbuilder.h"

#include "data/suracatalogue.h"
#include "versetextfile.h"
#include "workers.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <atomic>
#include <vector>

namespace varnelo {

namespace {

constexpr int twipsPerPixel = 15;

bool hasHeightsAndWords(int sura) {
    return sura >= 2 && sura <= 77;
}

struct PartJob {
    int suraSlot = 0;
    TextPart part;
    QList<PageVerse> verses;
    RenderedPart rendered;
};

qint16 clamp16(qint64 v) {
    return qint16(qBound(qint64(-32768), v, qint64(32767)));
}

}  // namespace

QString imageArchiveOf(int sura) {
    return (sura >= 2 && sura <= 66) ? SuraFileNumber(sura) + QStringLiteral(".dat")
                                     : QStringLiteral("a.dat");
}

QList<SuraPages> buildSuraPages(const QList<SuraText> &suras, const PageStyle &style, int threads) {
    QList<SuraPages> result(suras.size());
    std::vector<PartJob> jobs;
    for (qsizetype s = 0; s < suras.size(); ++s) {
        const SuraText &text = suras[s];
        SuraPages &pages = result[s];
        pages.sura = text.sura;
        if (text.verses.size() != numberedVerseCount(text.sura)) {
            pages.error = QStringLiteral("sura %1: %2 verses given, it has %3")
                              .arg(text.sura)
                              .arg(text.verses.size())
                              .arg(numberedVerseCount(text.sura));
            continue;
        }
        const bool opening = hasOpeningEntry(text.sura);
        if (opening && text.openingFormula.isEmpty()) {
            pages.error = QStringLiteral("sura %1: no opening formula").arg(text.sura);
            continue;
        }
        QList<TextPart> parts = textPartsOf(text.sura);
        if (parts.isEmpty()) {
            parts.append({QString(), 0, qint16(verseCountOf(text.sura) - 1)});
        }
        for (const TextPart &part : parts) {
            PartJob job;
            job.suraSlot = int(s);
            job.part = part;
            for (int index = part.first; index <= part.last; ++index) {
                PageVerse v;
                v.verseIndex = index;
                if (opening && index == 0) {
                    v.text = text.openingFormula;
                    v.ownLine = true;
                    v.wordMeanings = text.openingMeanings;
                } else {
                    const int verse = opening ? index : index + 1;
                    v.number = verse;
                    v.text = text.verses[verse - 1];
                    v.wordMeanings = text.meanings.value(verse - 1);
                }
                job.verses.append(v);
            }
            jobs.push_back(std::move(job));
        }
    }

    // The biggest parts first, so that no thread is left with a long one at the end.
    std::vector<size_t> order(jobs.size());
    for (size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::sort(order.begin(), order.end(),
              [&](size_t a, size_t b) { return jobs[a].verses.size() > jobs[b].verses.size(); });
    std::atomic<size_t> next{0};
    const auto work = [&] {
        for (size_t i = next++; i < order.size(); i = next++) {
            PartJob &job = jobs[order[i]];
            job.rendered = renderPart(job.verses, style);
        }
    };
    runOnThreads(threads, work);

    // Heights and words: the bottom of each verse number's lines, words of indexes up to 255.
    QList<QMap<int, int>> bottoms(suras.size());  // verse index -> pixel bottom
    for (PartJob &job : jobs) {
        SuraPages &pages = result[job.suraSlot];
        if (!job.rendered.error.isEmpty()) {
            pages.error = QStringLiteral("sura %1 part \"%2\": %3")
                              .arg(pages.sura)
                              .arg(job.part.letter, job.rendered.error);
            continue;
        }
        pages.images.insert(SuraTextParts::imageMemberName(pages.sura, job.part.letter),
                            job.rendered.gif);
        for (qsizetype k = 0; k < job.verses.size(); ++k) {
            bottoms[job.suraSlot].insert(job.verses[k].verseIndex, job.rendered.verseBottoms[k]);
        }
        if (!hasHeightsAndWords(pages.sura)) {
            continue;
        }
        for (const WordBox &w : job.rendered.words) {
            if (w.verseIndex > 255) {
                continue;  // a word record has one byte for the verse index
            }
            const QByteArray meaning = w.meaning.toUtf8();
            QByteArray record(11, '\0');
            record[0] = char(w.verseIndex);
            qToLittleEndian<qint16>(clamp16(w.rect.left()), record.data() + 1);
            qToLittleEndian<qint16>(clamp16(w.rect.top()), record.data() + 3);
            qToLittleEndian<qint16>(clamp16(w.rect.right() + 1), record.data() + 5);
            qToLittleEndian<qint16>(clamp16(w.rect.bottom() + 1), record.data() + 7);
            qToLittleEndian<quint16>(quint16(qMin<qsizetype>(meaning.size(), 65535)),
                                     record.data() + 9);
            pages.words += record + meaning.left(65535);
        }
    }
    for (qsizetype s = 0; s < suras.size(); ++s) {
        SuraPages &pages = result[s];
        if (!pages.error.isEmpty() || !hasHeightsAndWords(pages.sura)) {
            continue;
        }
        // Element e of the heights table serves verse number e: its bottom in twips.
        const int n = verseCountOf(pages.sura);
        const int numbered = numberedVerseCount(pages.sura);
        pages.heights.fill('\0', 2 * n);
        bool clipped = false;
        for (int e = 1; e <= n; ++e) {
            const int index = verseIndexOf(pages.sura, qMin(e, numbered));
            const qint64 twips = qint64(bottoms[s].value(index)) * twipsPerPixel;
            clipped = clipped || twips > 32767;
            qToLittleEndian<qint16>(clamp16(twips), pages.heights.data() + 2 * (e - 1));
        }
        if (clipped) {
            pages.warnings.append(QStringLiteral("sura %1: a verse ends below 32767 twips; its "
                                                 "height is cut to that")
                                      .arg(pages.sura));
        }
    }
    return result;
}

QString writeSuraPages(const QString &dataDir, const QList<SuraPages> &pages) {
    QMap<QString, QMap<QString, QByteArray>> images;  // archive -> members
    QMap<QString, QByteArray> heights;
    QMap<QString, QByteArray> words;
    for (const SuraPages &p : pages) {
        if (!p.error.isEmpty()) {
            return p.error;
        }
        for (auto it = p.images.cbegin(); it != p.images.cend(); ++it) {
            images[imageArchiveOf(p.sura)].insert(it.key(), it.value());
        }
        if (hasHeightsAndWords(p.sura)) {
            heights.insert(SuraFileNumber(p.sura) + QStringLiteral(".hgt"), p.heights);
            words.insert(SuraFileNumber(p.sura) + QStringLiteral(".qwf"), p.words);
        }
    }
    const QDir dir(dataDir);
    for (auto it = images.cbegin(); it != images.cend(); ++it) {
        if (const QString e = mergeIntoArchive(dir.filePath(it.key()), it.value(), true);
            !e.isEmpty()) {
            return e;
        }
    }
    if (!heights.isEmpty()) {
        if (QString e = mergeIntoArchive(dir.filePath(QStringLiteral("hgt.dat")), heights, false);
            !e.isEmpty()) {
            return e;
        }
        if (QString e = mergeIntoArchive(dir.filePath(QStringLiteral("wm.dat")), words, true);
            !e.isEmpty()) {
            return e;
        }
    }
    return {};
}

}  // namespace varnelo
