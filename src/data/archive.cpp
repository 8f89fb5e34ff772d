#include "data/archive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <limits>

#include "data/clscompress.h"

namespace varnelo {

namespace {

constexpr qint64 kLengthFieldSize = 10;

// Leading blanks skipped, then digits up to the first other character; 0 when there are none.
// A value past the largest qint64 stays at it, which every check then refuses as too large.
qint64 decimalValue(const QByteArray &text) {
    constexpr qint64 kMax = std::numeric_limits<qint64>::max();
    qsizetype i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    qint64 value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const int digit = text[i] - '0';
        value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
    }
    return value;
}

// A member is written to the folder under its own name: one that could name a place outside
// the folder (a separator, a "." or ".." segment, a drive) is treated as absent.
bool safeMemberName(const QString &name) {
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') &&
           !name.contains(u'\\') && !name.contains(u':') && !name.contains(QChar(0));
}

struct Directory {
    QByteArray window;   // the first characters of the directory text
    qint64 dataEnd = 0;  // where the directory starts: members must end here
    QString error;
};

Directory readDirectory(const QString &archivePath) {
    Directory dir;
    QFile file(archivePath);
    if (!QFileInfo(archivePath).isFile() || !file.open(QIODevice::ReadOnly)) {
        dir.error = QStringLiteral("Archive not found: %1").arg(archivePath);
        return dir;
    }
    const qint64 size = file.size();
    if (size < kLengthFieldSize || !file.seek(size - kLengthFieldSize)) {
        dir.error = QStringLiteral("Truncated archive (no directory length): %1").arg(archivePath);
        return dir;
    }
    const qint64 dirLength = decimalValue(file.read(kLengthFieldSize));
    if (dirLength > size - kLengthFieldSize) {
        dir.error = QStringLiteral("Directory length %1 goes beyond the start of %2")
                        .arg(dirLength)
                        .arg(archivePath);
        return dir;
    }
    dir.dataEnd = size - kLengthFieldSize - dirLength;
    if (!file.seek(dir.dataEnd)) {
        dir.error = QStringLiteral("Cannot read the directory of %1").arg(archivePath);
        return dir;
    }
    dir.window = file.read(kArchiveDirectoryWindow);
    return dir;
}

// Takes the directory's fields from the front, each ended by ":".
class FieldReader {
public:
    explicit FieldReader(const QByteArray &text) : m_text(text) {}

    // The next field, or nullopt when no ":" is left.
    std::optional<QByteArray> next() {
        const qsizetype colon = m_text.indexOf(':', m_pos);
        if (colon < 0)
            return std::nullopt;
        QByteArray field = m_text.mid(m_pos, colon - m_pos);
        m_pos = colon + 1;
        return field;
    }

private:
    const QByteArray &m_text;
    qsizetype m_pos = 0;
};

ExtractResult failure(const QString &error) {
    ExtractResult result;
    result.error = error;
    return result;
}

QString damaged(const QString &archivePath) {
    return QStringLiteral("Damaged directory (a field is missing) in %1").arg(archivePath);
}

// The one walk of the directory that listing and extraction share: every member with its
// offset, or the first problem. The sizes must fill the bytes before the directory exactly.
ArchiveListing walkDirectory(const QString &archivePath, const Directory &dir) {
    ArchiveListing listing;
    FieldReader fields(dir.window);
    const auto countField = fields.next();
    const qint64 count = countField ? decimalValue(*countField) : 0;
    // Names, the uninterpreted fields, then the sizes; each field takes at least one character.
    if (!countField || count > kArchiveDirectoryWindow) {
        listing.error = damaged(archivePath);
        return listing;
    }
    for (qint64 i = 0; i < 3 * count; ++i) {
        const auto field = fields.next();
        if (!field) {
            listing.members.clear();
            listing.error = damaged(archivePath);
            return listing;
        }
        if (i < count)
            listing.members.append({QString::fromLatin1(*field), 0, 0});
        else if (i >= 2 * count)
            listing.members[i - 2 * count].storedSize = decimalValue(*field);
    }
    qint64 offset = 0;
    for (ArchiveMember &member : listing.members) {
        member.offset = offset;
        // offset <= dataEnd here, so the comparison cannot overflow where a sum could.
        if (member.storedSize > dir.dataEnd - offset) {
            listing.error = QStringLiteral("Member %1 runs past the directory of %2")
                                .arg(member.name, archivePath);
            listing.members.clear();
            return listing;
        }
        offset += member.storedSize;
    }
    if (offset != dir.dataEnd) {
        listing.error = QStringLiteral(
                            "Member sizes (%1 bytes) do not match the data of %2 (%3 "
                            "bytes)")
                            .arg(offset)
                            .arg(archivePath)
                            .arg(dir.dataEnd);
        listing.members.clear();
    }
    return listing;
}

ExtractResult extract(const QString &archivePath, const QString &name, const QString &tempFolder,
                      bool decode) {
    if (!safeMemberName(name)) {
        ExtractResult result;
        result.status = ExtractResult::Status::FileNotFound;
        return result;
    }
    const Directory dir = readDirectory(archivePath);
    if (!dir.error.isEmpty())
        return failure(dir.error);
    const ArchiveListing listing = walkDirectory(archivePath, dir);
    if (!listing.ok())
        return failure(listing.error);
    if (decode && !dir.window.toUpper().contains(':' + name.toLatin1().toUpper() + ':')) {
        ExtractResult result;
        result.status = ExtractResult::Status::FileNotFound;
        return result;
    }
    // The first member of exactly that name; one that matches only when letter case is ignored
    // is not there.
    const auto member = std::find_if(listing.members.begin(), listing.members.end(),
                                     [&](const ArchiveMember &m) { return m.name == name; });
    if (member == listing.members.end()) {
        ExtractResult result;
        result.status = ExtractResult::Status::FileNotFound;
        return result;
    }
    QByteArray stored;
    QFile file(archivePath);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(member->offset) ||
        (stored = file.read(member->storedSize)).size() != member->storedSize) {
        return failure(QStringLiteral("Truncated archive: %1").arg(archivePath));
    }

    ExtractResult result;
    result.status = ExtractResult::Status::Extracted;
    result.path = QDir(tempFolder).filePath(name);
    const clsCompress codec;
    if (decode) {
        const DecodeReport report = codec.DecodeFile(result.path, stored);
        if (report.raised) {
            result = failure(QStringLiteral("%1: member %2 of %3")
                                 .arg(report.raised->description, name, archivePath));
            result.codecError = report.raised;
            return result;
        }
        result.codecError = report.recorded;
    } else if (const auto error = codec.ExtractFile(result.path, stored)) {
        return failure(error->description);
    }
    return result;
}

}  // namespace

ExtractResult ExtractMember(const QString &archivePath, const QString &name,
                            const QString &tempFolder) {
    return extract(archivePath, name, tempFolder, true);
}

ExtractResult ExtractMemberUnchecked(const QString &archivePath, const QString &name,
                                     const QString &tempFolder) {
    return extract(archivePath, name, tempFolder, false);
}

ArchiveListing listArchiveMembers(const QString &archivePath) {
    const Directory dir = readDirectory(archivePath);
    if (!dir.error.isEmpty()) {
        ArchiveListing listing;
        listing.error = dir.error;
        return listing;
    }
    return walkDirectory(archivePath, dir);
}

}  // namespace varnelo
