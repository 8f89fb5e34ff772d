#include "datacheck.h"

#include "alignbuilder.h"
#include "archivebuilder.h"
#include "data/suracatalogue.h"
#include "gifwriter.h"
#include "pagesbuilder.h"
#include "recitation.h"
#include "timingsbuilder.h"
#include "versetextfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QtEndian>

#include <algorithm>
#include <cmath>

namespace varnelo {

namespace {

class Checker {
public:
    CheckReport report;

    void ok(const QString &what) { report.lines.append(QStringLiteral("ok    ") + what); }
    void fail(const QString &what) {
        report.lines.append(QStringLiteral("FAIL  ") + what);
        ++report.failures;
    }

    // The archive's members, listed on one line, or nothing when it does not read.
    std::optional<QList<StoredMember>> open(const QString &path, const QString &label) {
        const ArchiveContents a = readArchive(path);
        if (!a.error.isEmpty()) {
            fail(a.error);
            return std::nullopt;
        }
        QStringList names;
        for (const StoredMember &m : a.members) {
            names.append(QStringLiteral("%1 (%2)").arg(m.name).arg(m.stored.size()));
        }
        report.lines.append(QStringLiteral("list  %1: %2").arg(label, names.join(u", ")));
        return a.members;
    }
};

QByteArray decoded(Checker &c, const QString &label, const StoredMember &m) {
    QString error;
    const QByteArray bytes = decodeMember(m.stored, &error);
    if (!error.isEmpty()) {
        c.fail(QStringLiteral("%1 %2: %3").arg(label, m.name, error));
    }
    return bytes;
}

int partVerses(int sura, const QString &letter) {
    for (const TextPart &p : textPartsOf(sura)) {
        if (p.letter == letter) {
            return p.last - p.first + 1;
        }
    }
    return letter.isEmpty() ? verseCountOf(sura) : -1;
}

// Level of a 20 ms block that counts as speech. In the demo's recitations the loudest block of a
// verse's last 200 ms measures RMS 3,300-5,200 (2,000-3,100 over the whole 200 ms), and still
// 380-3,300 when only the last 30 ms of speech fall in the window; the silence after a verse
// decodes to RMS 15 at most, and the faint sound the speech measurement leaves before its end to
// 170. 300 (-41 dBFS) lies between, with room for a quiet room's noise.
constexpr double kSpeechRms = 300;
constexpr qint64 kBlockMs = 20;

// RMS of the loudest 20 ms block of the mono samples in fromMs..toMs, clipped to the audio.
double loudestBlockRms(const Pcm &pcm, qint64 fromMs, qint64 toMs) {
    const auto *s = reinterpret_cast<const qint16 *>(pcm.samples.constData());
    const auto sampleAt = [&](qint64 ms) {
        return std::clamp<qsizetype>(ms * pcm.rate / 1000, 0, pcm.frames());
    };
    double loudest = 0;
    for (qint64 ms = fromMs; ms < toMs; ms += kBlockMs) {
        const qsizetype from = sampleAt(ms);
        const qsizetype to = sampleAt(qMin(ms + kBlockMs, toMs));
        double sum = 0;
        for (qsizetype i = from; i < to; ++i) {
            sum += double(s[i]) * s[i];
        }
        if (to > from) {
            loudest = qMax(loudest, std::sqrt(sum / double(to - from)));
        }
    }
    return loudest;
}

// Verses whose speech goes on in the last kStoredEndLead ms before their stored end: there the
// player would stop them, or step on, while the reciter is still speaking.
void checkVerseEnds(Checker &c, const QString &name, int sura, const QList<VerseSpan> &spans,
                    const Pcm &pcm) {
    QStringList late;
    for (qsizetype k = 0; k < spans.size(); ++k) {
        const double rms = loudestBlockRms(pcm, spans[k].end - kStoredEndLead, spans[k].end);
        if (rms > kSpeechRms) {
            late.append(QStringLiteral("%1 (RMS %2 within %3 ms before its end at %4 ms)")
                            .arg(verseName(sura, int(k)))
                            .arg(qRound(rms))
                            .arg(kStoredEndLead)
                            .arg(spans[k].end));
        }
    }
    if (late.isEmpty()) {
        c.ok(QStringLiteral("mp3/%1: %2 verses end %3 ms after their speech")
                 .arg(name)
                 .arg(spans.size())
                 .arg(kStoredEndLead));
        return;
    }
    const qsizetype shown = qMin<qsizetype>(late.size(), 3);
    c.fail(QStringLiteral("mp3/%1: %2 verse(s) end before their speech does (ends must lie %3 ms "
                          "after the spoken end): %4%5")
               .arg(name)
               .arg(late.size())
               .arg(kStoredEndLead)
               .arg(late.mid(0, shown).join(u", "))
               .arg(late.size() > shown ? QStringLiteral(", ...") : QString()));
}

// The verse starts align placed with little confidence, as long as pos.dat still has them: where
// the user should listen. They are worth a look, not a failure.
void reportAlignedStarts(Checker &c, const QString &posPath,
                         const QMap<int, QList<VerseSpan>> &timings) {
    const QString path = confidencePathOf(posPath);
    if (!QFile::exists(path)) {
        return;
    }
    const ConfidenceFile file = readConfidenceFile(path);
    if (!file.error.isEmpty()) {
        c.fail(file.error);
        return;
    }
    QStringList listen;
    QSet<int> suras;
    int current = 0;
    for (const AlignedBoundary &b : file.boundaries) {
        const QList<VerseSpan> spans = timings.value(b.sura);
        if (b.index >= spans.size() || spans[b.index].start != b.startMs) {
            continue;  // timed otherwise since
        }
        ++current;
        suras.insert(b.sura);
        if (b.confidence < kLowConfidence) {
            listen.append(QStringLiteral("listen %1 starts at %2 (%3 ms): confidence %4")
                              .arg(verseName(b.sura, b.index), clockTime(b.startMs))
                              .arg(b.startMs)
                              .arg(b.confidence, 0, 'f', 2));
        }
    }
    c.ok(QStringLiteral("%1: %2 aligned verse starts in %3 suras, %4 below confidence %5")
             .arg(QFileInfo(path).fileName())
             .arg(current)
             .arg(suras.size())
             .arg(listen.size())
             .arg(kLowConfidence, 0, 'f', 1));
    c.report.lines.append(listen);
}

bool wordRecordsParse(const QByteArray &bytes) {
    qsizetype at = 0;
    while (at < bytes.size()) {
        if (at + 11 > bytes.size()) {
            return false;
        }
        at += 11 + qFromLittleEndian<quint16>(bytes.constData() + at + 9);
    }
    return at == bytes.size();
}

}  // namespace

CheckReport checkProgramFolder(const QString &dirPath) {
    Checker c;
    const QDir dir(dirPath);
    const QDir data(dir.filePath(QStringLiteral("data")));
    QMap<int, QList<VerseSpan>> timings;

    if (auto members = c.open(data.filePath("pos.dat"), "data/pos.dat")) {
        int good = 0;
        for (const StoredMember &m : *members) {
            const int sura = m.name.left(3).toInt();
            const QList<VerseSpan> spans = spansOfPosMember(m.stored);
            const QString e = checkSpans(sura, spans);
            if (!m.name.endsWith(".pos") || m.stored.size() != qsizetype(verseCountOf(sura)) * 8 ||
                !e.isEmpty()) {
                c.fail(QStringLiteral("pos.dat %1: %2 bytes %3")
                           .arg(m.name)
                           .arg(m.stored.size())
                           .arg(e));
            } else {
                timings.insert(sura, spans);
                ++good;
            }
        }
        c.ok(QStringLiteral("pos.dat: %1 suras with VerseCounts x 8 bytes, increasing times")
                 .arg(good));
    }
    reportAlignedStarts(c, data.filePath(QStringLiteral("pos.dat")), timings);

    // Page images by archive, then heights and words.
    QStringList imageArchives = {QStringLiteral("a.dat")};
    for (int s = 2; s <= 66; ++s) {
        imageArchives.append(SuraFileNumber(s) + QStringLiteral(".dat"));
    }
    for (const QString &name : imageArchives) {
        if (!data.exists(name)) {
            continue;
        }
        const auto members = c.open(data.filePath(name), QStringLiteral("data/") + name);
        if (!members) {
            continue;
        }
        int good = 0;
        for (const StoredMember &m : *members) {
            const int sura = m.name.left(3).toInt();
            const QString letter = m.name.mid(3, m.name.size() - 7);
            const GifInfo gif = describeGif(decoded(c, name, m));
            const int expected = partVerses(sura, letter);
            if (imageArchiveOf(sura) != name || gif.frameCount != expected) {
                c.fail(QStringLiteral("%1 %2: %3 frames, part has %4 verses %5")
                           .arg(name, m.name)
                           .arg(gif.frameCount)
                           .arg(expected)
                           .arg(gif.error));
            } else {
                ++good;
            }
        }
        c.ok(QStringLiteral("%1: %2 page images, frames = verses of their part")
                 .arg(name)
                 .arg(good));
    }
    if (auto members = c.open(data.filePath("hgt.dat"), "data/hgt.dat")) {
        int good = 0;
        for (const StoredMember &m : *members) {
            const int sura = m.name.left(3).toInt();
            (m.stored.size() == 2 * verseCountOf(sura) && sura >= 2 && sura <= 77)
                ? void(++good)
                : c.fail(QStringLiteral("hgt.dat %1: %2 bytes").arg(m.name).arg(m.stored.size()));
        }
        c.ok(QStringLiteral("hgt.dat: %1 suras with VerseCounts x 2 bytes").arg(good));
    }
    if (auto members = c.open(data.filePath("wm.dat"), "data/wm.dat")) {
        int good = 0;
        for (const StoredMember &m : *members) {
            wordRecordsParse(decoded(c, "wm.dat", m))
                ? void(++good)
                : c.fail(QStringLiteral("wm.dat %1: records do not end at the end").arg(m.name));
        }
        c.ok(QStringLiteral("wm.dat: %1 suras of whole word records").arg(good));
    }

    // Translations: every text member has one line per numbered verse (sura 1 from verse 2).
    const QDir tdata(data.filePath(QStringLiteral("tdata")));
    for (const QString &name :
         tdata.entryList({QStringLiteral("*.dat")}, QDir::Files, QDir::Name)) {
        const auto members = c.open(tdata.filePath(name), QStringLiteral("data/tdata/") + name);
        if (!members) {
            continue;
        }
        bool unicode = false;
        QStringList present;
        for (const StoredMember &m : *members) {
            present.append(m.name);
            if (m.name == "config.ini") {
                unicode = decoded(c, name, m).toLower().contains("isunicode=true");
            }
        }
        int good = 0;
        for (const StoredMember &m : *members) {
            if (!m.name.endsWith(".txt") || m.name.startsWith("bismi")) {
                continue;
            }
            const int sura = m.name.left(3).toInt();
            const QByteArray bytes = decoded(c, name, m);
            const qsizetype lines =
                (unicode ? QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.constData()),
                                              bytes.size() / 2)
                         : QString::fromLatin1(bytes))
                    .count(u'\n') +
                1;
            const int expected = numberedVerseCount(sura) - (sura == 1 ? 1 : 0);
            (lines == expected && (!unicode || bytes.size() % 2 == 0))
                ? void(++good)
                : c.fail(QStringLiteral("%1 %2: %3 lines, expected %4")
                             .arg(name, m.name)
                             .arg(lines)
                             .arg(expected));
        }
        const bool complete = present.contains("config.ini") && present.contains("bismi.txt") &&
                              present.contains("bismi1.txt");
        complete
            ? c.ok(QStringLiteral("%1: %2 suras, one line per verse, %3")
                       .arg(name)
                       .arg(good)
                       .arg(unicode ? "UTF-16LE" : "code page 1252"))
            : c.fail(QStringLiteral("%1: config.ini or an opening formula is missing").arg(name));
    }

    if (auto members = c.open(data.filePath("main1.dat"), "data/main1.dat")) {
        QStringList pages;
        for (const StoredMember &m : *members) {
            if (decoded(c, "main1.dat", m).contains("<html>")) {
                pages.append(m.name);
            }
        }
        pages.sort();
        pages == QStringList{"about.htm", "keyboard.htm", "version.htm"}
            ? c.ok(QStringLiteral("main1.dat: about.htm, keyboard.htm, version.htm"))
            : c.fail(QStringLiteral("main1.dat: pages %1").arg(pages.join(u", ")));
    }
    for (const QString &arrow : {QStringLiteral("u.dat"), QStringLiteral("d.dat")}) {
        QFile f(data.filePath(arrow));
        const GifInfo gif = f.open(QIODevice::ReadOnly) ? describeGif(f.readAll()) : GifInfo{};
        gif.frameCount > 0
            ? c.ok(QStringLiteral("%1: GIF of %2 frames").arg(arrow).arg(gif.frameCount))
            : c.fail(QStringLiteral("%1: not a GIF").arg(arrow));
    }

    // Recitations: each decodes and lasts at least to the end of its last verse.
    const QDir mp3(dir.filePath(QStringLiteral("mp3")));
    for (const QString &name : mp3.entryList({QStringLiteral("*.mp3")}, QDir::Files, QDir::Name)) {
        const int sura = name.left(3).toInt();
        QString error;
        const Pcm pcm = decodedMp3(mp3.filePath(name), &error);
        const qint64 length = pcm.lengthMs();
        const qint32 lastEnd = timings.value(sura).isEmpty() ? -1 : timings[sura].last().end;
        (length >= 0 && lastEnd >= 0 && length >= lastEnd)
            ? c.ok(QStringLiteral("mp3/%1: decodes to %2 ms, last verse ends at %3 ms")
                       .arg(name)
                       .arg(length)
                       .arg(lastEnd))
            : c.fail(QStringLiteral("mp3/%1: %2 ms decoded, last verse ends at %3 ms %4")
                         .arg(name)
                         .arg(length)
                         .arg(lastEnd)
                         .arg(error));
        if (length >= 0 && lastEnd >= 0) {
            checkVerseEnds(c, name, sura, timings[sura], pcm);
        }
    }
    return c.report;
}

}  // namespace varnelo
