#include <gtest/gtest.h>

#include "translationbuilder.h"
#include "versetextfile.h"

#include "datakittestsupport.h"

using namespace varnelo;

namespace {

// Sura 112 (4 verses) and sura 1 (7 verses), in mixed order.
QByteArray twoSuraText() {
    return "112|2|Allah, the Eternal Refuge.\n"
           "1|1|In the name of Allah\n"
           "112|1|Say, He is Allah, One.\r\n"
           "# a comment line\n"
           "\n"
           "1|2|Praise\n1|3|Merciful\n1|4|Sovereign\n1|5|You we worship\n1|6|Guide us\n"
           "1|7|The path\n"
           "112|3|He neither begets nor is born,\n"
           "112|4|Nor is there to Him any equivalent. | with a bar\n";
}

}  // namespace

TEST(VerseTextFile, ReadsTwoSurasInAnyOrder) {
    const VerseTextFile text = parseVerseText(twoSuraText(), "in.txt");
    ASSERT_EQ(text.error, QString());
    ASSERT_EQ(text.suras.keys(), (QList<int>{1, 112}));
    EXPECT_EQ(text.suras[112].size(), 4);
    EXPECT_EQ(text.suras[112][0], "Say, He is Allah, One.");
    EXPECT_EQ(text.suras[112][3], "Nor is there to Him any equivalent. | with a bar");
    EXPECT_EQ(text.suras[1][6], "The path");
    EXPECT_EQ(numberedVerseCount(2), 286);
    EXPECT_EQ(numberedVerseCount(9), 129);
    EXPECT_EQ(verseIndexOf(1, 1), 0);
    EXPECT_EQ(verseIndexOf(2, 1), 1);
    // A byte order mark is skipped.
    EXPECT_EQ(parseVerseText("\xEF\xBB\xBF"
                             "112|1|a\n112|2|b\n112|3|c\n112|4|d",
                             "in.txt")
                  .suras[112],
              (QStringList{"a", "b", "c", "d"}));
}

TEST(VerseTextFile, BadInputNamesTheLine) {
    const auto errorOf = [](const QByteArray &bytes) {
        return parseVerseText(bytes, "in.txt").error;
    };
    EXPECT_EQ(errorOf(""), "in.txt: the file is empty");
    EXPECT_EQ(errorOf("\n  \n"), "in.txt: the file is empty");
    EXPECT_EQ(errorOf("112|1|a\n112|5|e\n"),
              "in.txt:2: sura 112 has no verse 5 (it has verses 1-4)");
    EXPECT_EQ(errorOf("112|0|a\n"), "in.txt:1: sura 112 has no verse 0 (it has verses 1-4)");
    EXPECT_EQ(errorOf("115|1|a\n"), "in.txt:1: sura 115 is out of range 1-114");
    EXPECT_EQ(errorOf("112|1|a\n112|x|b\n"), "in.txt:2: sura and verse must be numbers");
    EXPECT_EQ(errorOf("112 1 a\n"), "in.txt:1: expected sura|verse|text");
    EXPECT_EQ(errorOf("112|1|ok\n112|2|caf\xE9\n"), "in.txt:2: not UTF-8 text");
    EXPECT_EQ(errorOf("112|1|a\n112|2|b\n112|1|c\n"),
              "in.txt:3: verse 112:1 is given again (first on line 1)");
    EXPECT_EQ(errorOf("112|1|a\n112|2|b\n112|4|d\n"), "in.txt: 1 verse(s) missing: 112:3");
    EXPECT_EQ(errorOf("# only a comment\n"), "in.txt: no verse lines in the file");
}

TEST(TranslationBuilder, UnicodeArchiveRoundTrips) {
    const VerseTextFile text = parseVerseText(twoSuraText(), "in.txt");
    TranslationOptions o;
    o.IsRTL = true;
    o.ButtonCaption = "Mine";
    o.Font = "Amiri";
    o.info = {{"Updated", "2026-12-06"}};
    const TranslationResult built = buildTranslation(text, o);
    ASSERT_EQ(built.error, QString());
    QTemporaryDir dir;
    const QString path = dir.filePath("mine.dat");
    ASSERT_EQ(built.archive.write(path), QString());

    const auto lines = [&](const QString &member) {
        const QByteArray b = test::extracted(path, member, dir);
        return QString::fromUtf16(reinterpret_cast<const char16_t *>(b.constData()), b.size() / 2)
            .split(u'\n');
    };
    // Line N is verse N; sura 1 starts at verse 2 because verse 1 is its opening record.
    EXPECT_EQ(lines("112.txt"), text.suras[112]);
    EXPECT_EQ(lines("001.txt"), text.suras[1].mid(1));
    EXPECT_EQ(lines("bismi1.txt"), QStringList{"In the name of Allah"});
    EXPECT_EQ(lines("bismi.txt"), QStringList{"In the name of Allah"});
    const QByteArray ini = test::extracted(path, "config.ini", QTemporaryDir());
    EXPECT_TRUE(ini.contains("IsUnicode=true\r\n"));
    EXPECT_TRUE(ini.contains("IsRTL=true\r\n"));
    EXPECT_TRUE(ini.contains("ButtonCaption=Mine\r\n"));
    EXPECT_FALSE(ini.contains("WindowCaption="));
    EXPECT_TRUE(ini.contains("Font=Amiri\r\n"));
    EXPECT_TRUE(ini.contains("[info]\r\nUpdated=2026-12-06\r\n"));
}

TEST(TranslationBuilder, AnsiArchiveIsLatin1AndRefusesOtherLetters) {
    VerseTextFile text = parseVerseText("112|1|Sag\xC3\xA9\n112|2|b\n112|3|c\n112|4|d\n", "x");
    TranslationOptions o;
    o.IsUnicode = false;
    o.bismi = "NA";
    TranslationResult built = buildTranslation(text, o);
    ASSERT_EQ(built.error, QString());
    QTemporaryDir dir;
    ASSERT_EQ(built.archive.write(dir.filePath("t.dat")), QString());
    EXPECT_EQ(test::extracted(dir.filePath("t.dat"), "112.txt", dir), "Sag\xE9\nb\nc\nd");
    EXPECT_EQ(test::extracted(dir.filePath("t.dat"), "bismi.txt", dir), "NA");

    text.suras[112][2] = QString::fromUtf8("\xD9\x82\xD9\x84");
    built = buildTranslation(text, o);
    EXPECT_EQ(
        built.error,
        "verse 112:3 has characters outside code page 1252; build it as a Unicode translation");
    EXPECT_TRUE(built.archive.isEmpty());
}

TEST(TranslationBuilder, FailedWriteLeavesTheOldArchive) {
    QTemporaryDir dir;
    const QString path = dir.filePath("t.dat");
    test::writeFile(path, "previous archive");
    ArchiveBuilder archive;
    archive.addMember("bad:name", "x", true);
    EXPECT_FALSE(archive.write(path).isEmpty());
    EXPECT_EQ(test::fileBytes(path), "previous archive");
    EXPECT_FALSE(ArchiveBuilder().write(dir.filePath("missing/folder/t.dat")).isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath("missing/folder/t.dat")));
}
