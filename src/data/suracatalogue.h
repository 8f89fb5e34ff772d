#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <array>
#include <optional>

namespace varnelo {

inline constexpr int SuraCount = 114;

// The mark CheckMp3 appends to the list text of a sura whose recitation file is missing.
inline constexpr char Mp3MissingMark[] = " (mp3 missing)";

// Verse entries per sura, indexed by sura number 1..114; element 0 is unused and 0.
extern const std::array<qint16, SuraCount + 1> VerseCounts;

// Fills verseCounts, resized to 0..114, with VerseCounts.
void FillVerseNo(QList<qint16> &verseCounts);

// The verse entries of sura (1..114), or 0 outside that range.
int verseCountOf(int sura);

// Whether verse index 0 of sura is the opening formula recited before verse 1, so that index k is
// verse k; in suras 1 and 9 it is not, and index k is verse k + 1.
bool hasOpeningEntry(int sura);

// The sura list texts in sura order ("1. AL-FATIHA" .. "114. AN-NAS"), trailing blanks kept.
const QStringList &SuraListTexts();

// The three-digit stem of every per-sura file name: 1 -> "001", 114 -> "114".
QString SuraFileNumber(int sura);

// One image part of a sura's Arabic text: verse indexes first..last inclusive.
struct TextPart {
    QString letter;
    qint16 first = 0;
    qint16 last = 0;

    bool operator==(const TextPart &) const = default;
};

// The image parts of sura in order, empty for a sura shown as one image (or outside 1..114).
QList<TextPart> textPartsOf(int sura);

// The text-part state of the current sura, as the Arabic page reads it.
class SuraTextParts {
public:
    // Makes sura current: CurrentTextPart becomes "", and TextParts takes the sura's parts. A sura
    // without parts sets HasTextParts False and leaves TextParts as the previous sura left it.
    void FillGifPositions(int sura);

    const QList<TextPart> &TextParts() const { return m_textParts; }
    bool HasTextParts() const { return m_hasTextParts; }
    const QString &CurrentTextPart() const { return m_currentTextPart; }
    void setCurrentTextPart(const QString &letter) { m_currentTextPart = letter; }

    // The first part of TextParts holding verseIndex, or nothing when none does.
    std::optional<TextPart> partForVerse(int verseIndex) const;

    // The archive member of the Arabic text image of sura in part letter ("" = the whole image).
    static QString imageMemberName(int sura, const QString &letter);

private:
    QList<TextPart> m_textParts;
    bool m_hasTextParts = false;
    QString m_currentTextPart;
};

// The path of sura's recitation file: mp3Folder is used as a prefix and ends in a separator.
QString mp3FilePath(const QString &mp3Folder, int sura);

// itemText with every mp3-missing mark removed, then one appended when the recitation file of
// sura is not a file in mp3Folder. Never fails: an unreadable folder counts as missing files.
QString CheckMp3(const QString &itemText, int sura, const QString &mp3Folder);

// CheckMp3 on every list item: itemTexts[i] is the text and itemSuras[i] the sura of item i.
// Items beyond the shorter of the two lists are left alone.
void CheckMp3(QStringList &itemTexts, const QList<int> &itemSuras, const QString &mp3Folder);

}  // namespace varnelo
