#include <gtest/gtest.h>

#include <sqlite3.h>

#include <QDir>

#include <algorithm>
#include <array>

#include "archivebuilder.h"
#include "datakittestsupport.h"
#include "mp3fixture.h"
#include "recitation/mp3stream.h"
#include "timingimport.h"
#include "timingsbuilder.h"
#include "toolrun.h"

using namespace varnelo;

namespace {

test::ToolRun datakit(const QStringList &args) {
    return test::runTool(VARNELO_DATAKIT, args);
}

// Creates the SQLite file at path and runs sql in it.
QString writeSqlite(const QString &path, const QByteArray &sql) {
    QFile::remove(path);
    sqlite3 *db = nullptr;
    EXPECT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    char *error = nullptr;
    sqlite3_exec(db, sql.constData(), nullptr, nullptr, &error);
    EXPECT_EQ(error, nullptr) << error;
    sqlite3_free(error);
    sqlite3_close(db);
    return path;
}

// The timings table as players ship it, holding the rows (sura, ayah, time) in the order given.
QByteArray timingsTable(const QList<std::array<qint64, 3>> &rows) {
    QByteArray sql = "CREATE TABLE timings(sura INTEGER, ayah INTEGER, time INTEGER);";
    for (const auto &[sura, ayah, time] : rows) {
        sql += QStringLiteral("INSERT INTO timings VALUES(%1, %2, %3);")
                   .arg(sura)
                   .arg(ayah)
                   .arg(time)
                   .toUtf8();
    }
    return sql;
}

// Sura 112: the opening formula, verses 1-4 and the end.
const QList<std::array<qint64, 3>> sura112Rows = {{112, 0, 0},     {112, 1, 5000},
                                                  {112, 2, 9000},  {112, 3, 13500},
                                                  {112, 4, 17000}, {112, 999, 21000}};

// One verse object; segments as word timing lists carry them.
QByteArray verseObject(const char *key, qint64 from, qint64 to) {
    return QStringLiteral(R"({"verse_key": "%1", "timestamp_from": %2, "timestamp_to": %3, )"
                          R"("segments": [[1, %2, %3]]})")
        .arg(QLatin1String(key))
        .arg(from)
        .arg(to)
        .toUtf8();
}

const QByteArray sura112Json =
    "[" + verseObject("112:1", 5000, 8500) + "," + verseObject("112:2", 9000, 13000) + "," +
    verseObject("112:3", 13500, 16900) + "," + verseObject("112:4", 17000, 20000) + "]";

TimingImport importFile(const QString &path, const QList<int> &suras = {},
                        const QString &mp3Folder = {}) {
    return importTimings(path, {TimingFormat::Guess, suras, mp3Folder});
}

}  // namespace

// The same times give the same pos.dat whether they come as CSV rows, an SQLite table or JSON.
TEST(TimingImport, SqliteAndJsonGiveTheArchiveOfTheCsvRows) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("data"));
    const auto posBytes = [&](const QString &name, const QStringList &args) {
        const QString pos = dir.filePath("data/" + name);
        const test::ToolRun run = datakit(QStringList(args) << pos);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return std::pair{test::fileBytes(pos), run};
    };

    // Rows in no particular order; sura 1's ayah 0 has no verse index (its verse 1 is the
    // formula), and sura 103 has no row for its formula, so the file's first 4200 ms are it.
    QList<std::array<qint64, 3>> rows = sura112Rows;
    rows += {{1, 999, 38000}, {1, 0, 0},      {1, 1, 300},      {1, 2, 6000},  {1, 3, 11000},
             {1, 4, 15000},   {1, 5, 19000},  {1, 6, 24000},    {1, 7, 30000}, {103, 3, 12000},
             {103, 1, 4200},  {103, 2, 8000}, {103, 999, 20000}};
    std::reverse(rows.begin(), rows.end());
    const QString db = writeSqlite(dir.filePath("times.db"), timingsTable(rows));
    const QString startsCsv = test::writeFile(
        dir.filePath("starts.csv"),
        "112,0,0,5000\n112,1,5000,9000\n112,2,9000,13500\n112,3,13500,17000\n112,4,17000,21000\n"
        "1,0,300,6000\n1,1,6000,11000\n1,2,11000,15000\n1,3,15000,19000\n1,4,19000,24000\n"
        "1,5,24000,30000\n1,6,30000,38000\n"
        "103,0,0,4200\n103,1,4200,8000\n103,2,8000,12000\n103,3,12000,20000\n");
    const auto [fromCsv, csvRun] = posBytes("csv.dat", {"timings", startsCsv});
    const auto [fromDb, dbRun] = posBytes("db.dat", {"import-timings", db, "--format", "sqlite"});
    ASSERT_FALSE(fromCsv.isEmpty());
    EXPECT_EQ(fromDb, fromCsv);
    EXPECT_TRUE(dbRun.err.contains("row 12 (sura 1, ayah 0): sura 1 has no opening formula"))
        << dbRun.err.toStdString();
    EXPECT_FALSE(dbRun.err.contains("only 0 ms")) << dbRun.err.toStdString();
    EXPECT_TRUE(dbRun.out.contains("no recitations checked")) << dbRun.out.toStdString();
    const ArchiveContents pos = readArchive(dir.filePath("data/db.dat"));
    ASSERT_EQ(pos.members.size(), 3);
    EXPECT_EQ(spansOfPosMember(pos.members[1].stored).first(), (VerseSpan{0, 4200}));

    // JSON ends are spoken ends and get the lead; lists may sit inside objects, one per sura.
    const QByteArray json = R"({"audio_files": [{"chapter_id": 112, "verse_timings": )" +
                            sura112Json + R"(}, {"chapter_id": 2, "verse_timings": [)" +
                            verseObject("2:255", 1000, 2000) + "]}]}";
    const QString spokenCsv = test::writeFile(
        dir.filePath("spoken.csv"),
        "112,0,0,5000\n112,1,5000,8500\n112,2,9000,13000\n112,3,13500,16900\n112,4,17000,20000\n");
    const QString jsonFile = test::writeFile(dir.filePath("times.json"), json);
    const auto [fromSpokenCsv, spokenRun] = posBytes("spoken.dat", {"timings", spokenCsv});
    const auto [fromJson, jsonRun] =
        posBytes("json.dat", {"import-timings", jsonFile, "--suras", "112"});
    ASSERT_FALSE(fromSpokenCsv.isEmpty());
    EXPECT_EQ(fromJson, fromSpokenCsv);
    EXPECT_TRUE(jsonRun.err.contains("verse index 3 (verse 3): only 100 ms"))
        << jsonRun.err.toStdString();
    EXPECT_FALSE(jsonRun.err.contains("opening formula)")) << jsonRun.err.toStdString();
}

TEST(TimingImport, BadRowsAreNamedWithTheirFile) {
    QTemporaryDir dir;
    const QString db = dir.filePath("t.db");
    const auto withRow = [](std::array<qint64, 3> changed) {
        QList<std::array<qint64, 3>> rows = sura112Rows;
        for (auto &row : rows) {
            if (row[1] == changed[1]) {
                row = changed;
                return rows;
            }
        }
        rows.append(changed);
        return rows;
    };
    QList<std::array<qint64, 3>> noEnd = sura112Rows;
    noEnd.removeLast();
    QList<std::array<qint64, 3>> gap = sura112Rows;
    gap.removeAt(3);
    const QList<QPair<QByteArray, QString>> sqliteCases = {
        {timingsTable(withRow({112, 2, 4000})),
         "t.db: row 3 (sura 112, ayah 2) at 4000 ms does not come after row 2 (sura 112, ayah 1) "
         "at 5000 ms"},
        {timingsTable(withRow({112, 5, 20000})),
         "t.db: row 7 (sura 112, ayah 5): sura 112 has "
         "verses 1-4"},
        {timingsTable(noEnd), "t.db: row 5 (sura 112, ayah 4): the last verse has no end"},
        {timingsTable(gap), "t.db: sura 112 verse 3 has no row"},
        {timingsTable(withRow({112, 999, 17000})), "ayah 999) at 17000 ms does not come after"},
        {timingsTable(withRow({0, 7, 1000})), "t.db: row 7 (sura 0, ayah 7): there is no sura 0"},
        {timingsTable(withRow({112, 1, -1})), "t.db: row 2 (sura 112, ayah 1): time must be"},
        {timingsTable(sura112Rows) + "INSERT INTO timings VALUES(112, 2, 9100);",
         "t.db: row 7 (sura 112, ayah 2): given again (first as row 3 (sura 112, ayah 2))"},
        {"CREATE TABLE timings(sura, ayah, time); INSERT INTO timings VALUES(112, 1, '5 s');",
         "t.db: row 1: time is not a whole number"},
        {"CREATE TABLE timings(sura, ayah, time, word);",
         "t.db: table timings has the columns sura, ayah, time, word, expected sura, ayah, time"},
        {"CREATE TABLE times(sura, ayah, time);", "t.db: no timings table: no such table"},
    };
    for (const auto &[sql, message] : sqliteCases) {
        const TimingImport result = importFile(writeSqlite(db, sql));
        EXPECT_TRUE(result.error.contains(message))
            << result.error.toStdString() << "\nexpected: " << message.toStdString();
        EXPECT_TRUE(result.suras.isEmpty());
    }

    QByteArray missingEnd = sura112Json;
    missingEnd.replace(R"("timestamp_to": 20000)", R"("timestamp_to": null)");
    QByteArray overlapping = sura112Json;
    overlapping.replace("8500", "9500");
    QByteArray backwards = sura112Json;
    backwards.replace("8500", "4000");
    QByteArray tooEarly = sura112Json;
    tooEarly.replace("5000", "300");
    QByteArray fraction = sura112Json;
    fraction.replace("13000", "13000.5");
    const QList<QPair<QByteArray, QString>> jsonCases = {
        {sura112Json.left(60), "t.json: invalid JSON at byte"},
        {missingEnd, "t.json: verse 112:4: no timestamp_to"},
        {overlapping, "t.json: verse 112:1: ends at 9500 ms, after verse 112:2 starts at 9000 ms"},
        {backwards, "t.json: verse 112:1: ends at 4000 ms, not after its start at 5000 ms"},
        {tooEarly,
         "t.json: sura 112 has no row for its opening formula, and verse 1 starts at "
         "300 ms"},
        {fraction, "t.json: verse 112:2: timestamp_to must be a whole number of ms"},
        {"[" + verseObject("112", 0, 10) + "]", "t.json: verse object 1: verse_key must be"},
        {R"({"verses": 4})", "t.json: no list of verse objects"},
    };
    for (const auto &[bytes, message] : jsonCases) {
        const TimingImport result = importFile(test::writeFile(dir.filePath("t.json"), bytes));
        EXPECT_TRUE(result.error.contains(message))
            << result.error.toStdString() << "\nexpected: " << message.toStdString();
    }
    EXPECT_TRUE(importFile(test::writeFile(dir.filePath("t.txt"), "sura 112"))
                    .error.contains("t.txt: neither an SQLite database nor JSON"));
    EXPECT_TRUE(importTimings(test::writeFile(db, "not a database at all, only text"),
                              {TimingFormat::Sqlite, {}, {}})
                    .error.contains("t.db: no timings table: file is not a database"));

    // Only the suras asked for are read; one asked for must be in the file.
    const QString both =
        test::writeFile(dir.filePath("both.json"), "[" + sura112Json.mid(1).chopped(1) + "," +
                                                       verseObject("1:9", 0, 10) + "]");
    EXPECT_TRUE(importFile(both).error.contains("verse 1:9: sura 1 has verses 1-7"));
    EXPECT_EQ(importFile(both, {112}).suras.keys(), QList<int>{112});
    EXPECT_TRUE(importFile(both, {112, 113}).error.contains("both.json: no rows for sura 113"));
}

// A failed import leaves pos.dat as it was.
TEST(TimingImport, FailedCommandWritesNothing) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("data"));
    const QString pos = dir.filePath("data/pos.dat");
    const QString good = writeSqlite(dir.filePath("good.db"), timingsTable(sura112Rows));
    ASSERT_EQ(datakit({"import-timings", good, pos}).exitCode, 0);
    const QByteArray before = test::fileBytes(pos);
    QList<std::array<qint64, 3>> rows = sura112Rows;
    rows.append({113, 1, 1000});
    const test::ToolRun bad =
        datakit({"import-timings", writeSqlite(dir.filePath("bad.db"), timingsTable(rows)), pos});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.err.contains("bad.db: sura 113 verse 2 has no row")) << bad.err.toStdString();
    EXPECT_EQ(test::fileBytes(pos), before);
    EXPECT_EQ(datakit({"import-timings", good, pos, "--format", "csv"}).exitCode, 1);
    EXPECT_EQ(datakit({"import-timings", good, pos, "--mp3", dir.filePath("none")}).exitCode, 1);
    EXPECT_EQ(test::fileBytes(pos), before);
}

// With the recitations at hand, each sura must end inside its file, and stored ends stay in it.
TEST(TimingImport, TimesAreCheckedAgainstTheRecitation) {
    VARNELO_SKIP_WITHOUT_LAME();
    test::Mp3Maker maker;
    const QString mp3 = maker.make("112", test::tone(44100, 1, 44100 * 20, 440, 0.3), {"-b", "64"});
    ASSERT_FALSE(mp3.isEmpty());
    Mp3Stream stream;
    ASSERT_TRUE(stream.open(mp3) && stream.waitForIndex());
    const qint64 length = stream.lengthMs();
    stream.close();

    QTemporaryDir dir;
    const auto importEndingAt = [&](qint64 end) {
        QByteArray json = sura112Json;
        json.replace("20000", QByteArray::number(end));
        return importFile(test::writeFile(dir.filePath("t.json"), json), {}, maker.dir());
    };
    TimingImport inside = importEndingAt(length - 50);
    ASSERT_EQ(inside.error, QString());
    EXPECT_EQ(inside.suras[112].last(), (VerseSpan{17000, qint32(length)}));
    EXPECT_TRUE(inside.warnings.join("\n").contains("the end of the file"))
        << inside.warnings.join("\n").toStdString();

    const TimingImport justPast = importEndingAt(length + 60);
    ASSERT_EQ(justPast.error, QString());
    EXPECT_EQ(justPast.suras[112].last(), (VerseSpan{17000, qint32(length)}));
    EXPECT_TRUE(justPast.warnings.join("\n").contains("60 ms past the end of " + mp3));

    EXPECT_EQ(importEndingAt(length + 500).error,
              QStringLiteral("sura 112 ends at %1 ms, past the end of %2 (%3 ms): the timings "
                             "belong to another recitation")
                  .arg(length + 500)
                  .arg(mp3)
                  .arg(length));

    // A sura without its file is only warned about; a damaged file stops the import.
    const QString both = test::writeFile(
        dir.filePath("both.json"),
        "[" + sura112Json.mid(1).chopped(1) + "," + verseObject("113:1", 2000, 3000) + "," +
            verseObject("113:2", 3000, 4000) + "," + verseObject("113:3", 4000, 5000) + "," +
            verseObject("113:4", 5000, 6000) + "," + verseObject("113:5", 6000, 7000) + "]");
    const TimingImport withoutFile = importFile(both, {}, maker.dir());
    ASSERT_EQ(withoutFile.error, QString());
    EXPECT_TRUE(withoutFile.warnings.join("\n").contains("sura 113: no " + maker.dir() +
                                                         "/113.mp3, so its timings are not "
                                                         "checked"));
    maker.writeFile("113.mp3", QByteArray(5000, 'x'));
    EXPECT_TRUE(importFile(both, {}, maker.dir()).error.startsWith(maker.dir() + "/113.mp3: "));

    // The command finds the mp3 folder beside the data folder by itself.
    ASSERT_TRUE(QDir(dir.path()).mkpath("out/data") && QDir(dir.path()).mkpath("out/mp3"));
    ASSERT_TRUE(QFile::copy(mp3, dir.filePath("out/mp3/112.mp3")));
    const test::ToolRun run =
        datakit({"import-timings", dir.filePath("t.json"), dir.filePath("out/data/pos.dat")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("past the end of")) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("out/data/pos.dat")));
    EXPECT_EQ(mp3FolderBeside(dir.filePath("out/data/pos.dat")), dir.filePath("out/mp3"));
    EXPECT_EQ(mp3FolderBeside(dir.filePath("out/pos.dat")), QString());
}
