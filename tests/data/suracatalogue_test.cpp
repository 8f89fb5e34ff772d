#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <numeric>

#include "data/suracatalogue.h"

using namespace varnelo;

TEST(SuraCatalogue, VerseCountsTable) {
    EXPECT_EQ(std::accumulate(VerseCounts.begin(), VerseCounts.end(), 0), 6348);
    EXPECT_EQ(VerseCounts[0], 0);
    EXPECT_EQ(VerseCounts[1], 7);
    EXPECT_EQ(VerseCounts[2], 287);
    EXPECT_EQ(VerseCounts[9], 129);
    EXPECT_EQ(VerseCounts[26], 228);
    EXPECT_EQ(VerseCounts[114], 7);
    EXPECT_EQ(verseCountOf(0), 0);
    EXPECT_EQ(verseCountOf(115), 0);

    QList<qint16> filled{1, 2, 3};
    FillVerseNo(filled);
    ASSERT_EQ(filled.size(), 115);
    EXPECT_EQ(filled[2], 287);
}

TEST(SuraCatalogue, ListTexts) {
    const QStringList &texts = SuraListTexts();
    ASSERT_EQ(texts.size(), SuraCount);
    EXPECT_EQ(texts.first(), "1. AL-FATIHA");
    EXPECT_EQ(texts.last(), "114. AN-NAS");
    EXPECT_EQ(texts[81], "82. AL-INFITAR ");
    QList<int> withBlank;
    for (int i = 0; i < texts.size(); ++i) {
        EXPECT_TRUE(texts[i].startsWith(QString::number(i + 1) + ". ")) << i;
        if (texts[i].endsWith(' '))
            withBlank.append(i + 1);
    }
    EXPECT_EQ(withBlank, (QList<int>{82, 91, 93, 100, 103}));
}

TEST(SuraCatalogue, SuraFileNumber) {
    EXPECT_EQ(SuraFileNumber(1), "001");
    EXPECT_EQ(SuraFileNumber(44), "044");
    EXPECT_EQ(SuraFileNumber(114), "114");
}

TEST(SuraCatalogue, PartsCoverEverySplitSura) {
    int split = 0;
    for (int sura = 1; sura <= SuraCount; ++sura) {
        const QList<TextPart> parts = textPartsOf(sura);
        if (parts.isEmpty())
            continue;
        ++split;
        EXPECT_EQ(parts.first().first, 0) << sura;
        EXPECT_EQ(parts.last().last, VerseCounts[sura] - 1) << sura;
        for (qsizetype i = 1; i < parts.size(); ++i)
            EXPECT_EQ(parts[i].first, parts[i - 1].last + 1) << sura;
    }
    EXPECT_EQ(split, 40);
    EXPECT_TRUE(textPartsOf(1).isEmpty());
    EXPECT_TRUE(textPartsOf(31).isEmpty());
    EXPECT_TRUE(textPartsOf(44).isEmpty());
    EXPECT_EQ(textPartsOf(2).size(), 9);
    EXPECT_EQ(textPartsOf(43).last(), (TextPart{"b", 44, 89}));
}

TEST(SuraTextParts, LookupAndSuraChange) {
    SuraTextParts parts;
    parts.FillGifPositions(2);
    EXPECT_TRUE(parts.HasTextParts());
    EXPECT_EQ(parts.partForVerse(40)->letter, "b");
    EXPECT_EQ(parts.partForVerse(38)->letter, "a");
    EXPECT_EQ(parts.partForVerse(286)->letter, "i");
    EXPECT_FALSE(parts.partForVerse(287).has_value());
    parts.setCurrentTextPart("b");

    parts.FillGifPositions(9);
    EXPECT_EQ(parts.CurrentTextPart(), "");
    EXPECT_EQ(parts.partForVerse(128)->letter, "d");
    parts.setCurrentTextPart("d");

    // A sura shown as one image keeps the previous table; HasTextParts tells the two apart.
    parts.FillGifPositions(44);
    EXPECT_FALSE(parts.HasTextParts());
    EXPECT_EQ(parts.CurrentTextPart(), "");
    EXPECT_EQ(parts.TextParts(), textPartsOf(9));
    EXPECT_EQ(SuraTextParts::imageMemberName(44, ""), "044.vxf");
    EXPECT_EQ(SuraTextParts::imageMemberName(2, "b"), "002b.vxf");
}

TEST(SuraCatalogue, CheckMp3MarksAndUnmarks) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.path() + '/';

    QStringList texts = SuraListTexts();
    QList<int> suras;
    for (int i = 1; i <= SuraCount; ++i)
        suras.append(i);

    CheckMp3(texts, suras, folder);
    CheckMp3(texts, suras, folder);
    for (const QString &text : texts) {
        EXPECT_TRUE(text.endsWith(" (mp3 missing)")) << text.toStdString();
        EXPECT_EQ(text.count("(mp3 missing)"), 1) << text.toStdString();
    }
    EXPECT_EQ(texts[81], "82. AL-INFITAR  (mp3 missing)");

    QFile mp3(folder + "082.mp3");
    ASSERT_TRUE(mp3.open(QIODevice::WriteOnly));
    mp3.close();
    ASSERT_TRUE(QDir(folder).mkdir("001.mp3"));  // a folder is no recitation file

    CheckMp3(texts, suras, folder);
    EXPECT_EQ(texts[81], "82. AL-INFITAR ");
    EXPECT_EQ(texts[0], "1. AL-FATIHA (mp3 missing)");
    EXPECT_EQ(texts[1], "2. AL-BAQARA (mp3 missing)");

    // An unreadable or absent folder only marks.
    EXPECT_EQ(CheckMp3("5. AL-MAEDA", 5, "/nonexistent/folder/"), "5. AL-MAEDA (mp3 missing)");
}
