#pragma once

#include <QString>

namespace varnelo {

// A numbered error of the codec: what went wrong and which routine raised it.
struct CodecError {
    qint32 number = 0;
    QString description;
    QString source;

    bool operator==(const CodecError &) const = default;
};

namespace codecerror {

// The first error number left to applications (0x80040000).
inline constexpr qint32 kNumber = -2147221504;

inline CodecError notZe3() {
    return {kNumber,
            QStringLiteral("The data either was not compressed with ZE3 or is corrupt "
                           "(identification string not found)"),
            QStringLiteral("HuffmanDecode()")};
}

inline CodecError checksumMismatch() {
    return {kNumber,
            QStringLiteral("The data might be corrupted (checksum did not match expected value)"),
            QStringLiteral("clsHuffman.Decode()")};
}

// source is "clsHuffman.EncodeFile()" or "clsHuffman.AddFiles()".
inline CodecError sourceMissing(const QString &source) {
    return {kNumber, QStringLiteral("Source file does not exist"), source};
}

// A file the codec had to read or write could not be accessed.
inline CodecError fileAccess(const QString &path, const QString &source) {
    return {kNumber, QStringLiteral("Cannot access file %1").arg(path), source};
}

}  // namespace codecerror

}  // namespace varnelo
