#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "archivefixture.h"
#include "data/translations.h"
#include "display/clswbproperty.h"
#include "filebytes.h"

using namespace varnelo;
using namespace varnelo::test;

namespace {

QByteArray utf16(const QString &text) {
    return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

class TranslationFolder : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString app() const { return dir.path(); }
    QString temp() const { return dir.filePath("temp"); }
    QString archive(const QString &file) const { return app() + "/data/tdata/" + file; }
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(temp())); }

    // Verse records of a sura whose opening formulas were loaded for windows 2, 3, 4.
    const std::array<OpeningFormulas, 3> formulas = {OpeningFormulas{"b2", "one2"},
                                                     OpeningFormulas{"b3", "one3"},
                                                     OpeningFormulas{"b4", "one4"}};
};

}  // namespace

TEST_F(TranslationFolder, CatalogueRemovesEveryDatAndIgnoresOtherFiles) {
    ASSERT_TRUE(QDir().mkpath(archive("")));
    for (const char *file : {"b.dat", "a.dat.dat", "my.data.dat", "Zeta.dat", "notes.txt"})
        ASSERT_TRUE(writeFileBytes(archive(file), "x"));
    EXPECT_EQ(LoadInstalledTranslations(app()), (QStringList{"a", "b", "mya", "Zeta"}));
    EXPECT_TRUE(LoadInstalledTranslations(app() + "/nowhere").isEmpty());
}

TEST_F(TranslationFolder, ArchiveNamesMatchIgnoringCase) {
    ASSERT_TRUE(writeArchive(archive("english - tamsen.dat"), {{"bismi.txt", "x"}}));
    EXPECT_EQ(translationArchivePath(app(), "English - Tamsen"), archive("english - tamsen.dat"));
    EXPECT_EQ(translationArchivePath(app(), "english - tamsen"), archive("english - tamsen.dat"));
    EXPECT_TRUE(translationArchivePath(app(), "English").isEmpty());
}

TEST_F(TranslationFolder, MetadataComesFromConfigIniWithDefaults) {
    const QByteArray ini =
        "[Main]\r\nIsUnicode=TRUE\r\nIsRTL=2\r\nFont=Caf\xE9\r\n"
        "WindowCaption=Window\r\nMoreInfoAvailable=maybe\r\n"
        "[info]\r\nUpdated=2020\r\nBy=someone\r\n";
    ASSERT_TRUE(writeArchive(archive("Uni.dat"),
                             {{"config.ini", ini}, {"bismi.txt", utf16("NA opening")}}));
    TranslationFields f;
    f.BismiText = "old";
    LoadTransNameFields(app(), temp(), "Uni", f);
    EXPECT_TRUE(f.IsUnicode);
    EXPECT_TRUE(f.IsRTL);
    EXPECT_FALSE(f.MoreInfoAvailable);
    EXPECT_EQ(f.ButtonCaption, "Uni");
    EXPECT_EQ(f.WindowCaption, "Window");
    EXPECT_EQ(f.FontFace, QString::fromUtf8("Caf\xC3\xA9"));
    EXPECT_EQ(f.InfoSection, QString("Updated=2020") + QChar(0) + "By=someone" + QChar(0));
    // A Unicode formula starting with "NA" is kept; bismi1.txt is missing, so it is copied.
    EXPECT_EQ(f.BismiText, "NA opening");
    EXPECT_EQ(f.Bismi1Text, "NA opening");
    EXPECT_TRUE(QDir(temp()).isEmpty());
}

TEST_F(TranslationFolder, WithoutConfigIniTheNameIsTheCaption) {
    ASSERT_TRUE(writeArchive(archive("plain.dat"),
                             {{"bismi.txt", "NAME"}, {"bismi1.txt", "In the name \x96 1"}}));
    TranslationFields f;
    f.IsUnicode = f.IsRTL = true;
    f.FontFace = "Old";
    f.InfoSection = "kept";
    LoadTransNameFields(app(), temp(), "plain", f);
    EXPECT_FALSE(f.IsUnicode);
    EXPECT_FALSE(f.IsRTL);
    EXPECT_EQ(f.ButtonCaption, "plain");
    EXPECT_EQ(f.WindowCaption, "plain");
    EXPECT_TRUE(f.FontFace.isEmpty());
    EXPECT_EQ(f.InfoSection, "kept");
    EXPECT_TRUE(f.BismiText.isEmpty());  // ANSI "NA..." means no formula
    EXPECT_EQ(f.Bismi1Text, QString::fromUtf8("In the name \xE2\x80\x93 1"));

    // A translation without an archive changes nothing.
    TranslationFields before = f;
    LoadTransNameFields(app(), temp(), "absent", f);
    EXPECT_EQ(f.ButtonCaption, before.ButtonCaption);
    EXPECT_EQ(f.Bismi1Text, before.Bismi1Text);
}

TEST_F(TranslationFolder, PageBuilderLoadsThroughItsHooksOncePerName) {
    ASSERT_TRUE(writeArchive(
        archive("english - tamsen.dat"),
        {{"config.ini", "[Main]\nButtonCaption=Tamsen\n"}, {"bismi.txt", "In the name"}}));
    clsWBProperty page;
    bindTranslationLoaders(page, app(), temp());
    page.setTransName("English - Tamsen");
    EXPECT_EQ(page.ButtonCaption, "Tamsen");
    EXPECT_EQ(page.WindowCaption, "English - Tamsen");
    EXPECT_EQ(page.BismiText, "In the name");
    EXPECT_EQ(page.Bismi1Text, "In the name");
    page.ButtonCaption = "edited";
    page.setTransName("English - Tamsen");
    EXPECT_EQ(page.ButtonCaption, "edited");
    page.BismiText.clear();
    page.LoadBismi();
    EXPECT_EQ(page.BismiText, "In the name");
}

TEST_F(TranslationFolder, SuraTextFillsRecordsByTheOpeningRules) {
    ASSERT_TRUE(writeArchive(
        archive("t.dat"),
        {{"001.txt", "v1\r\nv2\nv3\n"}, {"002.txt", "a\nb\nc\nd\ne"}, {"009.txt", "n1\nn2"}}));
    QList<VerseTime> rows(3);
    EXPECT_TRUE(
        LoadTranslation(app(), temp(), "t", 3, "001.txt", false, 1, formulas, rows).isEmpty());
    EXPECT_EQ(rows[0].texts, (std::array<QString, 3>{"one2", "one3", "one4"}));
    EXPECT_EQ(rows[1].text(3), "v1\r");  // the carriage return stays with the verse
    EXPECT_EQ(rows[2].text(3), "v2");
    EXPECT_TRUE(rows[1].text(2).isEmpty());

    // More lines than records: the rest is ignored.
    rows = QList<VerseTime>(3);
    LoadTranslation(app(), temp(), "t", 4, "002.txt", false, 2, formulas, rows);
    EXPECT_EQ(rows[0].texts, (std::array<QString, 3>{"b2", "b3", "b4"}));
    EXPECT_EQ(rows[2].text(4), "b");

    // Sura 9 has no opening record and leaves record 0 of other windows alone; lines missing at
    // the end leave empty texts rather than the previous translation's.
    rows = QList<VerseTime>(3);
    rows[0].text(2) = "keep";
    rows[2].text(4) = "stale";
    LoadTranslation(app(), temp(), "t", 4, "009.txt", false, 9, formulas, rows);
    EXPECT_EQ(rows[0].text(4), "n1");
    EXPECT_EQ(rows[0].text(2), "keep");
    EXPECT_EQ(rows[1].text(4), "n2");
    EXPECT_TRUE(rows[2].text(4).isEmpty());
    EXPECT_TRUE(QDir(temp()).isEmpty());
}

TEST_F(TranslationFolder, UnicodeSuraTextAndMissingMembers) {
    ASSERT_TRUE(writeArchive(archive("u.dat"),
                             {{"002.txt", utf16(QString::fromUtf8("\xD8\xA7\n\xD8\xA8\n"))}}));
    QList<VerseTime> rows(3);
    EXPECT_TRUE(
        LoadTranslation(app(), temp(), "U", 2, "002.txt", true, 2, formulas, rows).isEmpty());
    EXPECT_EQ(rows[1].text(2), QString::fromUtf8("\xD8\xA7"));
    EXPECT_EQ(rows[2].text(2), QString::fromUtf8("\xD8\xA8"));

    const QString noMember =
        LoadTranslation(app(), temp(), "u", 2, "003.txt", true, 3, formulas, rows);
    EXPECT_TRUE(noMember.contains("003.txt")) << noMember.toStdString();
    EXPECT_TRUE(rows[1].text(2).isEmpty());
    const QString noArchive =
        LoadTranslation(app(), temp(), "gone", 2, "003.txt", true, 3, formulas, rows);
    EXPECT_TRUE(noArchive.contains("gone")) << noArchive.toStdString();
}
