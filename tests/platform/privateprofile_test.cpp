#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "platform/privateprofile.h"

using varnelo::PrivateProfile;

namespace {

const QByteArray kIni =
    "key=outside any section\r\n"
    "; Installation defaults\r\n"
    "[ Main ]\r\n"
    "  Text1  =   English - Tamsen   \r\n"
    "TEXT1=second match is never read\r\n"
    "Quoted=\"  kept blanks  \"\r\n"
    "Single='x'\r\n"
    "Mixed=\"x'\r\n"
    "Lone=\"\r\n"
    "Empty=\r\n"
    "NoEquals\r\n"
    ";Text2=commented out\r\n"
    "Url=a=b\r\n"
    "[main]\r\n"
    "Text2=in a repeated section\r\n"
    "[Info]\r\n"
    "Name = Sample\r\n"
    "\r\n"
    "Bare line\n";

}  // namespace

TEST(PrivateProfile, ReadsValuesLikeThePlatform) {
    const PrivateProfile ini = PrivateProfile::fromData(kIni);
    auto read = [&](const char *key) { return ini.readString("MAIN", key, "def", 3000); };
    EXPECT_EQ(read("text1"), "English - Tamsen");
    EXPECT_EQ(read(" Text1 "), "English - Tamsen");
    EXPECT_EQ(read("Quoted"), "  kept blanks  ");
    EXPECT_EQ(read("Single"), "x");
    EXPECT_EQ(read("Mixed"), "\"x'");
    EXPECT_EQ(read("Lone"), "\"");
    EXPECT_EQ(read("Url"), "a=b");
    EXPECT_EQ(read("Empty"), "");        // present but empty: not the default
    EXPECT_EQ(read("NoEquals"), "def");  // a line without '=' holds no value
    EXPECT_EQ(read("Text2"), "def");     // commented out; only the first [Main] counts
    EXPECT_EQ(read("key"), "def");       // lines before any section belong to none
    EXPECT_EQ(ini.readString("Nowhere", "Text1", "def  ", 3000), "def");
    EXPECT_EQ(ini.readString("Info", "name", "", 3000), "Sample");
}

TEST(PrivateProfile, CutsToTheBuffer) {
    const QByteArray longValue(5000, 'v');
    const PrivateProfile ini = PrivateProfile::fromData("[Main]\nLong=" + longValue + "\n");
    EXPECT_EQ(ini.readString("Main", "Long", "", 3000).size(), 2999);
    EXPECT_EQ(ini.readString("Main", "Missing", "abcdef", 4), "abc");
    EXPECT_EQ(ini.readString("Main", "Long", "", 0), "");
}

TEST(PrivateProfile, ReadsWholeSections) {
    const PrivateProfile ini = PrivateProfile::fromData(kIni);
    EXPECT_EQ(ini.readSection("info"), (QStringList{"Name=Sample", "Bare line"}));
    const QString nul(QChar(0));
    const QString block = "Name=Sample" + nul + "Bare line" + nul;
    EXPECT_EQ(ini.readSectionNulSeparated("INFO", 3000), block);
    EXPECT_EQ(ini.readSectionNulSeparated("INFO", block.size() + 1), block);
    EXPECT_EQ(ini.readSectionNulSeparated("INFO", block.size()), block.left(block.size() - 2));
    EXPECT_EQ(ini.readSectionNulSeparated("INFO", 1), "");
    EXPECT_EQ(ini.readSection("main").size(), 9);
}

TEST(PrivateProfile, ReadsFilesInEightBitOrUtfAndMissingOnesGiveDefaults) {
    const PrivateProfile missing(QStringLiteral("/nonexistent/folder/config.ini"));
    EXPECT_EQ(missing.readString("Main", "Text1", "English - Tamsen", 3000), "English - Tamsen");
    EXPECT_TRUE(missing.readSection("Main").isEmpty());
    EXPECT_EQ(missing.readSectionNulSeparated("Main", 3000), "");

    QTemporaryDir dir;
    QFile file(dir.filePath("config.ini"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        "[Main]\nName=Fran\xE7"
        "ais\n");
    file.close();
    EXPECT_EQ(PrivateProfile(file.fileName()).readString("Main", "Name", "", 100),
              QString::fromUtf8("Français"));

    const PrivateProfile utf8 = PrivateProfile::fromData(
        "\xEF\xBB\xBF[Main]\nName=Fran\xC3\xA7"
        "ais\n");
    EXPECT_EQ(utf8.readString("Main", "Name", "", 100), QString::fromUtf8("Français"));

    const QString text = QString::fromUtf8("[Main]\nName=Français\n");
    QByteArray utf16("\xFF\xFE");
    utf16.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    EXPECT_EQ(PrivateProfile::fromData(utf16).readString("main", "name", "", 100),
              QString::fromUtf8("Français"));
}
