#include <gtest/gtest.h>

#include "aboutbuilder.h"
#include "data/suracatalogue.h"
#include "datacheck.h"
#include "pagesbuilder.h"
#include "timingsbuilder.h"
#include "translationbuilder.h"

#include "datakittestsupport.h"

#include <QDir>

using namespace varnelo;

namespace {

// A small program folder: one translation, timings, pages of suras 66 and 112, about pages.
void buildFolder(const QDir &dir) {
    ASSERT_TRUE(dir.mkpath("data/tdata"));
    ASSERT_TRUE(dir.mkpath("mp3"));
    const QString data = dir.filePath("data");
    const VerseTextFile text = parseVerseText(
        "112|1|Say\n112|2|Allah\n112|3|He begets not\n112|4|Nor is there\n", "t.txt");
    TranslationOptions o;
    o.bismi = "In the name";
    ASSERT_EQ(buildTranslation(text, o).archive.write(dir.filePath("data/tdata/t.dat")), QString());

    QMap<int, QList<VerseSpan>> spans;
    for (int sura : {66, 112}) {
        spans.insert(sura, estimatedSpans(QStringList(verseCountOf(sura), "x")));
    }
    ASSERT_EQ(updatePosArchive(QDir(data).filePath("pos.dat"), spans), QString());

    QList<SuraText> suras;
    for (int sura : {66, 112}) {
        suras.append({sura,
                      QStringList(numberedVerseCount(sura), QString::fromUtf8("قُلۡ هُوَ")),
                      {},
                      QString::fromUtf8("بِسۡمِ ٱللَّهِ"),
                      "bismi allahi"});
    }
    ASSERT_EQ(writeSuraPages(data, buildSuraPages(suras, test::smallPageStyle(200, 14))),
              QString());
    ASSERT_EQ(aboutArchive({"credit"}).write(QDir(data).filePath("main1.dat")), QString());
    for (const char *name : {"u.dat", "d.dat"}) {
        test::writeFile(QDir(data).filePath(name), arrowGif(true));
    }
}

QString failures(const CheckReport &report) {
    return report.lines.filter(QStringLiteral("FAIL")).join(u'\n');
}

}  // namespace

TEST(DataCheck, SoundFolderPassesAndWrongFramesTimingsAndAudioFail) {
    QTemporaryDir tmp;
    const QDir dir(tmp.path());
    buildFolder(dir);
    const CheckReport report = checkProgramFolder(dir.path());
    EXPECT_EQ(report.failures, 0) << failures(report).toStdString();
    EXPECT_TRUE(report.lines.contains(
        "list  data/a.dat: 112.vxf (" +
        QString::number(readArchive(dir.filePath("data/a.dat")).members.value(0).stored.size()) +
        ")"));
    EXPECT_TRUE(
        report.lines.contains("ok    066.dat: 1 page images, frames = verses of their part"));
    EXPECT_TRUE(report.lines.contains(
        "ok    pos.dat: 2 suras with VerseCounts x 8 bytes, increasing times"));
    EXPECT_TRUE(report.lines.contains("ok    t.dat: 1 suras, one line per verse, UTF-16LE"));

    // A page image with the frames of another sura, a timing member one record short.
    ASSERT_EQ(mergeIntoArchive(dir.filePath("data/a.dat"), {{"112.vxf", arrowGif(false)}}, true),
              QString());
    QFile::remove(dir.filePath("data/pos.dat"));
    ArchiveBuilder pos;
    pos.addMember("112.pos", posMember(estimatedSpans(QStringList(4, "x"))), false);
    ASSERT_EQ(pos.write(dir.filePath("data/pos.dat")), QString());
    test::writeFile(dir.filePath("mp3/112.mp3"), "not audio");  // an MP3 that is not one

    const QString failed = failures(checkProgramFolder(dir.path()));
    EXPECT_TRUE(failed.contains("a.dat 112.vxf: 4 frames, part has 5 verses"))
        << failed.toStdString();
    EXPECT_TRUE(failed.contains("pos.dat 112.pos: 32 bytes")) << failed.toStdString();
    EXPECT_TRUE(failed.contains("mp3/112.mp3")) << failed.toStdString();
}
