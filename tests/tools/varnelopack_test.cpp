#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "data/archivewriter.h"
#include "toolrun.h"

using namespace varnelo;
using namespace varnelo::test;

namespace {

class VarneloPack : public ::testing::Test {
protected:
    static ToolRun pack(const QStringList &args) { return runTool(VARNELO_PACK, args); }
    QString file(const QString &name, const QByteArray &bytes) const {
        return writeFile(path(name), bytes);
    }
    QString path(const QString &name) const { return m_dir.filePath(name); }
    static QByteArray read(const QString &name) {
        QFile f(name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir m_dir;
};

}  // namespace

TEST_F(VarneloPack, EncodeGivesTheExactStreamAndDecodeReturnsTheInput) {
    // Stream worked out apart from the program (tests/data/ze3vectors.py).
    const QString in = file("in.txt", "abracadabra");
    EXPECT_EQ(pack({"encode", in, path("out.ze3")}).exitCode, 0);
    EXPECT_EQ(read(path("out.ze3")).toHex(),
              "5658200d660b000000050061016203630364037203ba071a730d");
    EXPECT_EQ(pack({"decode", path("out.ze3"), path("back.txt")}).exitCode, 0);
    EXPECT_EQ(read(path("back.txt")), "abracadabra");

    // Empty input: the bare header; one repeated value: the stored form.
    EXPECT_EQ(pack({"encode", file("empty", ""), path("empty.ze3")}).exitCode, 0);
    EXPECT_EQ(read(path("empty.ze3")), "VX \r");
    EXPECT_EQ(pack({"decode", path("empty.ze3"), path("empty.out")}).exitCode, 0);
    EXPECT_EQ(read(path("empty.out")), "");
    EXPECT_EQ(pack({"encode", file("same", "zzz"), path("same.ze3")}).exitCode, 0);
    EXPECT_EQ(read(path("same.ze3")), "HE0\rzzz");
}

TEST_F(VarneloPack, BadStreamsFailAndChecksumMismatchExitsThree) {
    const ToolRun refused = pack({"decode", file("bad", "HE9\rxxxxxxxxxxxx"), path("bad.out")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("identification string not found"));
    EXPECT_FALSE(QFile::exists(path("bad.out")));

    QByteArray stream = QByteArray::fromHex("5658200d660b000000050061016203630364037203ba071a730d");
    stream[4] = 0;
    const ToolRun corrupt = pack({"decode", file("c.ze3", stream), path("c.out")});
    EXPECT_EQ(corrupt.exitCode, 3);
    EXPECT_TRUE(corrupt.err.contains("checksum did not match"));
    EXPECT_EQ(read(path("c.out")), "abracadabra");

    EXPECT_EQ(pack({"decode", path("missing"), path("x")}).exitCode, 1);
    EXPECT_EQ(pack({"frobnicate"}).exitCode, 2);
}

TEST_F(VarneloPack, CreateListExtract) {
    const QString text = file("001.txt", QByteArray("In the name of God. ").repeated(30));
    const QString pos = file("001.pos", QByteArray("\x00\x10\x00\x00", 4));
    const QString archive = path("t.dat");
    ASSERT_EQ(pack({"create", archive, text, pos}).exitCode, 0);
    const QString raw = path("raw.dat");
    ASSERT_EQ(pack({"create", raw, "--store", text, pos}).exitCode, 0);

    const ToolRun listed = pack({"list", raw});
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_EQ(listed.out, "001.txt\t600\n001.pos\t4\n");

    ASSERT_TRUE(QDir(m_dir.path()).mkdir("out"));
    EXPECT_EQ(pack({"extract", archive, "001.txt", path("out")}).exitCode, 0);
    EXPECT_EQ(read(path("out/001.txt")), read(text));
    EXPECT_EQ(pack({"extract", raw, "001.pos", path("out"), "--raw"}).exitCode, 0);
    EXPECT_EQ(read(path("out/001.pos")), read(pos));

    const ToolRun absent = pack({"extract", archive, "001.POS", path("out")});
    EXPECT_EQ(absent.exitCode, 1);
    EXPECT_TRUE(absent.err.contains("filenotfound"));
    EXPECT_EQ(pack({"list", file("junk.dat", "12")}).exitCode, 1);
}

TEST_F(VarneloPack, ExtractWritesNothingOutsideTheOutputFolder) {
    const QString outside = path("abs.txt");
    const QStringList names = {"../evil.txt",  outside, "sub/x.txt",
                               "..\\evil.txt", "..",    "C:x.txt"};
    ArchiveWriter writer;
    for (const QString &name : names.mid(0, 5))  // a directory cannot list a ":"
        writer.addMember(name, "payload", ArchiveWriter::Packing::Encode);
    const QString archive = path("bad.dat");
    ASSERT_FALSE(writer.writeTo(archive));
    ASSERT_TRUE(QDir(m_dir.path()).mkpath("out/sub"));
    for (const QString &name : names) {
        for (const QStringList &extra : {QStringList(), QStringList("--raw")}) {
            const ToolRun run = pack(QStringList{"extract", archive, name, path("out")} + extra);
            EXPECT_EQ(run.exitCode, 1) << name.toStdString();
            EXPECT_TRUE(run.err.contains("filenotfound")) << run.err.toStdString();
        }
    }
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList({"bad.dat"}));
    EXPECT_TRUE(QDir(path("out")).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(QDir(path("out/sub")).entryList(QDir::Files).isEmpty());
}
