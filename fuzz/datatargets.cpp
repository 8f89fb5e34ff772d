// Fuzz target bodies for the data readers: ZE3 streams, archives, sura members, INI files,
// verse references and translation members.
#include "targets.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

#include "data/ansitext.h"
#include "data/archive.h"
#include "data/archivewriter.h"
#include "data/clipboardreferencehook.h"
#include "data/clscompress.h"
#include "data/suradata.h"
#include "data/translations.h"
#include "data/versereference.h"
#include "data/ze3fastdecoder.h"
#include "data/ze3referencedecoder.h"
#include "fuzzinput.h"
#include "platform/clipboard.h"
#include "platform/privateprofile.h"

namespace varnelo::fuzz {

namespace {

void removeFilesIn(const QString &folder) {
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System))
        QFile::remove(QDir(folder).filePath(name));
}

// One extraction of a listed member: the file lands in the folder, and an unchanged copy holds
// exactly the stored bytes.
void checkExtraction(const QString &archive, const ArchiveMember &member, const QByteArray &bytes,
                     const QString &folder) {
    const ExtractResult decoded = ExtractMember(archive, member.name, folder);
    require(!decoded.extracted() || QFile::exists(decoded.path));
    const ExtractResult raw = ExtractMemberUnchecked(archive, member.name, folder);
    if (raw.extracted()) {
        QFile file(raw.path);
        require(file.open(QIODevice::ReadOnly));
        require(file.readAll() == bytes.mid(member.offset, member.storedSize));
    }
    removeFilesIn(folder);
}

}  // namespace

int fuzzZe3Decode(const uint8_t *data, size_t size) {
    const QByteArray in =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QByteArray reference;
    const Ze3Check check = Ze3ReferenceDecoder::decode(in, reference);
    // The second decode reuses the tables the first one built.
    Ze3FastDecoder fast;
    for (int pass = 0; pass < 2; ++pass) {
        QByteArray out;
        require(fast.decode(in, out) == check && out == reference);
    }

    QByteArray stream(in.constData(), in.size());
    const clsCompress codec;
    codec.EncodeByte(stream);
    require(codec.DecodeByte(stream).ok() && stream == in);
    return 0;
}

int fuzzArchive(const uint8_t *data, size_t size) {
    // The extraction folder lies two levels below the archive, so that a name climbing out of
    // it still lands where the check below sees it.
    static QTemporaryDir root;
    static const bool made = QDir(root.path()).mkpath("a/b/out");
    require(made);
    const QString archive = root.filePath("fuzz.dat");
    const QString folder = root.filePath("a/b/out");
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    require(writeFile(archive, bytes));

    const ArchiveListing listing = listArchiveMembers(archive);
    QStringList seen;
    for (const ArchiveMember &member : listing.members.mid(0, 8)) {
        // Extraction takes the first member of a name.
        if (seen.contains(member.name))
            continue;
        seen.append(member.name);
        require(member.offset >= 0 && member.storedSize >= 0 &&
                member.offset + member.storedSize <= qint64(size));
        checkExtraction(archive, member, bytes, folder);
    }
    if (!listing.ok()) {
        // An archive that does not list extracts nothing.
        require(listing.members.isEmpty());
        require(!ExtractMember(archive, "a", folder).extracted());
        require(!ExtractMemberUnchecked(archive, "a", folder).extracted());
    }
    for (const QString &file : filesBelow(root.path()))
        require(file == "fuzz.dat");
    return 0;
}

int fuzzSuraData(const uint8_t *data, size_t size) {
    FuzzInput input(data, size);
    const int verseCount = input.byte();
    const QByteArray bytes = input.rest();

    for (const int count : {verseCount, int(bytes.size() / 8)}) {
        const auto times = parseVerseTimes(bytes, count);
        require(times.ok() == (bytes.size() == 8 * qsizetype(count)));
        require(!times.ok() || times.value.size() == count);
    }
    for (const int count : {verseCount, int(bytes.size() / 2)}) {
        const auto heights = parseVerseHeights(bytes, count);
        require(heights.ok() == (bytes.size() == 2 * qsizetype(count)));
        require(!heights.ok() || (heights.value.size() == count + 1 && heights.value[0] == 0));
    }
    qsizetype meaningChars = 0;
    for (const WordRecord &word : parseWordRecords(bytes)) {
        require(word.right >= word.left && word.bottom >= word.top);
        meaningChars += word.meaning.size() + 11;
    }
    require(meaningChars <= bytes.size());
    return 0;
}

int fuzzIni(const uint8_t *data, size_t size) {
    FuzzInput input(data, size);
    const auto encoding = input.byte() & 1 ? QStringConverter::System : QStringConverter::Latin1;
    const int bufferSize = input.byte();
    const QByteArray file = input.rest();
    const PrivateProfile profile = PrivateProfile::fromData(file, encoding);

    // Section names as the file spells them, and some it does not have.
    QStringList sections = {"Main", "", "main "};
    for (const QByteArray &line : file.split('\n').mid(0, 16)) {
        const qsizetype close = line.indexOf(']');
        if (line.startsWith('[') && close > 0)
            sections.append(QString::fromLatin1(line.mid(1, close - 1)));
    }
    for (const QString &section : sections) {
        const QStringList lines = profile.readSection(section);
        for (const QString &line : lines.mid(0, 16)) {
            require(!line.contains('\n'));
            const QString key = line.section('=', 0, 0);
            const QString value = profile.readString(section, key, "default", bufferSize);
            require(bufferSize <= 0 || value.size() <= bufferSize - 1);
        }
        const QString listed = profile.readSectionNulSeparated(section, bufferSize);
        require(bufferSize < 2 || listed.size() <= bufferSize);
    }
    return 0;
}

int fuzzVerseReference(const uint8_t *data, size_t size) {
    FuzzInput input(data, size);
    const bool utf8 = input.byte() & 1;
    const QByteArray bytes = input.rest();
    const QString text = utf8 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);

    const std::optional<VerseReference> parsed = ParseVerseReference(text, 114);
    if (parsed) {
        require(parsed->listPosition >= 0 && parsed->listPosition < 114);
        require(parsed->firstVerse > 0 && parsed->lastVerse > 0);
    }

    // The clipboard hook hands on exactly what the parser finds.
    FakeClipboard clipboard;
    std::optional<VerseReference> handed;
    int calls = 0;
    ClipboardReferenceHook hook(clipboard, 114, [&](const VerseReference &reference) {
        handed = reference;
        ++calls;
    });
    hook.setStartupDone(true);
    clipboard.setText(text);
    require(calls == (parsed ? 1 : 0) && handed == parsed);
    return 0;
}

int fuzzTranslation(const uint8_t *data, size_t size) {
    static QTemporaryDir root;
    static const bool made =
        QDir(root.path()).mkpath("data/tdata") && QDir(root.path()).mkpath("tmp");
    require(made);
    const QString temp = root.filePath("tmp");

    FuzzInput input(data, size);
    const uint8_t flags = input.byte();
    const bool unicode = flags & 1;
    const int sura = std::array{1, 2, 9, 114}[(flags >> 1) & 3];
    const int window = 2 + ((flags >> 3) & 3) % 3;
    const int records = input.byte();
    const QByteArray member = input.rest();

    // Decoding and encoding again gives the member back, less an odd last byte of UTF-16LE.
    const QString decoded = decodeMemberText(member, unicode);
    const std::optional<QByteArray> encoded = encodeMemberText(decoded, unicode);
    require(encoded && *encoded == member.left(unicode ? member.size() & ~1 : member.size()));

    ArchiveWriter writer;
    writer.addMember("002.txt", member, ArchiveWriter::Packing::Encode);
    require(!writer.writeTo(root.filePath("data/tdata/fz.dat")));

    const std::array<OpeningFormulas, 3> formulas = {
        OpeningFormulas{"b2", "c2"}, OpeningFormulas{"b3", "c3"}, OpeningFormulas{"b4", "c4"}};
    QList<VerseTime> verseTimes(records);
    for (VerseTime &verse : verseTimes)
        verse.texts = {"-", "-", "-"};
    const QString error = LoadTranslation(root.path(), temp, "fz", window, "002.txt", unicode, sura,
                                          formulas, verseTimes);
    require(error.isEmpty() && verseTimes.size() == records);
    // The member is read and deleted again.
    require(filesBelow(temp).isEmpty());
    const int first = sura == 9 ? 0 : 1;
    for (int r = 0; r < records; ++r) {
        for (int w = 2; w <= 4; ++w) {
            const QString &text = verseTimes[r].text(w);
            if (r < first)
                require(text == (sura == 1 ? formulas[w - 2].bismi1 : formulas[w - 2].bismi));
            else if (w == window)
                require(!text.contains('\n'));
            else
                require(text == "-");
        }
    }
    return 0;
}

}  // namespace varnelo::fuzz
