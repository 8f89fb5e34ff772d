#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <numeric>

#include "data/suracatalogue.h"
#include "filebytes.h"

using namespace varnelo;

namespace {

// The catalogue as published with the data, typed out in full so every value is pinned. The names
// keep their published trailing blanks.
const char kNames[] =
    "AL-FATIHA,AL-BAQARA,AAL-E-IMRAN,AN-NISA,AL-MAEDA,AL-ANAAM,AL-ARAF,AL-ANFAL,AT-TAWBA,YUNUS,"
    "HUD,YUSUF,AR-RAD,IBRAHIM,AL-HIJR,AN-NAHL,AL-ISRA,AL-KAHF,MARYAM,TA-HA,AL-ANBIYA,AL-HAJJ,"
    "AL-MUMENOON,AN-NOOR,AL-FURQAN,ASH-SHUARA,AN-NAML,AL-QASAS,AL-ANKABOOT,AR-ROOM,LUQMAN,"
    "AS-SAJDA,AL-AHZAB,SABA,FATIR,YA-SEEN,AS-SAAFFAT,SAD,AZ-ZUMAR,AL-GHAFIR,FUSSILAT,ASH-SHURA,"
    "AZ-ZUKHRUF,AD-DUKHAN,AL-JATHIYA,AL-AHQAF,MUHAMMAD,AL-FATH,AL-HUJRAAT,QAF,ADH-DHARIYAT,"
    "AT-TUR,AN-NAJM,AL-QAMAR,AR-RAHMAN,AL-WAQIA,AL-HADID,AL-MUJADILA,AL-HASHR,AL-MUMTAHINA,"
    "AS-SAFF,AL-JUMUA,AL-MUNAFIQOON,AT-TAGHABUN,AT-TALAQ,AT-TAHRIM,AL-MULK,AL-QALAM,AL-HAAQQA,"
    "AL-MAARIJ,NOOH,AL-JINN,AL-MUZZAMMIL,AL-MUDDATHTHIR,AL-QIYAMA,AL-INSAN,AL-MURSALAT,AN-NABA,"
    "AN-NAZIAT,ABASA,AT-TAKWIR,AL-INFITAR ,AL-MUTAFFIFIN,AL-INSHIQAQ,AL-BUROOJ,AT-TARIQ,AL-ALA,"
    "AL-GHASHIYA,AL-FAJR,AL-BALAD,ASH-SHAMS ,AL-LAIL,AD-DHUHA ,AL-INSHIRAH,AT-TIN,AL-ALAQ,"
    "AL-QADR,AL-BAYYINA,AZ-ZALZALA,AL-ADIYAT ,AL-QARIA,AT-TAKATHUR,AL-ASR ,AL-HUMAZA,AL-FIL,"
    "QURAISH,AL-MAUN,AL-KAUTHER,AL-KAFIROON,AN-NASR,AL-MASADD,AL-IKHLAS,AL-FALAQ,AN-NAS";
const std::array<int, SuraCount + 1> kVerseCounts = {
    0,   7,   287, 201, 177, 121, 166, 207, 76, 129, 110, 124, 112, 44, 53, 100, 129, 112, 111, 99,
    136, 113, 79,  119, 65,  78,  228, 94,  89, 70,  61,  35,  31,  74, 55, 46,  84,  183, 89,  76,
    86,  55,  54,  90,  60,  38,  36,  39,  30, 19,  46,  61,  50,  63, 56, 79,  97,  30,  23,  25,
    14,  15,  12,  12,  19,  13,  13,  31,  53, 53,  45,  29,  29,  21, 57, 41,  32,  51,  41,  47,
    43,  30,  20,  37,  26,  23,  18,  20,  27, 31,  21,  16,  22,  12, 9,  9,   20,  6,   9,   9,
    12,  12,  9,   4,   10,  6,   5,   8,   4,  7,   4,   6,   5,   6,  7};
// Sura:parts as letter first-last; a sura not listed has no parts.
const char kParts[] =
    "2:a0-38 b39-79 c80-109 d110-145 e146-180 f181-213 g214-239 h240-266 i267-286; "
    "3:a0-39 b40-79 c80-117 d118-154 e155-189 f190-200; "
    "4:a0-25 b26-59 c60-91 d92-124 e125-159 f160-176; 5:a0-23 b24-53 c54-87 d88-120; "
    "6:a0-40 b41-78 c79-113 d114-147 e148-165; "
    "7:a0-41 b42-77 c78-127 d128-159 e160-181 f182-206; 8:a0-39 b40-75; "
    "9:a0-33 b34-67 c68-99 d100-128; 10:a0-33 b34-75 c76-109; 11:a0-39 b40-82 c83-123; "
    "12:a0-41 b42-83 c84-111; 13:a0-20 b21-43; 14:a0-24 b25-52; 15:a0-48 b49-99; "
    "16:a0-46 b47-88 c89-128; 17:a0-35 b36-69 c70-111; 18:a0-31 b32-69 c70-110; 19:a0-46 b47-98; "
    "20:a0-56 b57-97 c98-135; 21:a0-36 b37-75 c76-112; 22:a0-38 b39-78; 23:a0-59 b60-118; "
    "24:a0-34 b35-64; 25:a0-35 b36-77; 26:a0-68 b69-147 c148-227; 27:a0-45 b46-93; "
    "28:a0-29 b30-58 c59-88; 29:a0-34 b35-69; 30:a0-31 b32-60; 33:a0-24 b25-50 c51-73; "
    "34:a0-25 b26-54; 35:a0-24 b25-45; 36:a0-42 b43-83; 37:a0-59 b60-116 c117-182; "
    "38:a0-36 b37-88; 39:a0-37 b38-75; 40:a0-42 b43-85; 41:a0-29 b30-54; 42:a0-24 b25-53; "
    "43:a0-43 b44-89";

}  // namespace

TEST(SuraCatalogue, EveryTextCountAndPartAsPublished) {
    const QStringList names = QString::fromLatin1(kNames).split(',');
    ASSERT_EQ(names.size(), SuraCount);
    ASSERT_EQ(SuraListTexts().size(), SuraCount);
    for (int i = 0; i < SuraCount; ++i)
        EXPECT_EQ(SuraListTexts()[i].toStdString(),
                  QStringLiteral("%1. %2").arg(i + 1).arg(names[i]).toStdString());

    EXPECT_EQ(std::accumulate(kVerseCounts.begin(), kVerseCounts.end(), 0), 6348);
    for (int sura = 0; sura <= SuraCount; ++sura) {
        EXPECT_EQ(VerseCounts[sura], kVerseCounts[sura]) << "sura " << sura;
        EXPECT_EQ(verseCountOf(sura), kVerseCounts[sura]) << "sura " << sura;
    }
    EXPECT_EQ(verseCountOf(115), 0);
    QList<qint16> filled{1, 2, 3};
    FillVerseNo(filled);
    EXPECT_EQ(filled, QList<qint16>(VerseCounts.begin(), VerseCounts.end()));

    QStringList written;
    for (int sura = 1; sura <= SuraCount; ++sura) {
        const QList<TextPart> parts = textPartsOf(sura);
        if (parts.isEmpty())
            continue;
        QString row = QString::number(sura) + ':';
        for (const TextPart &part : parts)
            row += QStringLiteral("%1%2-%3 ").arg(part.letter).arg(part.first).arg(part.last);
        written.append(row.chopped(1));
        // The parts tile the sura, so no verse falls between two images.
        EXPECT_EQ(parts.first().first, 0) << sura;
        EXPECT_EQ(parts.last().last, VerseCounts[sura] - 1) << sura;
        for (qsizetype i = 1; i < parts.size(); ++i)
            EXPECT_EQ(parts[i].first, parts[i - 1].last + 1) << sura;
    }
    EXPECT_EQ(written, QString::fromLatin1(kParts).split(QStringLiteral("; ")));
}

TEST(SuraCatalogue, SuraFileNumber) {
    EXPECT_EQ(SuraFileNumber(1), "001");
    EXPECT_EQ(SuraFileNumber(44), "044");
    EXPECT_EQ(SuraFileNumber(114), "114");
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
    QList<int> suras(SuraCount);
    std::iota(suras.begin(), suras.end(), 1);

    CheckMp3(texts, suras, folder);
    CheckMp3(texts, suras, folder);
    for (const QString &text : texts) {
        EXPECT_TRUE(text.endsWith(" (mp3 missing)")) << text.toStdString();
        EXPECT_EQ(text.count("(mp3 missing)"), 1) << text.toStdString();
    }
    EXPECT_EQ(texts[81], "82. AL-INFITAR  (mp3 missing)");

    ASSERT_TRUE(test::writeFileBytes(folder + "082.mp3", {}));
    ASSERT_TRUE(QDir(folder).mkdir("001.mp3"));  // a folder is no recitation file

    CheckMp3(texts, suras, folder);
    EXPECT_EQ(texts[81], "82. AL-INFITAR ");
    EXPECT_EQ(texts[0], "1. AL-FATIHA (mp3 missing)");
    EXPECT_EQ(texts[1], "2. AL-BAQARA (mp3 missing)");

    // An unreadable or absent folder only marks.
    EXPECT_EQ(CheckMp3("5. AL-MAEDA", 5, "/nonexistent/folder/"), "5. AL-MAEDA (mp3 missing)");
}
