#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "data/archive.h"
#include "data/archivewriter.h"
#include "data/clscompress.h"
#include "filebytes.h"

using namespace varnelo;
using varnelo::test::readFileBytes;

namespace {

class ArchiveTest : public ::testing::Test {
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString temp() const { return m_dir.path() + "/tmp/"; }

    void SetUp() override { ASSERT_TRUE(QDir(m_dir.path()).mkpath("tmp")); }

    QString write(const QString &name, const QByteArray &bytes) const {
        EXPECT_TRUE(test::writeFileBytes(path(name), bytes));
        return path(name);
    }

    // Member data, then the directory text as given, then its length field.
    QString handMade(const QByteArray &data, const QByteArray &directory,
                     const QString &name = "hand.dat") const {
        return write(
            name, data + directory + QByteArray::number(directory.size()).rightJustified(10, ' '));
    }

    QTemporaryDir m_dir;
};

}  // namespace

TEST_F(ArchiveTest, WriterLayoutAndExtractionOfEveryMember) {
    const QByteArray first = QByteArray("first member, packed. ").repeated(20);
    ArchiveWriter writer;
    writer.addMember("001.txt", first, ArchiveWriter::Packing::Encode);
    writer.addMember("002.pos", "\x01\x02\x03", ArchiveWriter::Packing::Store);
    writer.addMember("empty.hgt", "", ArchiveWriter::Packing::Store);
    const QString archive = path("a.dat");
    ASSERT_FALSE(writer.writeTo(archive));

    QByteArray stream = first;
    clsCompress().EncodeByte(stream);
    const QByteArray dir =
        "3:001.txt:002.pos:empty.hgt:440:3:0:" + QByteArray::number(stream.size()) + ":3:0:";
    EXPECT_EQ(readFileBytes(archive), stream + "\x01\x02\x03" + dir +
                                          QByteArray::number(dir.size()).rightJustified(10, ' '));

    const ArchiveListing listing = listArchiveMembers(archive);
    ASSERT_TRUE(listing.ok()) << listing.error.toStdString();
    ASSERT_EQ(listing.members.size(), 3);
    EXPECT_EQ(listing.members[1].name, "002.pos");
    EXPECT_EQ(listing.members[1].offset, stream.size());
    EXPECT_EQ(listing.members[1].storedSize, 3);

    write("tmp/001.txt", "stale file to be replaced");
    DecodeDone = false;
    ExtractResult r = ExtractMember(archive, "001.txt", temp());
    ASSERT_TRUE(r.extracted()) << r.error.toStdString();
    EXPECT_EQ(r.path, temp() + "001.txt");
    EXPECT_EQ(readFileBytes(r.path), first);
    EXPECT_TRUE(DecodeDone);
    EXPECT_FALSE(r.codecError);

    // The last member with data ends right before the directory.
    r = ExtractMemberUnchecked(archive, "002.pos", temp());
    EXPECT_EQ(readFileBytes(r.path), "\x01\x02\x03");
    r = ExtractMemberUnchecked(archive, "empty.hgt", temp());
    ASSERT_TRUE(r.extracted());
    EXPECT_EQ(readFileBytes(r.path), "");
}

TEST_F(ArchiveTest, NamesMatchWholeFieldsAndExactCase) {
    // The skipped fields may hold any number, even one past the end of the archive.
    const QString archive = handMade("HE0\rAAHE0\rBBB", "2:001.txt:0001.txt:12345:9:6:7:");
    EXPECT_EQ(readFileBytes(ExtractMember(archive, "0001.txt", temp()).path), "BBB");
    EXPECT_EQ(readFileBytes(ExtractMember(archive, "001.txt", temp()).path), "AA");

    QFile::remove(temp() + "01.txt");
    DecodeDone = false;
    for (const QString name : {"01.txt", "001.TXT", "txt", "2", "9"}) {
        EXPECT_TRUE(ExtractMember(archive, name, temp()).fileNotFound()) << name.toStdString();
        EXPECT_TRUE(ExtractMemberUnchecked(archive, name, temp()).fileNotFound());
    }
    EXPECT_FALSE(DecodeDone);
    EXPECT_FALSE(QFile::exists(temp() + "01.txt"));
    EXPECT_FALSE(QFile::exists(temp() + "001.TXT"));
}

TEST_F(ArchiveTest, DamagedArchivesGiveClearErrors) {
    const auto errorOf = [&](const QString &archive, const QString &name) {
        const ExtractResult r = ExtractMember(archive, name, temp());
        EXPECT_EQ(r.status, ExtractResult::Status::Failed) << name.toStdString();
        EXPECT_EQ(ExtractMemberUnchecked(archive, name, temp()).error, r.error);
        return r.error;
    };
    EXPECT_TRUE(errorOf(path("none.dat"), "a").startsWith("Archive not found"));
    EXPECT_TRUE(errorOf(write("short.dat", "12345"), "a").startsWith("Truncated archive"));
    EXPECT_TRUE(errorOf(write("far.dat", "1:a:0:3:     99999"), "a").contains("beyond the start"));
    // A size that runs into the directory, and a size list cut short.
    EXPECT_TRUE(errorOf(handMade("abc", "1:a:0:4:"), "a").contains("runs past the directory"));
    EXPECT_TRUE(errorOf(handMade("abc", "1:a:0:"), "a").startsWith("Damaged directory"));
    EXPECT_TRUE(errorOf(handMade("abc", "1000000:a:"), "a").startsWith("Damaged directory"));
    EXPECT_FALSE(listArchiveMembers(handMade("abc", "1:a:0:4:")).ok());
    EXPECT_FALSE(listArchiveMembers(path("none.dat")).ok());

    // A member that is not a ZE3 stream is refused; a corrupt one is written with the error noted.
    const QString refused = handMade("HE5\rxyz", "1:a:0:7:");
    const ExtractResult r = ExtractMember(refused, "a", temp());
    ASSERT_TRUE(r.codecError.has_value());
    EXPECT_EQ(r.codecError->source, "HuffmanDecode()");
    QByteArray stream = QByteArray("abracadabra");
    clsCompress().EncodeByte(stream);
    stream[4] = char(stream[4] ^ 1);
    const ExtractResult corrupt = ExtractMember(
        handMade(stream, "1:a:0:" + QByteArray::number(stream.size()) + ":"), "a", temp());
    EXPECT_TRUE(corrupt.extracted());
    EXPECT_EQ(readFileBytes(corrupt.path), "abracadabra");
    ASSERT_TRUE(corrupt.codecError.has_value());
    EXPECT_EQ(corrupt.codecError->source, "clsHuffman.Decode()");
}

TEST_F(ArchiveTest, CutArchivesNeverYieldWrongBytes) {
    ArchiveWriter writer;
    writer.addMember("a", "first member bytes", ArchiveWriter::Packing::Encode);
    writer.addMember("b", "second", ArchiveWriter::Packing::Store);
    const QByteArray whole = writer.toBytes();
    for (qsizetype cut = 0; cut < whole.size(); ++cut) {
        const QString archive = write("cut.dat", whole.left(cut));
        const ArchiveListing listing = listArchiveMembers(archive);
        EXPECT_FALSE(listing.ok()) << cut;
        const ExtractResult a = ExtractMember(archive, "a", temp());
        const ExtractResult b = ExtractMemberUnchecked(archive, "b", temp());
        EXPECT_EQ(a.status, ExtractResult::Status::Failed) << cut;
        EXPECT_EQ(b.status, ExtractResult::Status::Failed) << cut;
        EXPECT_EQ(a.error, listing.error) << cut;
        EXPECT_EQ(b.error, listing.error) << cut;
    }
}

TEST_F(ArchiveTest, AnArchiveThatDoesNotListExtractsNothing) {
    // Each of these once gave its first member while the listing called it damaged: bytes left
    // over before the directory, sizes that fall short of the data, a size list cut after the
    // first member.
    const QString archives[] = {
        handMade("HE0\rabcjunk", "1:a:0:7:", "leftover.dat"),
        handMade("HE0\rabcHE0\rde", "2:a:b:0:0:7:5:", "short.dat"),
        handMade("HE0\rabcHE0\rde", "2:a:b:0:0:7:", "cut.dat"),
    };
    for (const QString &archive : archives) {
        const ArchiveListing listing = listArchiveMembers(archive);
        ASSERT_FALSE(listing.ok());
        EXPECT_TRUE(listing.members.isEmpty());
        QFile::remove(temp() + "a");
        const ExtractResult decoded = ExtractMember(archive, "a", temp());
        const ExtractResult raw = ExtractMemberUnchecked(archive, "a", temp());
        EXPECT_EQ(decoded.status, ExtractResult::Status::Failed);
        EXPECT_EQ(raw.status, ExtractResult::Status::Failed);
        EXPECT_EQ(decoded.error, listing.error);
        EXPECT_EQ(raw.error, listing.error);
        EXPECT_FALSE(QFile::exists(temp() + "a"));
    }
    EXPECT_TRUE(listArchiveMembers(archives[0]).error.startsWith("Member sizes (7 bytes)"));
    EXPECT_TRUE(listArchiveMembers(archives[2]).error.startsWith("Damaged directory"));

    // Whole again, both members come out.
    const QString whole = handMade("HE0\rabcHE0\rde", "2:a:b:0:0:7:6:");
    ASSERT_TRUE(listArchiveMembers(whole).ok());
    EXPECT_EQ(readFileBytes(ExtractMember(whole, "a", temp()).path), "abc");
    EXPECT_EQ(readFileBytes(ExtractMemberUnchecked(whole, "b", temp()).path), "HE0\rde");
}

TEST_F(ArchiveTest, DirectoryMustFitTheReadersWindow) {
    // Sizes beyond the first 5000 characters of the directory are out of reach.
    QByteArray dir = "2:" + QByteArray(4990, 'n') + ":b:0:0:1:1:";
    EXPECT_TRUE(ExtractMemberUnchecked(handMade("xy", dir), "b", temp())
                    .error.startsWith("Damaged directory"));

    ArchiveWriter writer;
    for (int i = 0; i < 500; ++i)
        writer.addMember(QString("%1.txt").arg(i, 3, 10, QChar('0')), "x",
                         ArchiveWriter::Packing::Store);
    EXPECT_EQ(writer.problem().value_or(""), "Directory longer than 5000 characters");
    EXPECT_EQ(writer.writeTo(path("big.dat")).value_or(""), writer.problem().value_or("-"));
    EXPECT_FALSE(QFile::exists(path("big.dat")));

    for (const QString &bad : {QString(), QString("a:b"), QString::fromUtf8("\u0627.txt")}) {
        ArchiveWriter named;
        named.addMember(bad, "x", ArchiveWriter::Packing::Store);
        EXPECT_EQ(named.problem().value_or(""),
                  QString("Member name not usable in an archive: \"%1\"").arg(bad));
    }
    ArchiveWriter twice;
    twice.addMember("a", "1", ArchiveWriter::Packing::Store);
    twice.addMember("a", "2", ArchiveWriter::Packing::Store);
    EXPECT_EQ(twice.problem().value_or(""), "Member name used twice: a");
}

// A work folder that is missing or cannot hold files (here: a path through a plain file, which
// no user may write into) fails the extraction with the file named, writes nothing elsewhere and
// leaves the member extractable once the folder is usable.
TEST_F(ArchiveTest, ExtractionIntoAnUnusableWorkFolderFails) {
    ArchiveWriter writer;
    writer.addMember("001.txt", "verse text", ArchiveWriter::Packing::Encode);
    writer.addMember("002.pos", "positions", ArchiveWriter::Packing::Store);
    const QString archive = path("a.dat");
    ASSERT_FALSE(writer.writeTo(archive).has_value());
    const QString plainFile = write("plain", "not a folder");

    for (const QString &folder : {path("missing/"), plainFile + "/"}) {
        const ExtractResult decoded = ExtractMember(archive, "001.txt", folder);
        EXPECT_EQ(decoded.status, ExtractResult::Status::Failed) << folder.toStdString();
        EXPECT_TRUE(decoded.error.contains(folder + "001.txt")) << decoded.error.toStdString();
        const ExtractResult raw = ExtractMemberUnchecked(archive, "002.pos", folder);
        EXPECT_EQ(raw.status, ExtractResult::Status::Failed) << folder.toStdString();
        EXPECT_TRUE(raw.error.contains(folder + "002.pos")) << raw.error.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(path("missing")));
    EXPECT_EQ(readFileBytes(plainFile), "not a folder");
    EXPECT_EQ(readFileBytes(ExtractMember(archive, "001.txt", temp()).path), "verse text");
}

// A write that cannot be done names the archive and keeps the one already there whole.
TEST_F(ArchiveTest, AFailedWriteSaysSoAndKeepsTheOldArchive) {
    ArchiveWriter old;
    old.addMember("a", "old", ArchiveWriter::Packing::Store);
    const QString archive = path("a.dat");
    ASSERT_FALSE(old.writeTo(archive).has_value());
    const QByteArray before = readFileBytes(archive);

    ArchiveWriter writer;
    writer.addMember("a", "new", ArchiveWriter::Packing::Store);
    const QString intoMissing = path("missing/b.dat");
    EXPECT_EQ(writer.writeTo(intoMissing).value_or("").left(intoMissing.size() + 15),
              "Cannot write " + intoMissing + ": ");
    EXPECT_FALSE(QFileInfo::exists(path("missing")));
    const QString ontoFolder = m_dir.path() + "/tmp";
    EXPECT_TRUE(writer.writeTo(ontoFolder).value_or("").startsWith("Cannot write " + ontoFolder));
    EXPECT_TRUE(QFileInfo(ontoFolder).isDir());

    // Members that cannot be written refuse the write before anything is touched.
    ArchiveWriter twice;
    twice.addMember("a", "1", ArchiveWriter::Packing::Store);
    twice.addMember("a", "2", ArchiveWriter::Packing::Store);
    EXPECT_EQ(twice.writeTo(archive), "Member name used twice: a");
    EXPECT_EQ(readFileBytes(archive), before);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"a.dat"});
}

TEST_F(ArchiveTest, MemberNamesThatLeaveTheFolderAreAbsent) {
    // Each name is listed in the archive, so only the name itself can keep it in the folder.
    const QString outside = path("abs.txt");
    const QStringList names = {"../evil.txt", outside, "sub/x.txt", "..\\evil.txt",
                               "..",          ".",     "C:x.txt",   "./x.txt"};
    QByteArray dir = QByteArray::number(names.size()) + ':';
    QByteArray data;
    for (const QString &name : names)
        dir += name.toLatin1() + ':';
    dir += QByteArray("0:").repeated(names.size());
    for (int i = 0; i < names.size(); ++i) {
        data += "HE0\rab";
        dir += "6:";
    }
    const QString archive = handMade(data, dir);
    ASSERT_TRUE(QDir(temp()).mkpath("sub"));
    for (const QString &name : names) {
        EXPECT_TRUE(ExtractMember(archive, name, temp()).fileNotFound()) << name.toStdString();
        EXPECT_TRUE(ExtractMemberUnchecked(archive, name, temp()).fileNotFound())
            << name.toStdString();
    }
    EXPECT_FALSE(QFile::exists(path("evil.txt")));
    EXPECT_FALSE(QFile::exists(outside));
    EXPECT_EQ(QDir(temp()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList());
    EXPECT_EQ(QDir(temp() + "sub").entryList(QDir::Files), QStringList());
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList({"hand.dat"}));
}

TEST_F(ArchiveTest, HugeDecimalFieldsAreRefusedNotWrapped) {
    // 19 and 25 digits pass any 64-bit value; sizes that add up past it too.
    EXPECT_TRUE(listArchiveMembers(handMade("abc", "1:a:0:9999999999999999999:"))
                    .error.contains("runs past the directory"));
    EXPECT_TRUE(listArchiveMembers(handMade("abc", "1:a:0:9999999999999999999999999:"))
                    .error.contains("runs past the directory"));
    EXPECT_TRUE(listArchiveMembers(handMade("abc", "2:a:b:0:0:3:9223372036854775807:"))
                    .error.contains("Member b runs past the directory"));
    EXPECT_TRUE(listArchiveMembers(handMade("abc", "9999999999999999999:a:0:3:"))
                    .error.startsWith("Damaged directory"));
    EXPECT_TRUE(ExtractMemberUnchecked(handMade("abc", "1:a:0:18446744073709551619:"), "a", temp())
                    .error.contains("runs past the directory"));
}
