#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <array>

namespace varnelo {

// One verse index of the current sura: its recitation times and its text in translation windows
// 2, 3 and 4.
struct VerseTime {
    qint32 start = 0;  // ms from the start of the sura's MP3 file
    qint32 end = 0;
    std::array<QString, 3> texts;

    // The text field of translation window 2, 3 or 4.
    QString &text(int window) { return texts[window - 2]; }
    const QString &text(int window) const { return texts[window - 2]; }
};

// One word of the Arabic image: the verse index it belongs to, its rectangle and its meaning.
struct WordRecord {
    quint8 verse = 0;
    qint16 left = 0;
    qint16 top = 0;
    qint16 right = 0;
    qint16 bottom = 0;
    QString meaning;

    bool operator==(const WordRecord &) const = default;
};

// A value read from an archive member, or what went wrong, naming the archive and member.
template <typename T>
struct DataResult {
    T value{};
    QString error;

    bool ok() const { return error.isEmpty(); }
};

// The bytes of member of archivePath, extracted to tempFolder (decoded when decode is set), read
// and deleted again; an error names the archive and member when either is missing or unreadable.
DataResult<QByteArray> readMemberBytes(const QString &archivePath, const QString &member,
                                       const QString &tempFolder, bool decode);

// Whether sura has verse heights and word records (suras 2-77).
bool hasWordData(int sura);

// n records of start and end times from a .pos member of exactly 8n bytes; a shorter or longer
// member is an error.
DataResult<QList<VerseTime>> parseVerseTimes(const QByteArray &bytes, int verseCount);
// n heights from a .hgt member of exactly 2n bytes, at elements 1..n (element 0 is 0).
DataResult<QList<qint16>> parseVerseHeights(const QByteArray &bytes, int verseCount);
// The word records of a .qwf member in order (the first word is element 0). A record running past
// the end of the member ends the list before it; one whose right or bottom edge lies before its
// left or top is left out. Edges are not checked against the page: its user clips them.
QList<WordRecord> parseWordRecords(const QByteArray &bytes);

// The verse times of sura from appFolder/data/pos.dat, texts empty.
DataResult<QList<VerseTime>> readVerseTimes(const QString &appFolder, const QString &tempFolder,
                                            int sura);
// The verse heights of sura (2-77) from appFolder/data/hgt.dat, as parseVerseHeights gives them.
DataResult<QList<qint16>> readVerseHeights(const QString &appFolder, const QString &tempFolder,
                                           int sura);
// The word records of sura (2-77) from appFolder/data/wm.dat.
DataResult<QList<WordRecord>> readWordRecords(const QString &appFolder, const QString &tempFolder,
                                              int sura);

// Where the Arabic text image of one part of a sura is kept.
struct ArabicImageSource {
    QString archivePath;
    QString member;
};

// a.dat for sura 1 and 67-114, the sura's own SSS.dat for 2-66; member SSS + letter + ".vxf".
ArabicImageSource arabicImageSource(const QString &appFolder, int sura, const QString &letter);

}  // namespace varnelo
