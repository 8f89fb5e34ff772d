#include "data/suradata.h"

#include <QFile>
#include <QtEndian>

#include "data/ansitext.h"
#include "data/archive.h"
#include "data/suracatalogue.h"

namespace varnelo {

namespace {

QString dataArchive(const QString &appFolder, const QString &fileName) {
    return appFolder + QStringLiteral("/data/") + fileName;
}

QString sizeError(const QByteArray &bytes, qsizetype expected) {
    return QStringLiteral("holds %1 bytes instead of %2").arg(bytes.size()).arg(expected);
}

template <typename T>
DataResult<T> failed(const QString &archivePath, const QString &member, const QString &why) {
    return {T{}, QStringLiteral("%1, member %2: %3").arg(archivePath, member, why)};
}

// Reads the sura's member of a data archive and parses it with the sura's verse count, carrying
// either error along with the member's name.
template <typename T, typename Parse>
DataResult<T> readSuraMember(const QString &appFolder, const QString &tempFolder, int sura,
                             const QString &archiveFile, const QString &extension, bool decode,
                             Parse parse) {
    const QString archivePath = dataArchive(appFolder, archiveFile);
    const QString member = SuraFileNumber(sura) + extension;
    DataResult<QByteArray> bytes = readMemberBytes(archivePath, member, tempFolder, decode);
    if (!bytes.ok())
        return {T{}, bytes.error};
    DataResult<T> parsed = parse(bytes.value, verseCountOf(sura));
    if (!parsed.ok())
        return failed<T>(archivePath, member, parsed.error);
    return parsed;
}

}  // namespace

DataResult<QByteArray> readMemberBytes(const QString &archivePath, const QString &member,
                                       const QString &tempFolder, bool decode) {
    const ExtractResult extracted = decode
                                        ? ExtractMember(archivePath, member, tempFolder)
                                        : ExtractMemberUnchecked(archivePath, member, tempFolder);
    if (extracted.fileNotFound())
        return failed<QByteArray>(archivePath, member, QStringLiteral("not in the archive"));
    if (!extracted.extracted())
        return failed<QByteArray>(archivePath, member, extracted.error);
    QFile file(extracted.path);
    DataResult<QByteArray> result;
    if (file.open(QIODevice::ReadOnly))
        result.value = file.readAll();
    else
        result = failed<QByteArray>(archivePath, member, file.errorString());
    file.close();
    file.remove();
    return result;
}

bool hasWordData(int sura) {
    return sura >= 2 && sura <= 77;
}

DataResult<QList<VerseTime>> parseVerseTimes(const QByteArray &bytes, int verseCount) {
    const qsizetype expected = qsizetype(verseCount) * 8;
    if (bytes.size() != expected)
        return {{}, sizeError(bytes, expected)};
    QList<VerseTime> times(verseCount);
    for (int k = 0; k < verseCount; ++k) {
        times[k].start = qFromLittleEndian<qint32>(bytes.constData() + 8 * k);
        times[k].end = qFromLittleEndian<qint32>(bytes.constData() + 8 * k + 4);
    }
    return {times, {}};
}

DataResult<QList<qint16>> parseVerseHeights(const QByteArray &bytes, int verseCount) {
    const qsizetype expected = qsizetype(verseCount) * 2;
    if (bytes.size() != expected)
        return {{}, sizeError(bytes, expected)};
    QList<qint16> heights(verseCount + 1, 0);
    for (int k = 0; k < verseCount; ++k)
        heights[k + 1] = qFromLittleEndian<qint16>(bytes.constData() + 2 * k);
    return {heights, {}};
}

QList<WordRecord> parseWordRecords(const QByteArray &bytes) {
    constexpr qsizetype kFixed = 11;  // verse, four edges, meaning length
    QList<WordRecord> words;
    const char *data = bytes.constData();
    qsizetype pos = 0;
    while (bytes.size() - pos >= kFixed) {
        const char *r = data + pos;
        const qsizetype length = qFromLittleEndian<quint16>(r + 9);
        if (bytes.size() - pos - kFixed < length)
            break;
        WordRecord w;
        w.verse = static_cast<quint8>(r[0]);
        w.left = qFromLittleEndian<qint16>(r + 1);
        w.top = qFromLittleEndian<qint16>(r + 3);
        w.right = qFromLittleEndian<qint16>(r + 5);
        w.bottom = qFromLittleEndian<qint16>(r + 7);
        pos += kFixed + length;
        if (w.right < w.left || w.bottom < w.top)
            continue;  // holds no point, so no word can ever be found there
        w.meaning = decodeWindows1252(QByteArray(r + kFixed, length));
        words.append(w);
    }
    return words;
}

DataResult<QList<VerseTime>> readVerseTimes(const QString &appFolder, const QString &tempFolder,
                                            int sura) {
    return readSuraMember<QList<VerseTime>>(appFolder, tempFolder, sura, "pos.dat", ".pos", false,
                                            parseVerseTimes);
}

DataResult<QList<qint16>> readVerseHeights(const QString &appFolder, const QString &tempFolder,
                                           int sura) {
    return readSuraMember<QList<qint16>>(appFolder, tempFolder, sura, "hgt.dat", ".hgt", false,
                                         parseVerseHeights);
}

DataResult<QList<WordRecord>> readWordRecords(const QString &appFolder, const QString &tempFolder,
                                              int sura) {
    return readSuraMember<QList<WordRecord>>(
        appFolder, tempFolder, sura, "wm.dat", ".qwf", true, [](const QByteArray &b, int) {
            return DataResult<QList<WordRecord>>{parseWordRecords(b), {}};
        });
}

ArabicImageSource arabicImageSource(const QString &appFolder, int sura, const QString &letter) {
    const QString archive =
        sura >= 2 && sura <= 66 ? SuraFileNumber(sura) + ".dat" : QStringLiteral("a.dat");
    return {dataArchive(appFolder, archive), SuraTextParts::imageMemberName(sura, letter)};
}

}  // namespace varnelo
