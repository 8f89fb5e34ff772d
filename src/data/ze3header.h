#pragma once

#include <optional>

#include <QByteArray>

namespace varnelo {

// How a decode ended, the same for every decoder.
enum class Ze3Check {
    Ok,
    ChecksumMismatch,  // the output is complete as far as the stream allows but may be corrupt
    NotZe3,            // the stream was refused; there is no output
};

// The fixed fields at the front of a stream.
struct Ze3Header {
    enum class Form {
        NotZe3,      // shorter than 4 bytes, or H, E, x, CR with x neither 0 nor 3
        Stored,      // the bytes after the 4-byte header are the data
        Empty,       // no unpacked length, or a length of 0: decodes to nothing
        Corrupt,     // negative unpacked length: decodes to nothing, reported as corrupt
        Compressed,  // checksum, length and symbolCount are valid
    };
    Form form = Form::NotZe3;
    quint8 checksum = 0;
    qint32 length = 0;
    // Number of (symbol, length) pairs; a negative count means none.
    qint16 symbolCount = 0;

    // Offset of the first code bit: the end of the pairs.
    qint64 codeStart() const { return 11 + 2 * qint64(symbolCount > 0 ? symbolCount : 0); }
    // Most bytes data bits starting at dataStart can produce: each byte needs at least one bit.
    qint64 outputLimit(qint64 inputSize, qint64 dataStart) const;
};

// Reads the header; fields cut off by the end of the input read as 0.
Ze3Header readZe3Header(const QByteArray &in);

// Reads the header into header and decodes every form but Compressed, returning how that ended;
// nullopt for Compressed, which is left to the decoder.
std::optional<Ze3Check> decodeSimpleForm(const QByteArray &in, QByteArray &out, Ze3Header &header);

// Ok when out is the whole unpacked length and matches the checksum.
Ze3Check checkOutput(const Ze3Header &header, const QByteArray &out);

// XOR of all bytes.
quint8 xorChecksum(const char *data, qint64 size);

}  // namespace varnelo
