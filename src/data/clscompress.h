#pragma once

#include <optional>

#include <QByteArray>
#include <QString>

#include "data/codecerror.h"
#include "data/ze3fastdecoder.h"

namespace varnelo {

// Set by DecodeFile after it has written its file; the Arabic page loader clears and polls it.
extern bool DecodeDone;
// Decimal size of the bytes the last EncodeFile or AddFiles call wrote.
extern QString LastStoredSize;

// What a decode reports besides its bytes.
struct DecodeReport {
    // The stream was refused (or its file could not be written): nothing was decoded.
    std::optional<CodecError> raised;
    // The checksum did not match: the decoded bytes were still delivered.
    std::optional<CodecError> recorded;

    bool ok() const { return !raised && !recorded; }
};

// ZE3 packing: a static Huffman code whose table travels in the stream.
class clsCompress {
public:
    // Replaces data by its stream: compressed, or stored when packing would not make it smaller.
    void EncodeByte(QByteArray &data) const;
    // Replaces data by the decoded bytes; a refused stream leaves data unchanged.
    DecodeReport DecodeByte(QByteArray &data) const;

    // Decodes data and replaces the file at path with the result, then sets DecodeDone. A refused
    // stream or a failed write leaves the file alone and DecodeDone unchanged.
    DecodeReport DecodeFile(const QString &path, const QByteArray &data) const;
    // Replaces the file at path with data unchanged.
    std::optional<CodecError> ExtractFile(const QString &path, const QByteArray &data) const;

    // Encodes the source file into destination at the 1-based byte position (the rest of the
    // destination is kept) and sets LastStoredSize. Fails on a missing source or a bad position.
    std::optional<CodecError> EncodeFile(const QString &source, const QString &destination,
                                         const QString &position) const;
    // The same as EncodeFile without encoding.
    std::optional<CodecError> AddFiles(const QString &source, const QString &destination,
                                       const QString &position) const;

    // Text is carried as Latin-1, which maps every byte to one character and back.
    void EncodeString(QString &text) const;
    DecodeReport DecodeString(QString &text) const;

private:
    std::optional<CodecError> putFile(const QString &source, const QString &destination,
                                      const QString &position, bool encode) const;

    // Only a cache of the last code table's tables: decoding stays const.
    mutable Ze3FastDecoder m_decoder;
};

}  // namespace varnelo
