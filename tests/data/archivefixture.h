#pragma once

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QString>
#include <QtEndian>

#include <initializer_list>
#include <utility>

#include "data/archivewriter.h"

namespace varnelo::test {

struct Member {
    QString name;
    QByteArray bytes;
    ArchiveWriter::Packing packing = ArchiveWriter::Packing::Encode;
};

// Writes an archive of members at path, creating its folder; false when that fails.
inline bool writeArchive(const QString &path, const QList<Member> &members) {
    ArchiveWriter writer;
    for (const Member &m : members)
        writer.addMember(m.name, m.bytes, m.packing);
    return QDir().mkpath(QFileInfo(path).absolutePath()) && !writer.writeTo(path).has_value();
}

// Little-endian bytes of values of type T, back to back.
template <typename T>
QByteArray littleEndian(std::initializer_list<T> values) {
    QByteArray bytes;
    for (T v : values) {
        char b[sizeof(T)];
        qToLittleEndian<T>(v, b);
        bytes.append(b, sizeof(T));
    }
    return bytes;
}

}  // namespace varnelo::test
