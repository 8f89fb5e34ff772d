#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
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

namespace {

// The catalogue as published with the data, typed out in full so every value is pinned.
const char kListTexts[] =
    R"("1. AL-FATIHA", "2. AL-BAQARA", "3. AAL-E-IMRAN", "4. AN-NISA", "5. AL-MAEDA",
"6. AL-ANAAM", "7. AL-ARAF", "8. AL-ANFAL", "9. AT-TAWBA", "10. YUNUS", "11. HUD",
"12. YUSUF", "13. AR-RAD", "14. IBRAHIM", "15. AL-HIJR", "16. AN-NAHL", "17. AL-ISRA",
"18. AL-KAHF", "19. MARYAM", "20. TA-HA", "21. AL-ANBIYA", "22. AL-HAJJ",
"23. AL-MUMENOON", "24. AN-NOOR", "25. AL-FURQAN", "26. ASH-SHUARA", "27. AN-NAML",
"28. AL-QASAS", "29. AL-ANKABOOT", "30. AR-ROOM", "31. LUQMAN", "32. AS-SAJDA",
"33. AL-AHZAB", "34. SABA", "35. FATIR", "36. YA-SEEN", "37. AS-SAAFFAT", "38. SAD",
"39. AZ-ZUMAR", "40. AL-GHAFIR", "41. FUSSILAT", "42. ASH-SHURA", "43. AZ-ZUKHRUF",
"44. AD-DUKHAN", "45. AL-JATHIYA", "46. AL-AHQAF", "47. MUHAMMAD", "48. AL-FATH",
"49. AL-HUJRAAT", "50. QAF", "51. ADH-DHARIYAT", "52. AT-TUR", "53. AN-NAJM",
"54. AL-QAMAR", "55. AR-RAHMAN", "56. AL-WAQIA", "57. AL-HADID", "58. AL-MUJADILA",
"59. AL-HASHR", "60. AL-MUMTAHINA", "61. AS-SAFF", "62. AL-JUMUA", "63. AL-MUNAFIQOON",
"64. AT-TAGHABUN", "65. AT-TALAQ", "66. AT-TAHRIM", "67. AL-MULK", "68. AL-QALAM",
"69. AL-HAAQQA", "70. AL-MAARIJ", "71. NOOH", "72. AL-JINN", "73. AL-MUZZAMMIL",
"74. AL-MUDDATHTHIR", "75. AL-QIYAMA", "76. AL-INSAN", "77. AL-MURSALAT", "78. AN-NABA",
"79. AN-NAZIAT", "80. ABASA", "81. AT-TAKWIR", "82. AL-INFITAR ", "83. AL-MUTAFFIFIN",
"84. AL-INSHIQAQ", "85. AL-BUROOJ", "86. AT-TARIQ", "87. AL-ALA", "88. AL-GHASHIYA",
"89. AL-FAJR", "90. AL-BALAD", "91. ASH-SHAMS ", "92. AL-LAIL", "93. AD-DHUHA ",
"94. AL-INSHIRAH", "95. AT-TIN", "96. AL-ALAQ", "97. AL-QADR", "98. AL-BAYYINA",
"99. AZ-ZALZALA", "100. AL-ADIYAT ", "101. AL-QARIA", "102. AT-TAKATHUR", "103. AL-ASR ",
"104. AL-HUMAZA", "105. AL-FIL", "106. QURAISH", "107. AL-MAUN", "108. AL-KAUTHER",
"109. AL-KAFIROON", "110. AN-NASR", "111. AL-MASADD", "112. AL-IKHLAS", "113. AL-FALAQ",
"114. AN-NAS")";
const char kVerseRows[] = R"(1-10 | 7, 287, 201, 177, 121, 166, 207, 76, 129, 110
11-20 | 124, 112, 44, 53, 100, 129, 112, 111, 99, 136
21-30 | 113, 79, 119, 65, 78, 228, 94, 89, 70, 61
31-40 | 35, 31, 74, 55, 46, 84, 183, 89, 76, 86
41-50 | 55, 54, 90, 60, 38, 36, 39, 30, 19, 46
51-60 | 61, 50, 63, 56, 79, 97, 30, 23, 25, 14
61-70 | 15, 12, 12, 19, 13, 13, 31, 53, 53, 45
71-80 | 29, 29, 21, 57, 41, 32, 51, 41, 47, 43
81-90 | 30, 20, 37, 26, 23, 18, 20, 27, 31, 21
91-100 | 16, 22, 12, 9, 9, 20, 6, 9, 9, 12
101-110 | 12, 9, 4, 10, 6, 5, 8, 4, 7, 4
111-114 | 6, 5, 6, 7)";
const char kPartRows[] =
    R"(2 | a 0-38, b 39-79, c 80-109, d 110-145, e 146-180, f 181-213, g 214-239, h 240-266, i 267-286
3 | a 0-39, b 40-79, c 80-117, d 118-154, e 155-189, f 190-200
4 | a 0-25, b 26-59, c 60-91, d 92-124, e 125-159, f 160-176
5 | a 0-23, b 24-53, c 54-87, d 88-120
6 | a 0-40, b 41-78, c 79-113, d 114-147, e 148-165
7 | a 0-41, b 42-77, c 78-127, d 128-159, e 160-181, f 182-206
8 | a 0-39, b 40-75
9 | a 0-33, b 34-67, c 68-99, d 100-128
10 | a 0-33, b 34-75, c 76-109
11 | a 0-39, b 40-82, c 83-123
12 | a 0-41, b 42-83, c 84-111
13 | a 0-20, b 21-43
14 | a 0-24, b 25-52
15 | a 0-48, b 49-99
16 | a 0-46, b 47-88, c 89-128
17 | a 0-35, b 36-69, c 70-111
18 | a 0-31, b 32-69, c 70-110
19 | a 0-46, b 47-98
20 | a 0-56, b 57-97, c 98-135
21 | a 0-36, b 37-75, c 76-112
22 | a 0-38, b 39-78
23 | a 0-59, b 60-118
24 | a 0-34, b 35-64
25 | a 0-35, b 36-77
26 | a 0-68, b 69-147, c 148-227
27 | a 0-45, b 46-93
28 | a 0-29, b 30-58, c 59-88
29 | a 0-34, b 35-69
30 | a 0-31, b 32-60
33 | a 0-24, b 25-50, c 51-73
34 | a 0-25, b 26-54
35 | a 0-24, b 25-45
36 | a 0-42, b 43-83
37 | a 0-59, b 60-116, c 117-182
38 | a 0-36, b 37-88
39 | a 0-37, b 38-75
40 | a 0-42, b 43-85
41 | a 0-29, b 30-54
42 | a 0-24, b 25-53
43 | a 0-43, b 44-89)";

}  // namespace

TEST(SuraCatalogue, EveryTextCountAndPartAsPublished) {
    QStringList texts;
    const QRegularExpression quoted(QStringLiteral("\"([^\"]*)\""));
    for (const auto &match : quoted.globalMatch(QString::fromLatin1(kListTexts)))
        texts.append(match.captured(1));
    ASSERT_EQ(texts.size(), SuraCount);
    ASSERT_EQ(SuraListTexts().size(), SuraCount);
    for (int i = 0; i < SuraCount; ++i)
        EXPECT_EQ(SuraListTexts()[i].toStdString(), texts[i].toStdString());

    QList<int> counts{0};
    for (const QString &row : QString::fromLatin1(kVerseRows).split('\n')) {
        const QStringList sides = row.split(QStringLiteral(" | "));
        ASSERT_EQ(sides.size(), 2) << row.toStdString();
        for (const QString &count : sides[1].split(QStringLiteral(", ")))
            counts.append(count.toInt());
        EXPECT_EQ(counts.size() - 1, sides[0].section('-', 1).toInt()) << row.toStdString();
    }
    ASSERT_EQ(counts.size(), SuraCount + 1);
    for (int sura = 1; sura <= SuraCount; ++sura)
        EXPECT_EQ(VerseCounts[sura], counts[sura]) << "sura " << sura;

    // Each sura's parts written the way the rows write them; "" for a sura without parts.
    QStringList rows(SuraCount + 1);
    for (const QString &row : QString::fromLatin1(kPartRows).split('\n'))
        rows[row.section(QStringLiteral(" | "), 0, 0).toInt()] =
            row.section(QStringLiteral(" | "), 1);
    for (int sura = 1; sura <= SuraCount; ++sura) {
        QStringList parts;
        for (const TextPart &part : textPartsOf(sura))
            parts.append(
                QStringLiteral("%1 %2-%3").arg(part.letter).arg(part.first).arg(part.last));
        EXPECT_EQ(parts.join(QStringLiteral(", ")).toStdString(), rows[sura].toStdString())
            << "sura " << sura;
    }
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
