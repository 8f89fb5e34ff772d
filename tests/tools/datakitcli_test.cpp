#include <gtest/gtest.h>

#include "archivebuilder.h"
#include "datakittestsupport.h"
#include "timingsbuilder.h"
#include "toolrun.h"

using namespace varnelo;
using namespace varnelo::test;

namespace {

ToolRun datakit(const QStringList &args) {
    return runTool(VARNELO_DATAKIT, args);
}

}  // namespace

// What a user sees when a file is wrong: the line, a failing exit status, and no archive.
TEST(DatakitCommand, BadInputsNameTheLineAndWriteNothing) {
    QTemporaryDir dir;
    const QString out = dir.filePath("t.dat");
    const QList<QPair<QByteArray, QByteArray>> cases = {
        {"112|1|a\n112|2|b\n112|4|d\n", "1 verse(s) missing: 112:3"},
        {"112|1|a\n112|9|b\n", "bad.txt:2: sura 112 has no verse 9"},
        {"112|1|a\n112|2|\xFF\n", "bad.txt:2: not UTF-8 text"},
        {"", "bad.txt: the file is empty"},
    };
    for (const auto &[bytes, message] : cases) {
        const ToolRun run =
            datakit({"translation", writeFile(dir.filePath("bad.txt"), bytes), out});
        EXPECT_EQ(run.exitCode, 1) << message.toStdString();
        EXPECT_TRUE(run.err.contains(message)) << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(out));
    }
    const ToolRun timings =
        datakit({"timings",
                 writeFile(dir.filePath("t.csv"),
                           "112,0,0,10\n112,1,5,20\n112,2,20,30\n112,3,30,40\n112,4,40,50\n"),
                 dir.filePath("pos.dat")});
    EXPECT_EQ(timings.exitCode, 1);
    EXPECT_TRUE(timings.err.contains("t.csv:2: times of sura 112 verse index 1 do not increase"))
        << timings.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("pos.dat")));
    EXPECT_EQ(datakit({"frobnicate"}).exitCode, 2);
    EXPECT_EQ(datakit({"translation", "only-one-argument"}).exitCode, 2);
}

TEST(DatakitCommand, GoodInputsMakeArchives) {
    QTemporaryDir dir;
    const QString text = writeFile(dir.filePath("t.txt"), "112|1|a\n112|2|b\n112|3|c\n112|4|d\n");
    ToolRun run = datakit({"translation", text, dir.filePath("t.dat"), "--ansi", "--rtl",
                           "--button-caption", "Mine", "--info", "Updated=today"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QByteArray ini = extracted(dir.filePath("t.dat"), "config.ini", dir);
    EXPECT_TRUE(ini.contains("IsUnicode=false") && ini.contains("IsRTL=true") &&
                ini.contains("ButtonCaption=Mine") && ini.contains("Updated=today"));
    EXPECT_EQ(extracted(dir.filePath("t.dat"), "112.txt", dir), "a\nb\nc\nd");

    // Spoken ends get the player's 200 ms lead, as far as the next verse allows; stored ends
    // are kept as they are.
    const QString csv = writeFile(dir.filePath("t.csv"),
                                  "112,0,0,10\n112,1,500,600\n112,2,650,"
                                  "700\n112,3,1000,1100\n112,4,2000,2500\n");
    const auto storedEnds = [&] {
        QList<qint32> ends;
        const ArchiveContents pos = readArchive(dir.filePath("pos.dat"));
        for (const VerseSpan &span : spansOfPosMember(pos.members.value(0).stored)) {
            ends.append(span.end);
        }
        return ends;
    };
    run = datakit({"timings", csv, dir.filePath("pos.dat")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(storedEnds(), (QList<qint32>{210, 650, 900, 1300, 2700}));
    EXPECT_TRUE(run.err.contains("warning: sura 112 verse index 1 (verse 1): only 50 ms"))
        << run.err.toStdString();
    run = datakit({"timings", csv, dir.filePath("pos.dat"), "--stored-ends"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(storedEnds(), (QList<qint32>{10, 600, 700, 1100, 2500}));
    EXPECT_FALSE(run.err.contains("warning")) << run.err.toStdString();
    run = datakit({"about", dir.path()});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(QFile::exists(dir.filePath("u.dat")) && QFile::exists(dir.filePath("main1.dat")));
    run = datakit({"pages", text, dir.path()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("no opening formula")) << run.err.toStdString();
}
