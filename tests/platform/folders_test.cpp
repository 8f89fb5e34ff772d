#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include "platform/folders.h"

using namespace varnelo;

TEST(SetAppFolder, NeverEndsInASeparator) {
    EXPECT_EQ(SetAppFolder(" /opt/varnelo "), "/opt/varnelo");
    EXPECT_EQ(SetAppFolder("C:/"), "C:");
    EXPECT_EQ(SetAppFolder("C:\\"), "C:");
    EXPECT_EQ(SetAppFolder("/"), "");
}

TEST(SetTempFolder, VxSubFolderOrDataFolder) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString temp = SetTempFolder(dir.path(), "/opt/varnelo");
    EXPECT_EQ(temp, dir.path() + "/VX/");
    EXPECT_TRUE(QFileInfo(temp).isDir());
    EXPECT_EQ(SetTempFolder(dir.path() + "/", "/opt/varnelo"), temp);  // already there

    EXPECT_EQ(SetTempFolder(dir.filePath("gone"), "/opt/varnelo"), "/opt/varnelo/data/");
    EXPECT_EQ(SetTempFolder("", "C:"), "C:/data/");
}
