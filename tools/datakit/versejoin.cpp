#include "versejoin.h"

#include "archivebuilder.h"
#include "data/suracatalogue.h"
#include "recitation/infoframe.h"
#include "recitation/mpegframewalk.h"
#include "recitation/mpegheader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSaveFile>
#include <QtEndian>

#include <algorithm>
#include <optional>
#include <vector>

namespace varnelo {

namespace {

// Bytes of a frame that hold its header, any CRC and main_data_begin.
constexpr qint64 kFrameHeadBytes = 8;
// Offsets in the LAME extension of the music length and its checksum.
constexpr int kLameMusicLength = 28;
constexpr int kLameMusicCrc = 32;

// One verse file as the join copies it: the whole audio frames after any tags and info frame.
struct VerseFile {
    QString path;
    MpegStreamStart start;  // first audio frame, and the encoder delay and padding of its tag
    MpegHeader header;      // of the first audio frame
    QByteArray audioHeader;
    qint64 audioEnd = 0;  // past the last whole frame
    qint64 frames = 0;
    std::vector<qint64> frameStarts;  // from start.firstFrame; dropped between the passes
    int smallestFrame = 0;
    int largestFrame = 0;
    std::optional<InfoTag> tag;
};

struct Scan {
    VerseFile file;
    QString error;  // names the file
    QString warning;
};

QString describe(const MpegHeader &h) {
    const char *version = h.mpeg1 ? "1" : h.sampleRate < 16000 ? "2.5" : "2";
    return QStringLiteral("MPEG %1 layer III, %2 Hz, %3")
        .arg(QLatin1StringView(version))
        .arg(h.sampleRate)
        .arg(h.mono ? QStringLiteral("mono") : QStringLiteral("two channels"));
}

bool sameFormat(const MpegHeader &a, const MpegHeader &b) {
    return a.mpeg1 == b.mpeg1 && a.layer == b.layer && a.sampleRate == b.sampleRate &&
           a.mono == b.mono;
}

// The frames from the first audio frame on as the decoder numbers them; the error when they do
// not run whole and unbroken to the end of the file, change format, or reach back into a bit
// reservoir from before the first (the join would feed them the previous file's bytes).
QString walkFrames(const QByteArray &bytes, VerseFile &file) {
    MpegFrameWalker walker(reinterpret_cast<const uchar *>(bytes.constData()), file.start);
    qint64 expected = file.start.firstFrame;
    qint64 behind = 0;  // main data of the frames before: all a frame may reach back to
    for (qint64 at = walker.next(); at >= 0; at = walker.next()) {
        if (at != expected) {
            return QStringLiteral("unreadable data at byte %1: damaged").arg(expected);
        }
        const qint64 frameBytes = walker.lastFrameEnd() - at;
        const QByteArray head = bytes.mid(at, std::min(kFrameHeadBytes, frameBytes));
        const std::optional<MpegHeader> header = parseMpegHeader(head);
        if (!header || header->layer != 3) {
            return QStringLiteral("not MPEG layer III audio");
        }
        if (file.frameStarts.empty()) {
            file.header = *header;
            file.audioHeader = head.left(4);
            file.smallestFrame = file.largestFrame = int(frameBytes);
        } else if (!sameFormat(*header, file.header)) {
            return QStringLiteral("changes to %1 at byte %2").arg(describe(*header)).arg(at);
        }
        const std::optional<int> owed = mainDataBegin(*header, head);
        if (!owed || *owed > behind) {
            return QStringLiteral(
                       "audio frame %1 (byte %2) takes %3 bytes of bit reservoir from "
                       "before the file's first frame; was it cut out of a longer "
                       "recording?")
                .arg(file.frameStarts.size())
                .arg(at)
                .arg(owed.value_or(0) - behind);
        }
        behind += header->mainDataBytes();
        file.smallestFrame = std::min(file.smallestFrame, int(frameBytes));
        file.largestFrame = std::max(file.largestFrame, int(frameBytes));
        file.frameStarts.push_back(at - file.start.firstFrame);
        expected = walker.lastFrameEnd();
    }
    if (walker.end() == MpegFrameWalker::End::FormatChange) {
        return QStringLiteral("its MPEG format changes at byte %1").arg(expected);
    }
    // Tags and junk after the last frame are left out as the decoder skips them; a frame the
    // end of the file cuts off is a truncated file.
    const std::optional<MpegHeader> cut = parseMpegHeader(bytes.mid(expected, 4));
    if (cut && sameFormat(*cut, file.header) && expected + cut->frameBytes > file.start.dataEnd) {
        return QStringLiteral("truncated: the file ends %1 bytes into its last frame of %2")
            .arg(file.start.dataEnd - expected)
            .arg(cut->frameBytes);
    }
    file.audioEnd = expected;
    file.frames = qint64(file.frameStarts.size());
    return {};
}

// A LAME tag's checksum of the audio that the audio no longer matches; empty when it does or the
// tag gives none for these bytes.
QString checksumWarning(const QByteArray &bytes, const VerseFile &file, qint64 infoAt) {
    if (!file.tag || file.tag->lame.size() != kLameTagBytes) {
        return {};
    }
    const char *lame = file.tag->lame.constData();
    const qint64 length = qFromBigEndian<quint32>(lame + kLameMusicLength);
    const quint16 crc = qFromBigEndian<quint16>(lame + kLameMusicCrc);
    const qint64 first = file.start.firstFrame;
    if (length != file.audioEnd - infoAt ||
        crc16(bytes.constData() + first, file.audioEnd - first) == crc) {
        return {};
    }
    return QStringLiteral(
               "%1: the audio does not match the checksum in its LAME tag (damaged, "
               "or changed by a volume tool); joined as it is")
        .arg(QDir::toNativeSeparators(file.path));
}

Scan scanVerseFile(const QString &path, const QByteArray &bytes) {
    Scan scan;
    VerseFile &file = scan.file;
    file.path = path;
    const auto fail = [&](const QString &why) {
        scan.error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), why);
        return scan;
    };
    const std::optional<MpegStreamStart> start =
        findMpegStreamStart(reinterpret_cast<const uchar *>(bytes.constData()), bytes.size());
    if (!start) {
        return fail(QStringLiteral("no whole MPEG audio frame: not an MP3 file, or damaged"));
    }
    file.start = *start;
    // start.header is the info frame's when there is one, and the first audio frame follows it.
    const qint64 infoAt = start->firstFrame - start->header.frameBytes;
    if (infoAt >= 0) {
        file.tag = readInfoTag(bytes.mid(infoAt, start->header.frameBytes));
    }
    if (const QString e = walkFrames(bytes, file); !e.isEmpty()) {
        return fail(e);
    }
    if (start->infoFrames > 0 && start->infoFrames != file.frames) {
        return fail(QStringLiteral("its info frame announces %1 audio frames but it holds %2: "
                                   "truncated or damaged")
                        .arg(start->infoFrames)
                        .arg(file.frames));
    }
    scan.warning = checksumWarning(bytes, file, infoAt);
    return scan;
}

Scan readVerseFile(const QString &path) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        Scan scan;
        scan.error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), in.errorString());
        return scan;
    }
    return scanVerseFile(path, in.readAll());
}

QString fileName(int sura, int verse) {
    return QStringLiteral("%1%2.mp3")
        .arg(sura, 3, 10, QLatin1Char('0'))
        .arg(verse, 3, 10, QLatin1Char('0'));
}

// Verses of a sura as file names number them: its verse indexes less the opening formula.
int versesOf(int sura) {
    return verseCountOf(sura) - (hasOpeningEntry(sura) ? 1 : 0);
}

// The set's verse files by (sura, verse), and names shaped like them that fit no verse.
struct SetListing {
    QMap<QPair<int, int>, QString> paths;
    QList<int> suras;  // holding a verse file other than 001001.mp3
    QStringList strays;
};

SetListing listSet(const QDir &dir) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{3})(\\d{3})\\.mp3$"),
                                            QRegularExpression::CaseInsensitiveOption);
    SetListing listing;
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name)) {
        const QRegularExpressionMatch m = pattern.match(name);
        if (!m.hasMatch()) {
            continue;
        }
        const int sura = m.captured(1).toInt();
        const int verse = m.captured(2).toInt();
        if (sura < 1 || sura > SuraCount || verse < 1 || verse > versesOf(sura)) {
            listing.strays.append(name);
            continue;
        }
        listing.paths.insert({sura, verse}, dir.filePath(name));
        if (!(sura == 1 && verse == 1) && !listing.suras.contains(sura)) {
            listing.suras.append(sura);
        }
    }
    return listing;
}

// The (sura, verse) of the file holding each verse index of sura.
QList<QPair<int, int>> filesOfSura(int sura) {
    QList<QPair<int, int>> files;
    for (int index = 0; index < verseCountOf(sura); ++index) {
        files.append(!hasOpeningEntry(sura) ? QPair{sura, index + 1}
                     : index == 0           ? QPair{1, 1}
                                            : QPair{sura, index});
    }
    return files;
}

// "001001.mp3, 002004.mp3-002006.mp3" for the missing files, or empty.
QString missingFiles(const SetListing &listing, const QList<int> &suras, int *count) {
    QList<QPair<int, int>> missing;
    for (int sura : suras) {
        for (const QPair<int, int> &file : filesOfSura(sura)) {
            if (!listing.paths.contains(file) && !missing.contains(file)) {
                missing.append(file);
            }
        }
    }
    std::sort(missing.begin(), missing.end());
    *count = int(missing.size());
    QStringList runs;
    for (qsizetype i = 0; i < missing.size();) {
        qsizetype j = i;
        while (j + 1 < missing.size() && missing[j + 1].first == missing[i].first &&
               missing[j + 1].second == missing[j].second + 1) {
            ++j;
        }
        const QString first = fileName(missing[i].first, missing[i].second);
        runs.append(j == i ? first : first + u'-' + fileName(missing[j].first, missing[j].second));
        i = j + 1;
    }
    return runs.join(QStringLiteral(", "));
}

// Where each file's own audio lies in the joined stream's gapless decode. Decoded alone, a file
// plays its frames' samples from its decoder skip on; joined, the stream skips what the first
// file's tag says and the inner files' delay and padding play as they are. A first file without
// a tag loses the decoder's own 529 samples it played alone.
JoinedSura placeVerses(int sura, const QList<VerseFile> &files) {
    MpegStreamStart joined = files.front().start;
    joined.header = files.front().header;
    joined.encoderPadding = files.back().start.encoderPadding;
    const qint64 skip = kDecoderDelaySamples + joined.encoderDelay;
    const qint64 spf = joined.header.samplesPerFrame();
    JoinedSura placed;
    placed.sura = sura;
    placed.rate = joined.header.sampleRate;
    QList<qint64> ends;
    qint64 frames = 0;
    for (const VerseFile &file : files) {
        const qint64 raw = frames * spf + file.start.decoderSkip();
        placed.startSamples.append(std::max<qint64>(raw - skip, 0));
        ends.append(raw + file.start.outputSamples(file.frames) - skip);
        frames += file.frames;
    }
    joined.infoFrames = frames;
    placed.samples = joined.outputSamples(frames);

    // A start rounds down, so that the player seeking to it misses none of the verse; an end
    // rounds up.
    const qint64 rate = placed.rate;
    const qint64 lengthMs = placed.samples * 1000 / rate;
    QList<VerseSpan> spoken;
    for (qsizetype k = 0; k < files.size(); ++k) {
        const qint64 start = placed.startSamples[k];
        const qint64 next =
            k + 1 < files.size() ? placed.startSamples[k + 1] * 1000 / rate : lengthMs;
        const qint64 end = std::clamp(ends[k], start, placed.samples);
        spoken.append(
            {qint32(start * 1000 / rate), qint32(std::min((end * 1000 + rate - 1) / rate, next))});
    }
    const StoredSpans stored = storedSpansOf(sura, spoken, lengthMs);
    placed.spans = stored.spans;
    placed.shortTails = int(stored.warnings.size());
    return placed;
}

// The info frame of a sura's joined stream: the first file's delay and the last one's padding,
// without the frame starts, length and checksum of the audio, which writing fills in.
InfoFrameFields infoFieldsOf(const QList<VerseFile> &files) {
    InfoFrameFields fields;
    fields.audioHeader = files.front().audioHeader;
    fields.delay = files.front().start.encoderDelay;
    fields.padding = files.back().start.encoderPadding;
    if (files.front().tag) {
        fields.lameBase = files.front().tag->lame;
    }
    int smallest = files.front().smallestFrame;
    int largest = files.front().largestFrame;
    for (const VerseFile &file : files) {
        fields.vbr = fields.vbr || (file.tag && file.tag->vbr);
        smallest = std::min(smallest, file.smallestFrame);
        largest = std::max(largest, file.largestFrame);
    }
    // Frames of one bitrate differ by the padding byte at most.
    fields.vbr = fields.vbr || largest - smallest > 1;
    return fields;
}

// Writes the frames of the files after the info frame into target through a temporary file.
QString writeJoined(const QString &target, const QList<VerseFile> &files, InfoFrameFields fields) {
    const int infoBytes = infoFrameBytes(fields);
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly) || out.write(QByteArray(infoBytes, '\0')) != infoBytes) {
        return QStringLiteral("cannot write %1: %2").arg(target, out.errorString());
    }
    for (const VerseFile &planned : files) {
        QFile in(planned.path);
        const QByteArray bytes = in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
        // The frame starts were not kept from the check: the file is walked again.
        const Scan again = scanVerseFile(planned.path, bytes);
        if (!again.error.isEmpty() || again.file.frames != planned.frames ||
            again.file.audioEnd != planned.audioEnd) {
            return QStringLiteral("%1 changed while the set was joined")
                .arg(QDir::toNativeSeparators(planned.path));
        }
        for (const qint64 start : again.file.frameStarts) {
            fields.frameStarts.push_back(fields.audioBytes + start);
        }
        const qint64 first = planned.start.firstFrame;
        const char *audio = bytes.constData() + first;
        const qint64 size = planned.audioEnd - first;
        if (out.write(audio, size) != size) {
            return QStringLiteral("cannot write %1: %2").arg(target, out.errorString());
        }
        fields.musicCrc = crc16(audio, size, fields.musicCrc);
        fields.audioBytes += size;
    }
    const QByteArray info = makeInfoFrame(fields);
    if (info.size() != infoBytes || !out.seek(0) || out.write(info) != infoBytes || !out.commit()) {
        return QStringLiteral("cannot write %1: %2").arg(target, out.errorString());
    }
    return {};
}

// The files that differ in format from most of the sura's; empty when none does.
QStringList mixedFormats(int sura, const QList<VerseFile> &files) {
    QMap<QString, int> counts;
    for (const VerseFile &file : files) {
        ++counts[describe(file.header)];
    }
    if (counts.size() < 2) {
        return {};
    }
    const QString usual = std::max_element(counts.cbegin(), counts.cend()).key();
    QStringList errors;
    QStringList named;
    for (const VerseFile &file : files) {
        const QString format = describe(file.header);
        if (format != usual && !named.contains(file.path)) {
            named.append(file.path);
            errors.append(QStringLiteral("%1 is %2, but the other files of sura %3 are %4")
                              .arg(QDir::toNativeSeparators(file.path), format)
                              .arg(sura)
                              .arg(usual));
        }
    }
    errors.append(QStringLiteral("sura %1: a joined file has one rate, MPEG version and channel "
                                 "count; re-encode the files that differ")
                      .arg(sura));
    return errors;
}

// The files of each sura in verse-index order, checked; the errors, one a line, name them all.
QString scanSuras(const SetListing &listing, const QList<int> &suras,
                  QMap<int, QList<VerseFile>> &plans, QStringList &warnings) {
    QMap<QString, VerseFile> scanned;
    QStringList errors;
    for (int sura : suras) {
        QList<VerseFile> &files = plans[sura];
        for (const QPair<int, int> &verse : filesOfSura(sura)) {
            const QString path = listing.paths.value(verse);
            if (!scanned.contains(path)) {
                Scan scan = readVerseFile(path);
                if (!scan.error.isEmpty()) {
                    errors.append(scan.error);
                }
                if (!scan.warning.isEmpty()) {
                    warnings.append(scan.warning);
                }
                scan.file.frameStarts = {};
                scanned.insert(path, scan.file);
            }
            files.append(scanned.value(path));
        }
    }
    if (errors.isEmpty()) {
        for (auto it = plans.cbegin(); it != plans.cend(); ++it) {
            errors += mixedFormats(it.key(), *it);
        }
    }
    return errors.join(u'\n');
}

// Writes each sura's file and then its timings, so that a failure leaves every sura before it
// whole.
QString writeSuras(const QDir &out, const QList<JoinedSura> &suras,
                   const QMap<int, QList<VerseFile>> &plans,
                   const std::function<void(const QString &)> &progress) {
    const QString posPath = out.filePath(QStringLiteral("data/pos.dat"));
    for (const JoinedSura &sura : suras) {
        const QString mp3 =
            out.filePath(QStringLiteral("mp3/%1.mp3").arg(SuraFileNumber(sura.sura)));
        const QList<VerseFile> &files = plans[sura.sura];
        if (QString e = writeJoined(mp3, files, infoFieldsOf(files)); !e.isEmpty()) {
            return e;
        }
        if (QString e = updatePosArchive(posPath, {{sura.sura, sura.spans}}); !e.isEmpty()) {
            return e;
        }
        QString line = QStringLiteral("%1: %2 verse files, %3 s")
                           .arg(QDir::toNativeSeparators(mp3))
                           .arg(files.size())
                           .arg(double(sura.samples) / sura.rate, 0, 'f', 3);
        if (sura.shortTails > 0) {
            line += QStringLiteral(
                        "; verse mode stops %1 of them up to %2 ms before their file "
                        "ends, where the next one follows sooner (check names any whose "
                        "speech that cuts)")
                        .arg(sura.shortTails)
                        .arg(kStoredEndLead);
        }
        progress(line);
    }
    return {};
}

// The suras to join: those asked for, or every sura the set holds a verse of.
QList<int> surasToJoin(const VerseJoinOptions &options, const SetListing &listing) {
    QList<int> suras = options.suras.isEmpty() ? listing.suras : options.suras;
    std::sort(suras.begin(), suras.end());
    return suras;
}

}  // namespace

QString verseFileName(int sura, int index) {
    const QPair<int, int> file = filesOfSura(sura).value(index, {sura, index});
    return fileName(file.first, file.second);
}

VerseJoinResult joinVerseSet(const VerseJoinOptions &options,
                             const std::function<void(const QString &)> &progress) {
    VerseJoinResult result;
    const auto fail = [&](const QString &why) {
        result.suras.clear();
        result.error = why;
        return result;
    };
    const QDir set(options.setDir);
    if (!set.exists()) {
        return fail(QStringLiteral("%1: no such folder").arg(options.setDir));
    }
    const SetListing listing = listSet(set);
    if (!listing.strays.isEmpty()) {
        result.warnings.append(QStringLiteral("%1: left out, not a verse of any sura: %2")
                                   .arg(options.setDir, listing.strays.join(QStringLiteral(", "))));
    }
    const QList<int> suras = surasToJoin(options, listing);
    if (suras.isEmpty()) {
        return fail(QStringLiteral("%1: no verse files named like 002255.mp3").arg(options.setDir));
    }
    int missingCount = 0;
    if (const QString missing = missingFiles(listing, suras, &missingCount); !missing.isEmpty()) {
        return fail(QStringLiteral("%1: %2 verse file(s) missing: %3")
                        .arg(options.setDir)
                        .arg(missingCount)
                        .arg(missing));
    }
    QMap<int, QList<VerseFile>> plans;
    if (const QString e = scanSuras(listing, suras, plans, result.warnings); !e.isEmpty()) {
        return fail(e);
    }
    for (int sura : suras) {
        result.suras.append(placeVerses(sura, plans[sura]));
        if (const QString e = checkSpans(sura, result.suras.last().spans); !e.isEmpty()) {
            return fail(e + QStringLiteral(" (a verse file without audio?)"));
        }
    }
    const QDir out(options.outDir);
    const QString posPath = out.filePath(QStringLiteral("data/pos.dat"));
    if (QFile::exists(posPath)) {
        if (const ArchiveContents old = readArchive(posPath); !old.error.isEmpty()) {
            return fail(old.error);
        }
    }
    for (const QString &dir : {QStringLiteral("mp3"), QStringLiteral("data")}) {
        if (!out.mkpath(dir)) {
            return fail(QStringLiteral("cannot create %1").arg(out.filePath(dir)));
        }
    }
    if (const QString e = writeSuras(out, result.suras, plans, progress); !e.isEmpty()) {
        return fail(e);
    }
    return result;
}

}  // namespace varnelo
