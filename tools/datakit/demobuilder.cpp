#include "demobuilder.h"

#include "aboutbuilder.h"
#include "data/suracatalogue.h"
#include "pagesbuilder.h"
#include "platform/replacefile.h"
#include "quranjson.h"
#include "translationbuilder.h"
#include "workers.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <atomic>
#include <vector>

namespace varnelo {

namespace {

struct DemoTranslation {
    const char *stem;
    const char *file;
    const char *field;
    const char *caption;
    const char *language;
    bool rtl;
    bool unicode;
    const char *font;
};

// The three first ones are the defaults named in config.ini.
const DemoTranslation demoTranslations[] = {
    {"english", "quran_en.json", "translation", "English", "English", false, true, ""},
    {"transliteration", "quran_transliteration.json", "transliteration", "Transliteration",
     "Latin transliteration", false, false, ""},
    {"urdu", "quran_ur.json", "translation", "Urdu", "Urdu", true, true, ""},
    {"french", "quran_fr.json", "translation", "French", "French", false, true, ""},
    {"indonesian", "quran_id.json", "translation", "Indonesian", "Indonesian", false, true, ""},
    {"arabic", "quran.json", "text", "Arabic", "Arabic (Uthmani script)", true, true, "Amiri"},
};

QString htmlEscaped(const QString &text) {
    return text.toHtmlEscaped();
}

QString writeFile(const QString &path, const QByteArray &bytes) {
    if (const auto why = replaceFile(path, bytes)) {
        return QStringLiteral("cannot write %1: %2").arg(path, *why);
    }
    return {};
}

// The texts of a sura per verse index: the opening formula first except in suras 1 and 9.
QStringList textsByVerseIndex(int sura, const QStringList &verses, const QString &opening) {
    return hasOpeningEntry(sura) ? QStringList{opening} + verses : verses;
}

QString elapsed(const QElapsedTimer &timer) {
    return QStringLiteral("%1 s").arg(double(timer.elapsed()) / 1000.0, 0, 'f', 1);
}

}  // namespace

QList<int> defaultRecitedSuras() {
    return {1, 36, 67, 78, 112, 113, 114};
}

QList<int> parseSuraList(const QString &text, QString *error) {
    QList<int> suras;
    if (text.trimmed() == QStringLiteral("all")) {
        for (int s = 1; s <= SuraCount; ++s) {
            suras.append(s);
        }
        return suras;
    }
    for (const QString &item : text.split(u',', Qt::SkipEmptyParts)) {
        const QStringList ends = item.split(u'-');
        bool ok1 = false;
        bool ok2 = false;
        const int first = ends.value(0).trimmed().toInt(&ok1);
        const int last = ends.size() == 2 ? ends[1].trimmed().toInt(&ok2) : first;
        if (!ok1 || (ends.size() == 2 && !ok2) || ends.size() > 2 || first < 1 ||
            last > SuraCount || first > last) {
            *error = QStringLiteral("\"%1\" is not a sura or range of suras 1-114").arg(item);
            return {};
        }
        for (int s = first; s <= last; ++s) {
            if (!suras.contains(s)) {
                suras.append(s);
            }
        }
    }
    if (suras.isEmpty()) {
        *error = QStringLiteral("no suras given");
    }
    return suras;
}

QString buildDemo(const DemoOptions &options,
                  const std::function<void(const QString &)> &progress) {
    QElapsedTimer timer;
    timer.start();
    const QDir out(options.outDir);
    const QString dataDir = out.filePath(QStringLiteral("data"));
    const QString tdataDir = out.filePath(QStringLiteral("data/tdata"));
    const QString mp3Dir = out.filePath(QStringLiteral("mp3"));
    for (const QString &dir : {dataDir, tdataDir, mp3Dir}) {
        if (!QDir().mkpath(dir)) {
            return QStringLiteral("cannot create %1").arg(dir);
        }
    }
    const QDir source(options.sourceDir);
    const QuranJsonText arabic =
        readQuranJson(source.filePath(QStringLiteral("quran.json")), QStringLiteral("text"));
    if (!arabic.error.isEmpty()) {
        return arabic.error;
    }
    const QString opening = arabic.suras[1].value(0);
    QuranJsonText meanings;

    // Translations.
    for (const DemoTranslation &t : demoTranslations) {
        const QuranJsonText text = readQuranJson(source.filePath(QString::fromLatin1(t.file)),
                                                 QString::fromLatin1(t.field));
        if (!text.error.isEmpty()) {
            return text.error;
        }
        if (QLatin1StringView(t.stem) == QLatin1StringView("transliteration")) {
            meanings = text;
        }
        VerseTextFile verses;
        for (auto it = text.suras.cbegin(); it != text.suras.cend(); ++it) {
            QStringList escaped;
            for (const QString &v : *it) {
                escaped.append(htmlEscaped(v));
            }
            verses.suras.insert(it.key(), escaped);
        }
        TranslationOptions o;
        o.IsUnicode = t.unicode;
        o.IsRTL = t.rtl;
        o.ButtonCaption = QString::fromLatin1(t.caption);
        o.WindowCaption = QStringLiteral("%1 (quran-json)").arg(QString::fromLatin1(t.caption));
        o.Font = QString::fromLatin1(t.font);
        o.info = {{QStringLiteral("Language"), QString::fromLatin1(t.language)},
                  {QStringLiteral("Source"),
                   QStringLiteral("quran-json 3 (npm), file ") + QString::fromLatin1(t.file)},
                  {QStringLiteral("License"), QStringLiteral("CC-BY-4.0")}};
        TranslationResult built = buildTranslation(verses, o);
        if (!built.error.isEmpty() && !o.IsUnicode) {
            o.IsUnicode =
                true;  // text outside code page 1252: keep it whole rather than lose letters
            built = buildTranslation(verses, o);
        }
        if (!built.error.isEmpty()) {
            return built.error;
        }
        const QString path =
            QDir(tdataDir).filePath(QString::fromLatin1(t.stem) + QStringLiteral(".dat"));
        if (const QString e = built.archive.write(path); !e.isEmpty()) {
            return e;
        }
    }
    progress(QStringLiteral("translations: %1 archives in data/tdata (%2)")
                 .arg(std::size(demoTranslations))
                 .arg(elapsed(timer)));

    // About pages, arrows, config.ini.
    if (QString e = writeAboutFiles(dataDir, {quranJsonCredit()}); !e.isEmpty()) {
        return e;
    }
    QByteArray config =
        "; Installation defaults of Varnelo. The program reads this file and never writes it.\r\n"
        "[Main]\r\n";
    for (int i = 0; i < 3; ++i) {
        config += "Text" + QByteArray::number(i + 1) + '=' + demoTranslations[i].stem + "\r\n";
    }
    config += "MP3Path=\r\n";
    if (QString e = writeFile(out.filePath(QStringLiteral("config.ini")), config); !e.isEmpty()) {
        return e;
    }
    progress(QStringLiteral("about pages, arrows, config.ini (%1)").arg(elapsed(timer)));

    // Page images, heights and words.
    QList<SuraText> texts;
    for (int sura : options.pageSuras) {
        texts.append({sura, arabic.suras[sura], meanings.suras.value(sura), opening,
                      meanings.suras.value(1).value(0)});
    }
    const QList<SuraPages> pages = buildSuraPages(texts, options.style, options.threads);
    if (QString e = writeSuraPages(dataDir, pages); !e.isEmpty()) {
        return e;
    }
    for (const SuraPages &p : pages) {
        for (const QString &w : p.warnings) {
            progress(QStringLiteral("warning: %1").arg(w));
        }
    }
    progress(QStringLiteral("pages: %1 suras rendered (%2)").arg(pages.size()).arg(elapsed(timer)));

    // Recitations, spread over threads; every other sura gets estimated timings.
    QMap<int, QList<VerseSpan>> spans;
    for (int sura = 1; sura <= SuraCount; ++sura) {
        spans.insert(sura, estimatedSpans(textsByVerseIndex(sura, arabic.suras[sura], opening)));
    }
    std::vector<Recitation> recitations(size_t(options.recitedSuras.size()));
    std::atomic<size_t> next{0};
    const auto work = [&] {
        QTemporaryDir work;
        for (size_t i = next++; i < recitations.size(); i = next++) {
            const int sura = options.recitedSuras[qsizetype(i)];
            const QStringList verseTexts = textsByVerseIndex(sura, arabic.suras[sura], opening);
            if (work.isValid()) {
                recitations[i] = reciteVerses(verseTexts, options.speech, work.path());
            } else {
                recitations[i].error = QStringLiteral("no temporary folder");
            }
            if (recitations[i].error.isEmpty()) {
                QStringList speakable;
                for (const QString &t : verseTexts) {
                    speakable.append(speakableArabic(t));
                }
                if (const QString s = spelledOutCharacters(speakable.join(u'\n'), options.speech);
                    !s.isEmpty()) {
                    recitations[i].error = QStringLiteral("sura %1: %2").arg(sura).arg(s);
                }
            }
        }
    };
    runOnThreads(options.threads, work);
    for (size_t i = 0; i < recitations.size(); ++i) {
        const int sura = options.recitedSuras[qsizetype(i)];
        if (!recitations[i].error.isEmpty()) {
            return QStringLiteral("recitation of sura %1: %2").arg(sura).arg(recitations[i].error);
        }
        const QString path = QDir(mp3Dir).filePath(SuraFileNumber(sura) + QStringLiteral(".mp3"));
        if (QString e = writeFile(path, recitations[i].mp3); !e.isEmpty()) {
            return e;
        }
        // The program's timings put a verse's end the player's lead past its spoken end.
        const StoredSpans stored =
            storedSpansOf(sura, recitations[i].spans, recitations[i].lengthMs);
        for (const QString &w : stored.warnings) {
            progress(QStringLiteral("warning: %1").arg(w));
        }
        spans.insert(sura, stored.spans);
    }
    for (auto it = spans.cbegin(); it != spans.cend(); ++it) {
        if (const QString e = checkSpans(it.key(), *it); !e.isEmpty()) {
            return e;
        }
    }
    if (QString e = updatePosArchive(QDir(dataDir).filePath(QStringLiteral("pos.dat")), spans);
        !e.isEmpty()) {
        return e;
    }
    progress(QStringLiteral("recitations: %1 MP3 files in mp3/, timings of 114 suras (%2)")
                 .arg(recitations.size())
                 .arg(elapsed(timer)));
    return {};
}

}  // namespace varnelo
