#include "data/suracatalogue.h"

#include <QFileInfo>

namespace varnelo {

const std::array<qint16, SuraCount + 1> VerseCounts = {
    0,   7,   287, 201, 177, 121, 166, 207, 76, 129, 110,  // 1-10
    124, 112, 44,  53,  100, 129, 112, 111, 99, 136,       // 11-20
    113, 79,  119, 65,  78,  228, 94,  89,  70, 61,        // 21-30
    35,  31,  74,  55,  46,  84,  183, 89,  76, 86,        // 31-40
    55,  54,  90,  60,  38,  36,  39,  30,  19, 46,        // 41-50
    61,  50,  63,  56,  79,  97,  30,  23,  25, 14,        // 51-60
    15,  12,  12,  19,  13,  13,  31,  53,  53, 45,        // 61-70
    29,  29,  21,  57,  41,  32,  51,  41,  47, 43,        // 71-80
    30,  20,  37,  26,  23,  18,  20,  27,  31, 21,        // 81-90
    16,  22,  12,  9,   9,   20,  6,   9,   9,  12,        // 91-100
    12,  9,   4,   10,  6,   5,   8,   4,   7,  4,         // 101-110
    6,   5,   6,   7,                                      // 111-114
};

namespace {

// The list texts are part of the window's definition; five of them end in a blank.
const char *const kSuraListTexts[SuraCount] = {
    "1. AL-FATIHA",      "2. AL-BAQARA",
    "3. AAL-E-IMRAN",    "4. AN-NISA",
    "5. AL-MAEDA",       "6. AL-ANAAM",
    "7. AL-ARAF",        "8. AL-ANFAL",
    "9. AT-TAWBA",       "10. YUNUS",
    "11. HUD",           "12. YUSUF",
    "13. AR-RAD",        "14. IBRAHIM",
    "15. AL-HIJR",       "16. AN-NAHL",
    "17. AL-ISRA",       "18. AL-KAHF",
    "19. MARYAM",        "20. TA-HA",
    "21. AL-ANBIYA",     "22. AL-HAJJ",
    "23. AL-MUMENOON",   "24. AN-NOOR",
    "25. AL-FURQAN",     "26. ASH-SHUARA",
    "27. AN-NAML",       "28. AL-QASAS",
    "29. AL-ANKABOOT",   "30. AR-ROOM",
    "31. LUQMAN",        "32. AS-SAJDA",
    "33. AL-AHZAB",      "34. SABA",
    "35. FATIR",         "36. YA-SEEN",
    "37. AS-SAAFFAT",    "38. SAD",
    "39. AZ-ZUMAR",      "40. AL-GHAFIR",
    "41. FUSSILAT",      "42. ASH-SHURA",
    "43. AZ-ZUKHRUF",    "44. AD-DUKHAN",
    "45. AL-JATHIYA",    "46. AL-AHQAF",
    "47. MUHAMMAD",      "48. AL-FATH",
    "49. AL-HUJRAAT",    "50. QAF",
    "51. ADH-DHARIYAT",  "52. AT-TUR",
    "53. AN-NAJM",       "54. AL-QAMAR",
    "55. AR-RAHMAN",     "56. AL-WAQIA",
    "57. AL-HADID",      "58. AL-MUJADILA",
    "59. AL-HASHR",      "60. AL-MUMTAHINA",
    "61. AS-SAFF",       "62. AL-JUMUA",
    "63. AL-MUNAFIQOON", "64. AT-TAGHABUN",
    "65. AT-TALAQ",      "66. AT-TAHRIM",
    "67. AL-MULK",       "68. AL-QALAM",
    "69. AL-HAAQQA",     "70. AL-MAARIJ",
    "71. NOOH",          "72. AL-JINN",
    "73. AL-MUZZAMMIL",  "74. AL-MUDDATHTHIR",
    "75. AL-QIYAMA",     "76. AL-INSAN",
    "77. AL-MURSALAT",   "78. AN-NABA",
    "79. AN-NAZIAT",     "80. ABASA",
    "81. AT-TAKWIR",     "82. AL-INFITAR ",
    "83. AL-MUTAFFIFIN", "84. AL-INSHIQAQ",
    "85. AL-BUROOJ",     "86. AT-TARIQ",
    "87. AL-ALA",        "88. AL-GHASHIYA",
    "89. AL-FAJR",       "90. AL-BALAD",
    "91. ASH-SHAMS ",    "92. AL-LAIL",
    "93. AD-DHUHA ",     "94. AL-INSHIRAH",
    "95. AT-TIN",        "96. AL-ALAQ",
    "97. AL-QADR",       "98. AL-BAYYINA",
    "99. AZ-ZALZALA",    "100. AL-ADIYAT ",
    "101. AL-QARIA",     "102. AT-TAKATHUR",
    "103. AL-ASR ",      "104. AL-HUMAZA",
    "105. AL-FIL",       "106. QURAISH",
    "107. AL-MAUN",      "108. AL-KAUTHER",
    "109. AL-KAFIROON",  "110. AN-NASR",
    "111. AL-MASADD",    "112. AL-IKHLAS",
    "113. AL-FALAQ",     "114. AN-NAS",
};

// Image parts per split sura as the last verse index of each part; the parts are lettered
// a, b, c, ... and each starts right after the previous one, the first at index 0.
struct PartRow {
    int sura;
    std::array<qint16, 9> lasts;  // unused trailing elements are 0
};

constexpr PartRow kPartRows[] = {
    {2, {38, 79, 109, 145, 180, 213, 239, 266, 286}},
    {3, {39, 79, 117, 154, 189, 200}},
    {4, {25, 59, 91, 124, 159, 176}},
    {5, {23, 53, 87, 120}},
    {6, {40, 78, 113, 147, 165}},
    {7, {41, 77, 127, 159, 181, 206}},
    {8, {39, 75}},
    {9, {33, 67, 99, 128}},
    {10, {33, 75, 109}},
    {11, {39, 82, 123}},
    {12, {41, 83, 111}},
    {13, {20, 43}},
    {14, {24, 52}},
    {15, {48, 99}},
    {16, {46, 88, 128}},
    {17, {35, 69, 111}},
    {18, {31, 69, 110}},
    {19, {46, 98}},
    {20, {56, 97, 135}},
    {21, {36, 75, 112}},
    {22, {38, 78}},
    {23, {59, 118}},
    {24, {34, 64}},
    {25, {35, 77}},
    {26, {68, 147, 227}},
    {27, {45, 93}},
    {28, {29, 58, 88}},
    {29, {34, 69}},
    {30, {31, 60}},
    {33, {24, 50, 73}},
    {34, {25, 54}},
    {35, {24, 45}},
    {36, {42, 83}},
    {37, {59, 116, 182}},
    {38, {36, 88}},
    {39, {37, 75}},
    {40, {42, 85}},
    {41, {29, 54}},
    {42, {24, 53}},
    {43, {43, 89}},
};

}  // namespace

void FillVerseNo(QList<qint16> &verseCounts) {
    verseCounts = QList<qint16>(VerseCounts.begin(), VerseCounts.end());
}

int verseCountOf(int sura) {
    return sura >= 1 && sura <= SuraCount ? VerseCounts[sura] : 0;
}

bool hasOpeningEntry(int sura) {
    return sura != 1 && sura != 9;
}

const QStringList &SuraListTexts() {
    static const QStringList texts = [] {
        QStringList list;
        list.reserve(SuraCount);
        for (const char *text : kSuraListTexts)
            list.append(QString::fromLatin1(text));
        return list;
    }();
    return texts;
}

QString SuraFileNumber(int sura) {
    const QString number = QString::number(sura);
    if (number.size() == 1)
        return QStringLiteral("00") + number;
    if (number.size() == 2)
        return QLatin1Char('0') + number;
    return number;
}

QList<TextPart> textPartsOf(int sura) {
    QList<TextPart> parts;
    for (const PartRow &row : kPartRows) {
        if (row.sura != sura)
            continue;
        qint16 first = 0;
        for (qsizetype i = 0; i < qsizetype(row.lasts.size()) && row.lasts[i] != 0; ++i) {
            parts.append(TextPart{QString(QChar(u'a' + int(i))), first, row.lasts[i]});
            first = qint16(row.lasts[i] + 1);
        }
        break;
    }
    return parts;
}

void SuraTextParts::FillGifPositions(int sura) {
    m_currentTextPart.clear();
    m_hasTextParts = true;
    const QList<TextPart> parts = textPartsOf(sura);
    if (parts.isEmpty())
        m_hasTextParts = false;  // the previous sura's parts stay; HasTextParts guards them
    else
        m_textParts = parts;
}

std::optional<TextPart> SuraTextParts::partForVerse(int verseIndex) const {
    for (const TextPart &part : m_textParts) {
        if (part.first <= verseIndex && verseIndex <= part.last)
            return part;
    }
    return std::nullopt;
}

QString SuraTextParts::imageMemberName(int sura, const QString &letter) {
    return SuraFileNumber(sura) + letter + QStringLiteral(".vxf");
}

QString mp3FilePath(const QString &mp3Folder, int sura) {
    return mp3Folder + SuraFileNumber(sura) + QStringLiteral(".mp3");
}

QString CheckMp3(const QString &itemText, int sura, const QString &mp3Folder) {
    QString text = itemText;
    text.remove(QLatin1String(Mp3MissingMark));
    if (!QFileInfo(mp3FilePath(mp3Folder, sura)).isFile())
        text += QLatin1String(Mp3MissingMark);
    return text;
}

void CheckMp3(QStringList &itemTexts, const QList<int> &itemSuras, const QString &mp3Folder) {
    const qsizetype count = qMin(itemTexts.size(), itemSuras.size());
    for (qsizetype i = 0; i < count; ++i)
        itemTexts[i] = CheckMp3(itemTexts[i], itemSuras[i], mp3Folder);
}

}  // namespace varnelo
