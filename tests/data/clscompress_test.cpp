#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "data/clscompress.h"
#include "filebytes.h"

using namespace varnelo;
using varnelo::test::readFileBytes;
using varnelo::test::writeFileBytes;

namespace {

QByteArray encoded(QByteArray data) {
    clsCompress().EncodeByte(data);
    return data;
}

}  // namespace

// Expected streams come from tests/data/ze3vectors.py, written apart from the C++ encoder.
TEST(ClsCompress, EncoderMatchesIndependentVectors) {
    const struct {
        QByteArray input;
        const char *hex;
    } vectors[] = {
        {"", "5658200d"},
        {"aaaa", "4845300d61616161"},
        {"ab", "5658200d03020000000200610162010202"},
        {"abracadabra", "5658200d660b000000050061016203630364037203ba071a730d"},
        {"aaaaaaaabbbbccd", "5658200d640f000000040061016202630364034e0100ff4901"},
        // Eight 3-bit codes: the table ends on a byte boundary and the data follows at once.
        {QByteArray("\0\1\2\3\4\5\6\7", 8).repeated(3),
         "5658200d0018000000080000030103020303030403050306030703a09ceea09ceea09ceea09cee"},
        {"mississippi river",
         "5658200d371100000008002004650469026d047003720373027604b33de1019fa6910dba05"},
        // A lighter node between two of equal weight displaces the first of them.
        {"aabbc", "5658200d630500000003006101620263020e7c"},
    };
    for (const auto &v : vectors) {
        EXPECT_EQ(encoded(v.input).toHex(), QByteArray(v.hex)) << v.input.toStdString();
        QByteArray back = QByteArray::fromHex(v.hex);
        EXPECT_TRUE(clsCompress().DecodeByte(back).ok());
        EXPECT_EQ(back, v.input);
    }
}

TEST(ClsCompress, RoundTripsAndChoosesStoredFormWhenPackingDoesNotHelp) {
    QByteArray text;
    for (int i = 0; i < 5000; ++i)
        text += "In the name of the merciful " + QByteArray::number(i % 97) + "\n";
    QByteArray stream = encoded(text);
    EXPECT_TRUE(stream.startsWith("VX \r"));
    EXPECT_LT(stream.size(), text.size() * 3 / 4);
    EXPECT_TRUE(clsCompress().DecodeByte(stream).ok());
    EXPECT_EQ(stream, text);

    // Every value once: 8-bit codes make the data as long as the input, which still packs.
    QByteArray all;
    for (int v = 0; v < 256; ++v)
        all.append(char(v));
    EXPECT_TRUE(encoded(all).startsWith("VX \r"));
    // One repeated value has a code of 0 bits: stored.
    EXPECT_EQ(encoded(QByteArray(1000, 'z')), "HE0\r" + QByteArray(1000, 'z'));
    EXPECT_EQ(encoded("x"), QByteArray("HE0\rx"));
}

TEST(ClsCompress, StoredAndAlternativeHeadersDecode) {
    QByteArray stored = QByteArray("HE0\r\0\xff", 6) + "abc";
    EXPECT_TRUE(clsCompress().DecodeByte(stored).ok());
    EXPECT_EQ(stored, QByteArray("\0\xff", 2) + "abc");

    QByteArray vx = encoded("abracadabra");
    QByteArray he3 = vx;
    he3.replace(0, 4, "HE3\r");
    EXPECT_TRUE(clsCompress().DecodeByte(vx).ok());
    EXPECT_TRUE(clsCompress().DecodeByte(he3).ok());
    EXPECT_EQ(vx, he3);

    // The bare header of empty data decodes to nothing.
    QByteArray empty("VX \r");
    EXPECT_TRUE(clsCompress().DecodeByte(empty).ok());
    EXPECT_TRUE(empty.isEmpty());
}

TEST(ClsCompress, RefusedStreamIsAnErrorAndLeavesDataAlone) {
    for (QByteArray bad : {QByteArray("HE7\rabcdefghijkl"), QByteArray("HE"), QByteArray()}) {
        const QByteArray before = bad;
        const DecodeReport report = clsCompress().DecodeByte(bad);
        ASSERT_TRUE(report.raised.has_value());
        EXPECT_EQ(report.raised->number, -2147221504);
        EXPECT_EQ(report.raised->source, "HuffmanDecode()");
        EXPECT_EQ(report.raised->description,
                  "The data either was not compressed with ZE3 or is corrupt (identification "
                  "string not found)");
        EXPECT_EQ(bad, before);
    }
}

TEST(ClsCompress, ChecksumMismatchIsRecordedAndFileStillWritten) {
    QTemporaryDir dir;
    const QString path = dir.filePath("001.txt");
    ASSERT_TRUE(writeFileBytes(path, "old contents that must go"));

    QByteArray stream = encoded("abracadabra");
    stream[stream.size() - 2] = char(stream[stream.size() - 2] ^ 0x01);  // one data bit
    DecodeDone = false;
    const DecodeReport report = clsCompress().DecodeFile(path, stream);
    EXPECT_FALSE(report.raised);
    ASSERT_TRUE(report.recorded.has_value());
    EXPECT_EQ(*report.recorded, CodecError({-2147221504,
                                            "The data might be corrupted (checksum did not match "
                                            "expected value)",
                                            "clsHuffman.Decode()"}));
    EXPECT_TRUE(DecodeDone);
    const QByteArray written = readFileBytes(path);
    EXPECT_NE(written, "abracadabra");
    EXPECT_FALSE(written.isEmpty());

    // A refused stream writes nothing and leaves DecodeDone as it was.
    DecodeDone = false;
    EXPECT_TRUE(clsCompress().DecodeFile(path, "HEX\rdata").raised);
    EXPECT_FALSE(DecodeDone);
    EXPECT_EQ(readFileBytes(path), written);
}

TEST(ClsCompress, ExtractFileReplacesWithBytesUnchanged) {
    QTemporaryDir dir;
    const QString path = dir.filePath("x.pos");
    ASSERT_TRUE(writeFileBytes(path, "a much longer old file"));
    EXPECT_FALSE(clsCompress().ExtractFile(path, "VX \r"));
    EXPECT_EQ(readFileBytes(path), "VX \r");
    EXPECT_TRUE(clsCompress().ExtractFile(dir.filePath("no/such/dir/x"), "1"));
}

TEST(ClsCompress, EncodeFileAndAddFilesWriteAtPositionAndSetStoredSize) {
    QTemporaryDir dir;
    const QString source = dir.filePath("src.txt");
    const QString archive = dir.filePath("out.dat");
    ASSERT_TRUE(writeFileBytes(source, "abracadabra"));
    ASSERT_TRUE(writeFileBytes(archive, "0123456789"));

    EXPECT_FALSE(clsCompress().AddFiles(source, archive, "4"));
    EXPECT_EQ(LastStoredSize, "11");
    EXPECT_EQ(readFileBytes(archive), "012abracadabra");

    EXPECT_FALSE(clsCompress().EncodeFile(source, archive, "15"));
    const QByteArray stream = encoded("abracadabra");
    EXPECT_EQ(LastStoredSize, QString::number(stream.size()));
    EXPECT_EQ(readFileBytes(archive), "012abracadabra" + stream);

    const auto missing = clsCompress().EncodeFile(dir.filePath("nope"), archive, "1");
    ASSERT_TRUE(missing.has_value());
    EXPECT_EQ(missing->description, "Source file does not exist");
    EXPECT_EQ(missing->source, "clsHuffman.EncodeFile()");
    EXPECT_EQ(clsCompress().AddFiles(dir.filePath("nope"), archive, "1")->source,
              "clsHuffman.AddFiles()");
    EXPECT_TRUE(clsCompress().AddFiles(source, archive, "zero"));
    EXPECT_TRUE(clsCompress().AddFiles(source, archive, "0"));
}

TEST(ClsCompress, StringsCarryEveryByteValue) {
    QString text;
    for (int round = 0; round < 3; ++round) {
        for (int v = 0; v < 256; ++v)
            text.append(QChar(v));
    }
    text += QString(500, QChar(0xe9));
    const QString original = text;
    clsCompress().EncodeString(text);
    EXPECT_TRUE(text.startsWith("VX \r"));
    EXPECT_TRUE(clsCompress().DecodeString(text).ok());
    EXPECT_EQ(text, original);
}
