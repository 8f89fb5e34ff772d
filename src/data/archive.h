#pragma once

#include <optional>

#include <QList>
#include <QString>

#include "data/codecerror.h"

namespace varnelo {

// Readers take every directory field from this many characters at the start of the directory.
inline constexpr qint64 kArchiveDirectoryWindow = 5000;

// Outcome of copying one member out of a packed data archive.
struct ExtractResult {
    enum class Status {
        Extracted,     // path holds the member
        FileNotFound,  // the archive has no member of that name
        Failed,        // error says what went wrong and where
    };
    Status status = Status::Failed;
    QString path;
    QString error;
    // A checksum mismatch recorded while decoding (Extracted) or a refused stream (Failed).
    std::optional<CodecError> codecError;

    bool extracted() const { return status == Status::Extracted; }
    bool fileNotFound() const { return status == Status::FileNotFound; }
};

// Decodes the member to tempFolder + name, replacing any file there, and sets DecodeDone.
// FileNotFound when the directory lacks the name (letter case counts) and, whatever the archive,
// for a name that is not a plain file name (with "/", "\\" or ":", or "." or ".."), so nothing is
// ever written outside tempFolder. Failed for a missing or damaged archive (with the error
// listArchiveMembers gives) or a refused stream.
ExtractResult ExtractMember(const QString &archivePath, const QString &name,
                            const QString &tempFolder);

// Copies the member's stored bytes unchanged to tempFolder + name; otherwise as ExtractMember.
ExtractResult ExtractMemberUnchecked(const QString &archivePath, const QString &name,
                                     const QString &tempFolder);

struct ArchiveMember {
    QString name;
    qint64 storedSize = 0;
    qint64 offset = 0;
};

struct ArchiveListing {
    QList<ArchiveMember> members;
    QString error;  // empty when the whole directory was read

    bool ok() const { return error.isEmpty(); }
};

// Every member of the archive in stored order, or the first problem with the directory or with
// the sizes, which must add up to the bytes before the directory. Extraction walks the directory
// the same way: an archive that does not list extracts nothing.
ArchiveListing listArchiveMembers(const QString &archivePath);

}  // namespace varnelo
