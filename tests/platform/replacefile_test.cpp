#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/replacefile.h"

using namespace varnelo;

namespace {

QByteArray contents(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

}  // namespace

TEST(WriteScratchFile, ReplacesTheFileAndLeavesNoTemporaryBehind) {
    QTemporaryDir dir;
    const QString path = dir.filePath("002a.vxf");
    ASSERT_FALSE(writeScratchFile(path, "first, longer contents"));
    ASSERT_FALSE(writeScratchFile(path, "second"));
    EXPECT_EQ(contents(path), "second");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"002a.vxf"});
}

TEST(WriteScratchFile, FailureKeepsTheOldFileAndSaysWhy) {
    QTemporaryDir dir;
    EXPECT_TRUE(writeScratchFile(dir.filePath("no-folder/x.txt"), "bytes").has_value());
    // A folder in the way of the name: the write fails and the folder is left as it was.
    const QString path = dir.filePath("taken");
    ASSERT_TRUE(QDir(dir.path()).mkdir("taken"));
    ASSERT_TRUE(QFile(path + "/inside").open(QIODevice::WriteOnly));
    const auto reason = writeScratchFile(path, "bytes");
    ASSERT_TRUE(reason.has_value());
    EXPECT_FALSE(reason->isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{});
    EXPECT_TRUE(QFile::exists(path + "/inside"));
}
