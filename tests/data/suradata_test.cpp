#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "archivefixture.h"
#include "data/suracatalogue.h"
#include "data/suradata.h"

using namespace varnelo;
using namespace varnelo::test;

namespace {

constexpr auto Store = ArchiveWriter::Packing::Store;

QByteArray wordRecord(quint8 verse, qint16 l, qint16 t, qint16 r, qint16 b,
                      const QByteArray &meaning) {
    QByteArray bytes(1, char(verse));
    bytes += littleEndian<qint16>({l, t, r, b});
    bytes += littleEndian<quint16>({quint16(meaning.size())});
    return bytes + meaning;
}

class SuraDataFolder : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString app() const { return dir.path(); }
    QString temp() const { return dir.filePath("temp"); }
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(temp())); }
    bool tempIsEmpty() const { return QDir(temp()).isEmpty(); }
};

}  // namespace

TEST(SuraDataParse, VerseTimesNeedExactlyEightBytesPerVerse) {
    const QByteArray bytes = littleEndian<qint32>({0, 1500, 1500, -1, 2000, 2147483647});
    const auto times = parseVerseTimes(bytes, 3);
    ASSERT_TRUE(times.ok()) << times.error.toStdString();
    ASSERT_EQ(times.value.size(), 3);
    EXPECT_EQ(times.value[1].start, 1500);
    EXPECT_EQ(times.value[1].end, -1);
    EXPECT_EQ(times.value[2].end, 2147483647);

    EXPECT_FALSE(parseVerseTimes(bytes.left(23), 3).ok());
    EXPECT_FALSE(parseVerseTimes(bytes + "x", 3).ok());
    EXPECT_FALSE(parseVerseTimes({}, 3).ok());
}

TEST(SuraDataParse, HeightsGoToElementsOneToN) {
    const auto heights = parseVerseHeights(littleEndian<qint16>({10, -20, 32767}), 3);
    ASSERT_TRUE(heights.ok());
    EXPECT_EQ(heights.value, (QList<qint16>{0, 10, -20, 32767}));
    EXPECT_FALSE(parseVerseHeights(littleEndian<qint16>({10, 20}), 3).ok());
    EXPECT_FALSE(parseVerseHeights(littleEndian<qint16>({10, 20, 30, 40}), 3).ok());
}

TEST(SuraDataParse, WordRecordsStopCleanlyAtARecordRunningPastTheEnd) {
    const QByteArray first = wordRecord(255, 1, -2, 300, 400, "caf\xE9 \x93ok\x94");
    const QByteArray second = wordRecord(3, 5, 6, 7, 8, "");
    const QList<WordRecord> words = parseWordRecords(first + second);
    ASSERT_EQ(words.size(), 2);
    EXPECT_EQ(words[0], (WordRecord{255, 1, -2, 300, 400,
                                    QString::fromUtf8("caf\xC3\xA9 \xE2\x80\x9Cok\xE2\x80\x9D")}));
    EXPECT_EQ(words[1], (WordRecord{3, 5, 6, 7, 8, QString()}));

    // A meaning longer than what is left, and a record cut inside its fixed fields.
    QByteArray overlong = wordRecord(4, 0, 0, 0, 0, "abc");
    overlong[9] = char(0xFF);
    EXPECT_EQ(parseWordRecords(first + overlong).size(), 1);
    EXPECT_EQ(parseWordRecords(first + second.left(10)).size(), 1);
    EXPECT_TRUE(parseWordRecords({}).isEmpty());
}

TEST(SuraDataParse, InvertedWordRecordsAreDropped) {
    // Edges the wrong way round can hold no point; the widest record is kept for the page to
    // clip, as are records of one pixel row or column.
    const QList<WordRecord> words = parseWordRecords(
        wordRecord(1, 10, 0, 9, 5, "a") + wordRecord(1, -32768, -32768, 32767, 32767, "b") +
        wordRecord(1, 0, 6, 4, 5, "c") + wordRecord(1, 3, 3, 3, 3, "d"));
    ASSERT_EQ(words.size(), 2);
    EXPECT_EQ(words[0].meaning, "b");
    EXPECT_EQ(words[1].meaning, "d");
}

TEST_F(SuraDataFolder, ReadersExtractReadAndDeleteTheirMembers) {
    const int n = verseCountOf(2);
    QByteArray pos, hgt;
    for (int k = 0; k < n; ++k) {
        pos += littleEndian<qint32>({k * 1000, k * 1000 + 900});
        hgt += littleEndian<qint16>({qint16(k * 3)});
    }
    ASSERT_TRUE(writeArchive(app() + "/data/pos.dat",
                             {{"001.pos", QByteArray(56, 0), Store}, {"002.pos", pos, Store}}));
    ASSERT_TRUE(writeArchive(app() + "/data/hgt.dat", {{"002.hgt", hgt, Store}}));
    ASSERT_TRUE(
        writeArchive(app() + "/data/wm.dat", {{"002.qwf", wordRecord(1, 2, 3, 4, 5, "word")}}));

    const auto times = readVerseTimes(app(), temp(), 2);
    ASSERT_TRUE(times.ok()) << times.error.toStdString();
    ASSERT_EQ(times.value.size(), 287);
    EXPECT_EQ(times.value[286].end, 286900);
    const auto heights = readVerseHeights(app(), temp(), 2);
    ASSERT_TRUE(heights.ok()) << heights.error.toStdString();
    EXPECT_EQ(heights.value[287], 286 * 3);
    const auto words = readWordRecords(app(), temp(), 2);
    ASSERT_TRUE(words.ok()) << words.error.toStdString();
    ASSERT_EQ(words.value.size(), 1);
    EXPECT_EQ(words.value[0].meaning, "word");
    EXPECT_TRUE(readVerseTimes(app(), temp(), 1).ok());
    EXPECT_TRUE(tempIsEmpty());
}

TEST_F(SuraDataFolder, ErrorsNameTheArchiveAndMember) {
    ASSERT_TRUE(writeArchive(app() + "/data/pos.dat", {{"003.pos", QByteArray(10, 0), Store}}));
    const auto wrongSize = readVerseTimes(app(), temp(), 3);
    EXPECT_TRUE(wrongSize.error.contains("pos.dat") && wrongSize.error.contains("003.pos"))
        << wrongSize.error.toStdString();
    const auto absentMember = readVerseTimes(app(), temp(), 4);
    EXPECT_TRUE(absentMember.error.contains("004.pos")) << absentMember.error.toStdString();
    const auto absentArchive = readVerseHeights(app(), temp(), 4);
    EXPECT_TRUE(absentArchive.error.contains("hgt.dat")) << absentArchive.error.toStdString();
    EXPECT_TRUE(tempIsEmpty());
}

TEST(SuraDataImage, SurasUpTo66HaveTheirOwnArchive) {
    EXPECT_EQ(arabicImageSource("/p", 1, "").archivePath, "/p/data/a.dat");
    EXPECT_EQ(arabicImageSource("/p", 1, "").member, "001.vxf");
    EXPECT_EQ(arabicImageSource("/p", 2, "a").archivePath, "/p/data/002.dat");
    EXPECT_EQ(arabicImageSource("/p", 2, "a").member, "002a.vxf");
    EXPECT_EQ(arabicImageSource("/p", 66, "").archivePath, "/p/data/066.dat");
    EXPECT_EQ(arabicImageSource("/p", 67, "").archivePath, "/p/data/a.dat");
    EXPECT_EQ(arabicImageSource("/p", 114, "").member, "114.vxf");
}
