#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

namespace varnelo {

// Collects the members of one data archive and writes it in a single step.
class ArchiveBuilder {
public:
    // Adds a member; encoded members are stored as ZE3 streams, the others as they are.
    void addMember(const QString &name, const QByteArray &bytes, bool encoded);
    // Replaces the member of that name, or adds it when there is none.
    void setMember(const QString &name, const QByteArray &bytes, bool encoded);
    bool isEmpty() const { return m_members.isEmpty(); }
    QStringList memberNames() const;

    // Writes the archive through a temporary file and a rename; an existing file is untouched on
    // failure. Returns an empty string on success, else what went wrong.
    QString write(const QString &path) const;

private:
    struct Member {
        QString name;
        QByteArray bytes;
        bool encoded = false;
    };
    QList<Member> m_members;
};

// The stored bytes of every member of the archive at path, in archive order (the bytes exactly as
// stored, not decoded). Fails with a message when the file is missing or its directory is damaged.
struct StoredMember {
    QString name;
    QByteArray stored;
};
struct ArchiveContents {
    QList<StoredMember> members;
    QString error;
};
ArchiveContents readArchive(const QString &path);

// Replaces or adds the members in the archive at path and rewrites it (temporary file + rename),
// members sorted by name. encoded says how new members are stored; kept ones stay as stored.
QString mergeIntoArchive(const QString &path, const QMap<QString, QByteArray> &members,
                         bool encoded);

// The ZE3 stream of bytes, and the bytes of a ZE3 stream (empty with error set when it is bad).
QByteArray encodeMember(const QByteArray &bytes);
QByteArray decodeMember(const QByteArray &stored, QString *error);

}  // namespace varnelo
