#include <gtest/gtest.h>

#include "archivebuilder.h"
#include "timingsbuilder.h"

#include "datakittestsupport.h"

using namespace varnelo;

namespace {

// Sura 112 has 5 verse indexes (the opening formula and 4 verses).
const QByteArray sura112 =
    "sura,verse_index,start_ms,end_ms\n"
    "112,0,0,900\n112,2,2000,2900\n112,1,1000,1900\n112,3,3000,3900\n112,4,4000,4800\n";

}  // namespace

TEST(Timings, CsvMakesPosMemberOfEightBytesPerIndex) {
    const TimingTable table = parseTimingsCsv(sura112, "t.csv");
    ASSERT_EQ(table.error, QString());
    ASSERT_EQ(table.suras[112].size(), 5);
    EXPECT_EQ(table.suras[112][1], (VerseSpan{1000, 1900}));
    const QByteArray member = posMember(table.suras[112]);
    ASSERT_EQ(member.size(), 40);
    EXPECT_EQ(member.mid(8, 8), QByteArray("\xE8\x03\0\0\x6C\x07\0\0", 8));
    EXPECT_EQ(spansOfPosMember(member), table.suras[112]);
}

TEST(Timings, BadRowsNameTheLine) {
    const auto errorOf = [](const QByteArray &csv) { return parseTimingsCsv(csv, "t.csv").error; };
    EXPECT_EQ(errorOf(""), "t.csv: the file is empty");
    EXPECT_EQ(errorOf("112,0,0,900\n112,5,1000,1900\n"),
              "t.csv:2: sura 112 has no verse index 5 (it has 0-4)");
    EXPECT_EQ(errorOf("0,0,0,900\n"), "t.csv:1: sura 0 is out of range 1-114");
    EXPECT_EQ(errorOf("112,0,0,900\n112,1,x,1\n"),
              "t.csv:2: expected sura,verse_index,start_ms,end_ms");
    EXPECT_EQ(errorOf("112,0,-5,900\n"), "t.csv:1: times must be 0 to 2147483647 ms");
    EXPECT_EQ(errorOf("112,0,0,900\n112,0,0,900\n"),
              "t.csv:2: sura 112 verse index 0 is given again (first on line 1)");
    EXPECT_EQ(errorOf("112,0,0,900\n112,1,1000,1900\n"),
              "t.csv: sura 112 verse index 2 has no row (a sura needs 5 rows)");
    QByteArray overlapping = sura112;
    overlapping.replace("112,3,3000,3900", "112,3,2500,3900");
    EXPECT_EQ(errorOf(overlapping), "t.csv:5: times of sura 112 verse index 3 do not increase");
    QByteArray backwards = sura112;
    backwards.replace("112,4,4000,4800", "112,4,4000,4000");
    EXPECT_EQ(errorOf(backwards), "t.csv:6: times of sura 112 verse index 4 do not increase");
}

TEST(Timings, UpdateKeepsOtherSurasAndRefusesDamagedArchive) {
    QTemporaryDir dir;
    const QString path = dir.filePath("pos.dat");
    QMap<int, QList<VerseSpan>> first;
    for (int k = 0; k < 7; ++k) {
        first[114].append({k * 1000, k * 1000 + 500});
    }
    ASSERT_EQ(updatePosArchive(path, first), QString());
    ASSERT_EQ(updatePosArchive(path, parseTimingsCsv(sura112, "t.csv").suras), QString());

    const ArchiveContents contents = readArchive(path);
    ASSERT_EQ(contents.error, QString());
    ASSERT_EQ(contents.members.size(), 2);
    EXPECT_EQ(contents.members[0].name, "112.pos");
    EXPECT_EQ(contents.members[1].name, "114.pos");
    EXPECT_EQ(spansOfPosMember(contents.members[1].stored), first[114]);
    // The program reads pos members unchanged.
    const ExtractResult r = ExtractMemberUnchecked(path, "112.pos", dir.path() + "/");
    ASSERT_TRUE(r.extracted());
    EXPECT_EQ(test::fileBytes(r.path).size(), 40);

    test::writeFile(path, "not an archive at all");
    EXPECT_FALSE(updatePosArchive(path, first).isEmpty());
    EXPECT_EQ(test::fileBytes(path), "not an archive at all");
}

TEST(Timings, SpanCheckWantsCountAndIncreasingTimes) {
    QList<VerseSpan> spans = {{0, 10}, {10, 20}, {25, 30}, {30, 40}, {41, 50}};
    EXPECT_EQ(checkSpans(112, spans), QString());
    EXPECT_EQ(checkSpans(113, spans), "sura 113 has 5 timing rows, expected 6");
    spans[3] = {29, 40};
    EXPECT_EQ(checkSpans(112, spans), "sura 112 verse index 3: times 29-40 do not increase");
}

TEST(Timings, StoredEndsLieTheLeadPastTheSpokenEnds) {
    // Verse index 1 is followed by a pause of only 100 ms, the last verse by 100 ms of file.
    const QList<VerseSpan> spoken = {
        {0, 700}, {1000, 1700}, {1800, 2500}, {3000, 3600}, {4000, 4800}};
    StoredSpans stored = storedSpansOf(112, spoken, 4900);
    EXPECT_EQ(stored.spans,
              (QList<VerseSpan>{{0, 900}, {1000, 1800}, {1800, 2700}, {3000, 3800}, {4000, 4900}}));
    EXPECT_EQ(checkSpans(112, stored.spans), QString());
    EXPECT_EQ(stored.warnings,
              (QStringList{"sura 112 verse index 1 (verse 1): only 100 ms from its spoken end to "
                           "the next verse's start, so verse mode cuts the last 100 ms of its "
                           "speech",
                           "sura 112 verse index 4 (verse 4): only 100 ms from its spoken end to "
                           "the end of the file, so verse mode cuts the last 100 ms of its "
                           "speech"}));
    // Without a known length the last end moves the whole lead; a file shorter than the speech
    // never shortens a verse.
    EXPECT_EQ(storedSpansOf(112, spoken).spans.last(), (VerseSpan{4000, 5000}));
    EXPECT_EQ(storedSpansOf(112, spoken, 4700).spans.last(), (VerseSpan{4000, 4800}));

    EXPECT_EQ(verseName(1, 0), "sura 1 verse index 0 (verse 1)");
    EXPECT_EQ(verseName(2, 0), "sura 2 verse index 0 (the opening formula)");
}
