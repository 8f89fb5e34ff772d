#include "data/ze3header.h"

#include <cstring>

namespace varnelo {

namespace {

int byteAt(const QByteArray &in, qint64 i) {
    return i < in.size() ? quint8(in[i]) : 0;
}

}  // namespace

qint64 Ze3Header::outputLimit(qint64 inputSize, qint64 dataStart) const {
    const qint64 bits = inputSize > dataStart ? (inputSize - dataStart) * 8 : 0;
    return qMin<qint64>(length, bits);
}

Ze3Header readZe3Header(const QByteArray &in) {
    Ze3Header header;
    if (in.size() < 4)
        return header;
    if (in[0] == 'H' && in[1] == 'E' && in[3] == '\r') {
        if (in[2] == '0') {
            header.form = Ze3Header::Form::Stored;
            return header;
        }
        if (in[2] != '3')
            return header;
    }
    // Any other four bytes (the encoder writes "VX \r") are not examined.
    if (in.size() < 9) {
        header.form = Ze3Header::Form::Empty;
        return header;
    }
    header.checksum = quint8(in[4]);
    quint32 length = 0;
    for (int i = 0; i < 4; ++i)
        length |= quint32(byteAt(in, 5 + i)) << (8 * i);
    header.length = qint32(length);
    header.symbolCount = qint16(quint16(byteAt(in, 9) | byteAt(in, 10) << 8));
    if (header.length == 0)
        header.form = Ze3Header::Form::Empty;
    else if (header.length < 0)
        header.form = Ze3Header::Form::Corrupt;
    else
        header.form = Ze3Header::Form::Compressed;
    return header;
}

std::optional<Ze3Check> decodeSimpleForm(const QByteArray &in, QByteArray &out, Ze3Header &header) {
    header = readZe3Header(in);
    out.resize(0);  // keeps the allocation for the next decode
    switch (header.form) {
        case Ze3Header::Form::NotZe3:
            return Ze3Check::NotZe3;
        case Ze3Header::Form::Stored:
            out = in.mid(4);
            return Ze3Check::Ok;
        case Ze3Header::Form::Empty:
            return Ze3Check::Ok;
        case Ze3Header::Form::Corrupt:
            return Ze3Check::ChecksumMismatch;
        case Ze3Header::Form::Compressed:
            break;
    }
    return std::nullopt;
}

Ze3Check checkOutput(const Ze3Header &header, const QByteArray &out) {
    // Data that ends before the unpacked length is corrupt even when the sum happens to match.
    const bool whole = out.size() == header.length;
    return whole && xorChecksum(out.constData(), out.size()) == header.checksum
               ? Ze3Check::Ok
               : Ze3Check::ChecksumMismatch;
}

quint8 xorChecksum(const char *data, qint64 size) {
    quint64 wide = 0;
    qint64 i = 0;
    for (; i + 8 <= size; i += 8) {
        quint64 word;
        std::memcpy(&word, data + i, 8);
        wide ^= word;
    }
    quint8 sum = 0;
    for (int shift = 0; shift < 64; shift += 8)
        sum ^= quint8(wide >> shift);
    for (; i < size; ++i)
        sum ^= quint8(data[i]);
    return sum;
}

}  // namespace varnelo
