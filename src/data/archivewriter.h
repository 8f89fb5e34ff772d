#pragma once

#include <optional>

#include <QByteArray>
#include <QList>
#include <QString>

namespace varnelo {

// Builds a packed data archive: member bytes back to back, then the text directory and its
// 10-character length.
class ArchiveWriter {
public:
    enum class Packing {
        Encode,  // a ZE3 stream, for ExtractMember
        Store,   // the bytes unchanged, for ExtractMemberUnchecked
    };

    // Appends a member; members keep the order in which they were added.
    void addMember(const QString &name, const QByteArray &bytes, Packing packing);

    // Why the archive cannot be written (bad or repeated name, directory beyond what readers
    // look at, data beyond 32-bit offsets), or nullopt.
    std::optional<QString> problem() const;
    // The whole archive file; meaningful only when problem() is nullopt.
    QByteArray toBytes() const;
    // Writes the archive through a temporary file and a rename; returns the error, if any.
    std::optional<QString> writeTo(const QString &path) const;

private:
    struct Member {
        QString name;
        QByteArray stored;
        qint64 size;  // unpacked size, kept in the field readers skip
    };

    QByteArray directory() const;

    QList<Member> m_members;
};

}  // namespace varnelo
