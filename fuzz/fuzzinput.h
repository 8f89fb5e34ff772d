// Reads a fuzz input as a few choices followed by fields, so that one input drives several
// parameters of a target.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace varnelo::fuzz {

// Ends the run when a target's check fails, naming the check.
// (std::source_location is missing from clang 14 with this standard library.)
inline void require(bool condition, const char *file = __builtin_FILE(),
                    int line = __builtin_LINE()) {
    if (condition)
        return;
    std::fprintf(stderr, "fuzz check failed at %s:%d\n", file, line);
    std::abort();
}

class FuzzInput {
public:
    FuzzInput(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}

    // The next byte, 0 once the input is used up.
    uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    // Bytes up to the next 0 byte (dropped) or the end.
    QByteArray field() {
        const size_t start = m_pos;
        while (m_pos < m_size && m_data[m_pos] != 0)
            ++m_pos;
        const QByteArray out(reinterpret_cast<const char *>(m_data + start),
                             qsizetype(m_pos - start));
        if (m_pos < m_size)
            ++m_pos;
        return out;
    }
    // Everything not read yet.
    QByteArray rest() {
        const QByteArray out(reinterpret_cast<const char *>(m_data + m_pos),
                             qsizetype(m_size - m_pos));
        m_pos = m_size;
        return out;
    }
    bool atEnd() const { return m_pos >= m_size; }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_pos = 0;
};

inline bool writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// Every file below root, as paths relative to it.
inline QStringList filesBelow(const QString &root) {
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    const QDir base(root);
    while (it.hasNext())
        files.append(base.relativeFilePath(it.next()));
    return files;
}

}  // namespace varnelo::fuzz
