#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace varnelo::test {

// The whole content of a file; "<missing>" when it cannot be read, so no lost file passes for an
// empty one.
inline QByteArray readFileBytes(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Creates or replaces a file with bytes; false when it cannot be written.
inline bool writeFileBytes(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace varnelo::test
