// varnelo-datakit: builds Varnelo's data archives, page images and a demo program folder.
#include "aboutbuilder.h"
#include "alignbuilder.h"
#include "datacheck.h"
#include "demobuilder.h"
#include "pagesbuilder.h"
#include "timingimport.h"
#include "timingsbuilder.h"
#include "translationbuilder.h"
#include "versejoin.h"

#include "data/suracatalogue.h"

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMap>

#include <cstdio>

using namespace varnelo;

namespace {

const char *const usage =
    "usage: varnelo-datakit COMMAND ...\n"
    "  translation TEXT OUT.dat [options]  translation archive from sura|verse|text lines\n"
    "  timings CSV POS.dat [--stored-ends] add sura,verse_index,start_ms,end_ms rows to pos.dat\n"
    "  import-timings FILE POS.dat [--format sqlite|json] [--suras LIST] [--mp3 DIR]\n"
    "                                      add another player's timing table to pos.dat\n"
    "  join DIR OUT [--suras LIST]         per-verse MP3s (002255.mp3) into OUT/mp3 and pos.dat\n"
    "  align MP3 --sura N POS.dat [--text FILE]\n"
    "                                      verse timings of a recitation from its pauses\n"
    "  pages TEXT DATADIR [options]        page images, heights and words of the suras in TEXT\n"
    "  about DATADIR                       main1.dat, u.dat and d.dat\n"
    "  demo OUTDIR [--source DIR] [--suras LIST|all] [--pages LIST|all]\n"
    "                                      the whole demo program folder from quran-json\n"
    "  check DIR                           check every archive and MP3 of a program folder\n"
    "Run varnelo-datakit COMMAND --help for the options of a command.\n";

int failWith(const QString &message) {
    std::fprintf(stderr, "varnelo-datakit: %s\n", qPrintable(message));
    return 1;
}

void warn(const QStringList &warnings) {
    for (const QString &w : warnings) {
        failWith(QStringLiteral("warning: %1").arg(w));
    }
}

// Where make demo puts the quran-json package's texts.
const char *const demoSourceDir = "build/npm/node_modules/quran-json/dist";

void say(const QString &line) {
    std::printf("[datakit] %s\n", qPrintable(line));
    std::fflush(stdout);
}

// Parses the command's arguments; false (after printing why) when they are wrong.
bool parse(QCommandLineParser &parser, const QStringList &args, int positional,
           const QString &names) {
    parser.addHelpOption();
    parser.addPositionalArgument(names, QString());
    if (!parser.parse(args)) {
        failWith(parser.errorText());
        return false;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::printf("%s", qPrintable(parser.helpText()));
        std::exit(0);
    }
    if (parser.positionalArguments().size() != positional) {
        failWith(QStringLiteral("expected %1").arg(names));
        return false;
    }
    return true;
}

int translationCommand(const QStringList &args) {
    QCommandLineParser p;
    const QCommandLineOption ansi("ansi", "Write code page 1252 text instead of UTF-16LE.");
    const QCommandLineOption rtl("rtl", "The text runs right to left.");
    const QCommandLineOption moreInfo("more-info", "Set MoreInfoAvailable.");
    const QCommandLineOption button("button-caption", "Caption of the show/hide button.", "text");
    const QCommandLineOption window("window-caption", "Caption of the window.", "text");
    const QCommandLineOption font("font", "Font face of the text.", "name");
    const QCommandLineOption percentage("font-use-percentage", "Font sizes in percent.");
    const QCommandLineOption styles("additional-styles", "Extra CSS of the page.", "css");
    const QCommandLineOption info("info", "A line key=value of section [info] (repeatable).",
                                  "key=value");
    const QCommandLineOption bismi("bismi", "Opening formula before verse 1.", "text");
    const QCommandLineOption bismi1("bismi1", "Opening record of sura 1.", "text");
    p.addOptions(
        {ansi, rtl, moreInfo, button, window, font, percentage, styles, info, bismi, bismi1});
    if (!parse(p, args, 2, QStringLiteral("TEXT OUT.dat"))) {
        return 2;
    }
    const VerseTextFile text = readVerseTextFile(p.positionalArguments()[0]);
    if (!text.error.isEmpty()) {
        return failWith(text.error);
    }
    TranslationOptions o;
    o.IsUnicode = !p.isSet(ansi);
    o.IsRTL = p.isSet(rtl);
    o.MoreInfoAvailable = p.isSet(moreInfo);
    o.ButtonCaption = p.value(button);
    o.WindowCaption = p.value(window);
    o.Font = p.value(font);
    o.FontUsePercentage = p.isSet(percentage);
    o.AdditionalStyles = p.value(styles);
    for (const QString &line : p.values(info)) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0) {
            return failWith(QStringLiteral("--info needs key=value, got \"%1\"").arg(line));
        }
        o.info.append({line.left(eq), line.mid(eq + 1)});
    }
    if (p.isSet(bismi)) {
        o.bismi = p.value(bismi);
    }
    if (p.isSet(bismi1)) {
        o.bismi1 = p.value(bismi1);
    }
    const TranslationResult built = buildTranslation(text, o);
    if (!built.error.isEmpty()) {
        return failWith(built.error);
    }
    if (const QString e = built.archive.write(p.positionalArguments()[1]); !e.isEmpty()) {
        return failWith(e);
    }
    say(QStringLiteral("%1: %2 suras").arg(p.positionalArguments()[1]).arg(text.suras.size()));
    return 0;
}

int timingsCommand(const QStringList &args) {
    QCommandLineParser p;
    const QCommandLineOption storedEnds(
        "stored-ends", QStringLiteral("The rows' ends already lie %1 ms after the spoken ends: "
                                      "store them as they are. Without it each end is the spoken "
                                      "end and gets %1 ms added.")
                           .arg(kStoredEndLead));
    p.addOption(storedEnds);
    if (!parse(p, args, 2, QStringLiteral("CSV POS.dat"))) {
        return 2;
    }
    QFile csv(p.positionalArguments()[0]);
    if (!csv.open(QIODevice::ReadOnly)) {
        return failWith(
            QStringLiteral("cannot open %1: %2").arg(csv.fileName(), csv.errorString()));
    }
    TimingTable table = parseTimingsCsv(csv.readAll(), csv.fileName());
    if (!table.error.isEmpty()) {
        return failWith(table.error);
    }
    if (!p.isSet(storedEnds)) {
        for (auto it = table.suras.begin(); it != table.suras.end(); ++it) {
            const StoredSpans stored = storedSpansOf(it.key(), *it);
            warn(stored.warnings);
            *it = stored.spans;
        }
    }
    if (const QString e = updatePosArchive(p.positionalArguments()[1], table.suras); !e.isEmpty()) {
        return failWith(e);
    }
    say(QStringLiteral("%1: timings of %2 suras")
            .arg(p.positionalArguments()[1])
            .arg(table.suras.size()));
    return 0;
}

int importTimingsCommand(const QStringList &args) {
    QCommandLineParser p;
    p.setApplicationDescription(
        QStringLiteral("Reads an SQLite table timings(sura, ayah, time) of verse starts in ms "
                       "(ayah 0 the opening formula, 999 the sura's end) or a JSON list of "
                       "verse_key, timestamp_from, timestamp_to in ms, and writes the suras' "
                       "timings into POS.dat. A sura without an opening formula row opens with "
                       "what the file holds before verse 1 (at least %1 ms).")
            .arg(kShortestOpeningMs));
    const QCommandLineOption format("format", "sqlite or json (default: from the file).", "f");
    const QCommandLineOption suras("suras", "Suras to take (default: all in the file).", "list");
    const QCommandLineOption mp3(
        "mp3",
        "Folder of the NNN.mp3 files the times belong to: each sura must end inside its file "
        "(default: OUT/mp3 for POS.dat in OUT/data, when there is one).",
        "dir");
    p.addOptions({format, suras, mp3});
    if (!parse(p, args, 2, QStringLiteral("FILE POS.dat"))) {
        return 2;
    }
    TimingImportOptions o;
    const QString f = p.value(format);
    if (p.isSet(format) && f != QLatin1String("sqlite") && f != QLatin1String("json")) {
        return failWith(QStringLiteral("--format must be sqlite or json, not \"%1\"").arg(f));
    }
    o.format = !p.isSet(format)               ? TimingFormat::Guess
               : f == QLatin1String("sqlite") ? TimingFormat::Sqlite
                                              : TimingFormat::Json;
    QString error;
    o.suras = p.isSet(suras) ? parseSuraList(p.value(suras), &error) : QList<int>{};
    if (!error.isEmpty()) {
        return failWith(error);
    }
    const QString pos = p.positionalArguments()[1];
    o.mp3Folder = p.isSet(mp3) ? p.value(mp3) : mp3FolderBeside(pos);
    if (p.isSet(mp3) && !QFileInfo(o.mp3Folder).isDir()) {
        return failWith(QStringLiteral("--mp3: %1 is not a folder").arg(o.mp3Folder));
    }
    const TimingImport imported = importTimings(p.positionalArguments()[0], o);
    if (!imported.error.isEmpty()) {
        return failWith(imported.error);
    }
    warn(imported.warnings);
    if (const QString e = updatePosArchive(pos, imported.suras); !e.isEmpty()) {
        return failWith(e);
    }
    say(QStringLiteral("%1: timings of %2 suras%3")
            .arg(pos)
            .arg(imported.suras.size())
            .arg(o.mp3Folder.isEmpty() ? QStringLiteral(", no recitations checked")
                                       : QStringLiteral(", checked against %1").arg(o.mp3Folder)));
    return 0;
}

PageStyle pageStyleOf(const QCommandLineParser &p, bool *ok) {
    PageStyle style;
    const auto number = [&](const QString &name, int low, int high, int fallback) {
        if (!p.isSet(name)) {
            return fallback;
        }
        bool good = false;
        const int v = p.value(name).toInt(&good);
        if (!good || v < low || v > high) {
            failWith(QStringLiteral("--%1 must be %2 to %3").arg(name).arg(low).arg(high));
            *ok = false;
        }
        return v;
    };
    *ok = true;
    style.width = number(QStringLiteral("width"), 160, 4000, style.width);
    style.pixelSize = number(QStringLiteral("font-size"), 8, 200, style.pixelSize);
    style.shades = number(QStringLiteral("shades"), 0, 6, style.shades);
    QString warning;
    style.fontFamily = p.isSet(QStringLiteral("font")) ? p.value(QStringLiteral("font"))
                                                       : arabicFontFamily(&warning);
    if (!warning.isEmpty()) {
        failWith(QStringLiteral("warning: %1").arg(warning));
    }
    return style;
}

const QList<QCommandLineOption> pageOptions = {
    {"width", "Page width in pixels (default 520).", "px"},
    {"font-size", "Font size in pixels (default 20).", "px"},
    {"shades", "Anti-aliasing shades 0-6 (default 2).", "n"},
    {"font", "Font family (default Amiri).", "family"},
    {"threads", "Threads (default: one per core).", "n"},
};

int pagesCommand(const QStringList &args) {
    QCommandLineParser p;
    const QCommandLineOption meanings("meanings", "sura|verse|text file of word meanings.", "file");
    const QCommandLineOption bismi("bismi", "Opening formula (default: verse 1:1 of TEXT).",
                                   "text");
    p.addOptions(pageOptions);
    p.addOptions({meanings, bismi});
    if (!parse(p, args, 2, QStringLiteral("TEXT DATADIR"))) {
        return 2;
    }
    bool ok = false;
    const PageStyle style = pageStyleOf(p, &ok);
    if (!ok) {
        return 2;
    }
    const VerseTextFile text = readVerseTextFile(p.positionalArguments()[0]);
    if (!text.error.isEmpty()) {
        return failWith(text.error);
    }
    VerseTextFile words;
    if (p.isSet(meanings)) {
        words = readVerseTextFile(p.value(meanings));
        if (!words.error.isEmpty()) {
            return failWith(words.error);
        }
    }
    const QString opening = p.isSet(bismi) ? p.value(bismi) : text.suras.value(1).value(0);
    if (opening.isEmpty() &&
        !(text.suras.keys() == QList<int>{1} || text.suras.keys() == QList<int>{9} ||
          text.suras.keys() == QList<int>{1, 9})) {
        return failWith(QStringLiteral("no opening formula: give --bismi, or put verse 1:1 in %1")
                            .arg(p.positionalArguments()[0]));
    }
    QList<SuraText> suras;
    for (auto it = text.suras.cbegin(); it != text.suras.cend(); ++it) {
        suras.append(
            {it.key(), *it, words.suras.value(it.key()), opening, words.suras.value(1).value(0)});
    }
    const QList<SuraPages> pages =
        buildSuraPages(suras, style, p.value(QStringLiteral("threads")).toInt());
    for (const SuraPages &page : pages) {
        warn(page.warnings);
    }
    if (const QString e = writeSuraPages(p.positionalArguments()[1], pages); !e.isEmpty()) {
        return failWith(e);
    }
    say(QStringLiteral("pages of %1 suras in %2")
            .arg(pages.size())
            .arg(p.positionalArguments()[1]));
    return 0;
}

int aboutCommand(const QStringList &args) {
    QCommandLineParser p;
    if (!parse(p, args, 1, QStringLiteral("DATADIR"))) {
        return 2;
    }
    const QDir data(p.positionalArguments()[0]);
    if (const QString e = writeAboutFiles(data.path(), {quranJsonCredit()}); !e.isEmpty()) {
        return failWith(e);
    }
    say(QStringLiteral("main1.dat, u.dat, d.dat in %1").arg(data.path()));
    return 0;
}

int demoCommand(const QStringList &args) {
    QCommandLineParser p;
    const QCommandLineOption source("source", "The dist folder of the quran-json package.", "dir");
    const QCommandLineOption suras("suras", "Suras to recite (default 1,36,67,78,112-114).",
                                   "list");
    const QCommandLineOption pagesOf("pages", "Suras to draw (default all).", "list");
    p.addOptions(pageOptions);
    p.addOptions({source, suras, pagesOf});
    if (!parse(p, args, 1, QStringLiteral("OUTDIR"))) {
        return 2;
    }
    bool ok = false;
    DemoOptions o;
    o.style = pageStyleOf(p, &ok);
    if (!ok) {
        return 2;
    }
    o.outDir = p.positionalArguments()[0];
    o.sourceDir = p.isSet(source) ? p.value(source) : QString::fromLatin1(demoSourceDir);
    o.threads = p.value(QStringLiteral("threads")).toInt();
    QString error;
    o.recitedSuras = p.isSet(suras) ? parseSuraList(p.value(suras), &error) : defaultRecitedSuras();
    o.pageSuras =
        parseSuraList(p.isSet(pagesOf) ? p.value(pagesOf) : QStringLiteral("all"), &error);
    if (!error.isEmpty()) {
        return failWith(error);
    }
    if (const QString e = buildDemo(o, say); !e.isEmpty()) {
        return failWith(e);
    }
    return 0;
}

int alignCommand(const QStringList &args) {
    QCommandLineParser p;
    const QCommandLineOption sura("sura", "The sura the MP3 recites (1-114).", "n");
    const QCommandLineOption text(
        "text",
        "The Arabic text whose verse lengths guide the choice: quran.json of the quran-json "
        "package or a sura|verse|text file (default build/npm/node_modules/quran-json/dist/"
        "quran.json, where make demo puts it).",
        "file");
    p.addOptions({sura, text});
    if (!parse(p, args, 2, QStringLiteral("MP3 POS.dat"))) {
        return 2;
    }
    bool ok = false;
    const int number = p.value(sura).toInt(&ok);
    if (!ok || number < 1 || number > SuraCount) {
        failWith(QStringLiteral("--sura must be 1 to 114"));
        return 2;
    }
    const SuraTexts texts = suraTextsOf(
        p.isSet(text) ? p.value(text) : QString::fromLatin1(demoSourceDir) + "/quran.json", number);
    if (!texts.error.isEmpty()) {
        return failWith(texts.error);
    }
    const QStringList paths = p.positionalArguments();
    const SuraAlignment aligned = alignRecitation(paths[0], number, texts.texts);
    if (!aligned.error.isEmpty()) {
        return failWith(aligned.error);
    }
    warn(aligned.warnings);
    if (const QString e = writeAlignment(paths[1], number, aligned); !e.isEmpty()) {
        return failWith(e);
    }
    int low = 0;
    for (const AlignedBoundary &b : aligned.boundaries) {
        low += b.confidence < kLowConfidence ? 1 : 0;
    }
    say(QStringLiteral("%1: sura %2, %3 verse starts placed, %4 of low confidence (listed by "
                       "check)")
            .arg(paths[1])
            .arg(number)
            .arg(aligned.boundaries.size())
            .arg(low));
    return 0;
}

int checkCommand(const QStringList &args) {
    QCommandLineParser p;
    if (!parse(p, args, 1, QStringLiteral("DIR"))) {
        return 2;
    }
    const CheckReport report = checkProgramFolder(p.positionalArguments()[0]);
    for (const QString &line : report.lines) {
        std::printf("%s\n", qPrintable(line));
    }
    std::printf("%d failure(s)\n", report.failures);
    return report.failures == 0 ? 0 : 1;
}

int joinCommand(const QStringList &args) {
    QCommandLineParser p;
    const QCommandLineOption suras("suras", "Suras to join (default: all the set has).", "list");
    p.addOption(suras);
    if (!parse(p, args, 2, QStringLiteral("DIR OUT"))) {
        return 2;
    }
    VerseJoinOptions o{p.positionalArguments()[0], p.positionalArguments()[1], {}};
    QString error;
    if (p.isSet(suras)) {
        o.suras = parseSuraList(p.value(suras), &error);
    }
    if (!error.isEmpty()) {
        return failWith(error);
    }
    const VerseJoinResult joined = joinVerseSet(o, say);
    warn(joined.warnings);
    if (!joined.error.isEmpty()) {
        return failWith(joined.error);
    }
    say(QStringLiteral("%1: timings of %2 suras")
            .arg(QDir(o.outDir).filePath(QStringLiteral("data/pos.dat")))
            .arg(joined.suras.size()));
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    // Pages are drawn off screen; the tool never needs a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "%s", usage);
        return 2;
    }
    const QString command = args.takeAt(1);
    args[0] += u' ' + command;
    const QMap<QString, int (*)(const QStringList &)> commands = {
        {"translation", translationCommand},
        {"timings", timingsCommand},
        {"import-timings", importTimingsCommand},
        {"pages", pagesCommand},
        {"about", aboutCommand},
        {"demo", demoCommand},
        {"align", alignCommand},
        {"check", checkCommand},
        {"join", joinCommand},
    };
    if (const auto run = commands.value(command)) {
        return run(args);
    }
    std::fprintf(stderr, "%s", usage);
    return 2;
}
