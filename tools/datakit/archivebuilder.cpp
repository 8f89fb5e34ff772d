#include "archivebuilder.h"

#include "data/archive.h"
#include "data/archivewriter.h"
#include "data/clscompress.h"

#include <QFile>

namespace varnelo {

void ArchiveBuilder::addMember(const QString &name, const QByteArray &bytes, bool encoded) {
    m_members.append({name, bytes, encoded});
}

void ArchiveBuilder::setMember(const QString &name, const QByteArray &bytes, bool encoded) {
    for (Member &m : m_members) {
        if (m.name == name) {
            m = {name, bytes, encoded};
            return;
        }
    }
    addMember(name, bytes, encoded);
}

QStringList ArchiveBuilder::memberNames() const {
    QStringList names;
    for (const Member &m : m_members) {
        names.append(m.name);
    }
    return names;
}

QString ArchiveBuilder::write(const QString &path) const {
    ArchiveWriter writer;
    for (const Member &m : m_members) {
        writer.addMember(
            m.name, m.bytes,
            m.encoded ? ArchiveWriter::Packing::Encode : ArchiveWriter::Packing::Store);
    }
    if (const auto problem = writer.problem()) {
        return QStringLiteral("%1: %2").arg(path, *problem);
    }
    return writer.writeTo(path).value_or(QString());
}

QString mergeIntoArchive(const QString &path, const QMap<QString, QByteArray> &members,
                         bool encoded) {
    ArchiveBuilder archive;
    QMap<QString, QByteArray> kept;
    if (QFile::exists(path)) {
        const ArchiveContents old = readArchive(path);
        if (!old.error.isEmpty()) {
            return old.error;
        }
        for (const StoredMember &m : old.members) {
            if (!members.contains(m.name)) {
                kept.insert(m.name, m.stored);
            }
        }
    }
    QStringList names = kept.keys() + members.keys();
    names.sort();
    for (const QString &name : names) {
        if (kept.contains(name)) {
            archive.addMember(name, kept[name], false);
        } else {
            archive.addMember(name, members[name], encoded);
        }
    }
    return archive.write(path);
}

ArchiveContents readArchive(const QString &path) {
    ArchiveContents result;
    const ArchiveListing listing = listArchiveMembers(path);
    if (!listing.ok()) {
        result.error = listing.error;
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("cannot open %1: %2").arg(path, file.errorString());
        return result;
    }
    for (const ArchiveMember &m : listing.members) {
        file.seek(m.offset);
        result.members.append({m.name, file.read(m.storedSize)});
    }
    return result;
}

QByteArray encodeMember(const QByteArray &bytes) {
    QByteArray data = bytes;
    clsCompress().EncodeByte(data);
    return data;
}

QByteArray decodeMember(const QByteArray &stored, QString *error) {
    QByteArray data = stored;
    const DecodeReport report = clsCompress().DecodeByte(data);
    const std::optional<CodecError> problem = report.raised ? report.raised : report.recorded;
    if (problem && error) {
        *error = problem->description;
    }
    return report.raised ? QByteArray() : data;
}

}  // namespace varnelo
