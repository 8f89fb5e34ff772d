#include "data/archivewriter.h"

#include <limits>

#include <QSet>

#include "data/archive.h"
#include "data/clscompress.h"
#include "platform/replacefile.h"

namespace varnelo {

void ArchiveWriter::addMember(const QString &name, const QByteArray &bytes, Packing packing) {
    QByteArray stored = bytes;
    if (packing == Packing::Encode)
        clsCompress().EncodeByte(stored);
    m_members.append({name, stored, bytes.size()});
}

QByteArray ArchiveWriter::directory() const {
    QByteArray text = QByteArray::number(m_members.size()) + ':';
    for (const Member &member : m_members)
        text += member.name.toLatin1() + ':';
    for (const Member &member : m_members)
        text += QByteArray::number(member.size) + ':';
    for (const Member &member : m_members)
        text += QByteArray::number(member.stored.size()) + ':';
    return text;
}

std::optional<QString> ArchiveWriter::problem() const {
    QSet<QString> names;
    qint64 total = 0;
    for (const Member &member : m_members) {
        if (member.name.isEmpty() || member.name.contains(':') ||
            QString::fromLatin1(member.name.toLatin1()) != member.name) {
            return QStringLiteral("Member name not usable in an archive: \"%1\"").arg(member.name);
        }
        if (names.contains(member.name))
            return QStringLiteral("Member name used twice: %1").arg(member.name);
        names.insert(member.name);
        total += member.stored.size();
    }
    if (total > std::numeric_limits<qint32>::max())
        return QStringLiteral("Archive data too large (%1 bytes)").arg(total);
    if (directory().size() > kArchiveDirectoryWindow)
        return QStringLiteral("Directory longer than %1 characters").arg(kArchiveDirectoryWindow);
    return std::nullopt;
}

QByteArray ArchiveWriter::toBytes() const {
    QByteArray out;
    for (const Member &member : m_members)
        out += member.stored;
    const QByteArray dir = directory();
    return out + dir + QByteArray::number(dir.size()).rightJustified(10, ' ');
}

std::optional<QString> ArchiveWriter::writeTo(const QString &path) const {
    if (const auto why = problem())
        return why;
    if (const auto why = replaceFile(path, toBytes()))
        return QStringLiteral("Cannot write %1: %2").arg(path, *why);
    return std::nullopt;
}

}  // namespace varnelo
