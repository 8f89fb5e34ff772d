#include "data/clscompress.h"

#include <array>
#include <limits>
#include <vector>

#include <QFile>
#include <QFileInfo>

#include "platform/replacefile.h"

namespace varnelo {

bool DecodeDone = false;
QString LastStoredSize;

namespace {

struct Node {
    int parent = -1;
    int one = -1;
    int zero = -1;
    int symbol = -1;
    qint64 weight = 0;
};

// Packs bits least significant first.
class BitWriter {
public:
    explicit BitWriter(QByteArray &out) : m_out(out) {}

    void put(const std::vector<quint8> &bits) {
        for (quint8 bit : bits) {
            m_pending |= quint64(bit) << m_count;
            if (++m_count == 64)
                flushWord();
        }
    }
    // Completes the last byte with zero bits.
    void finish() {
        for (; m_count > 0; m_count -= qMin(m_count, 8), m_pending >>= 8)
            m_out.append(char(m_pending & 0xff));
        m_pending = 0;
        m_count = 0;
    }

private:
    void flushWord() {
        for (int i = 0; i < 8; ++i)
            m_out.append(char(m_pending >> (8 * i)));
        m_pending = 0;
        m_count = 0;
    }

    QByteArray &m_out;
    quint64 m_pending = 0;
    int m_count = 0;
};

QByteArray storedForm(const QByteArray &data) {
    return QByteArray("HE0\r", 4) + data;
}

void appendLittleEndian(QByteArray &out, quint32 value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.append(char(value >> (8 * i)));
}

// Pairs the two lightest parentless nodes until one is left; ties fall as the scan below
// decides, which fixes the exact codes.
std::vector<Node> buildHuffmanTree(const std::array<qint64, 256> &counts) {
    std::vector<Node> nodes;
    for (int value = 0; value < 256; ++value) {
        if (counts[value] > 0)
            nodes.push_back({-1, -1, -1, value, counts[value]});
    }
    for (int open = int(nodes.size()); open >= 2; --open) {
        int a = -1;
        int b = -1;
        for (int k = 0; k < int(nodes.size()); ++k) {
            if (nodes[k].parent != -1)
                continue;
            if (a < 0) {
                a = k;
                continue;
            }
            if (b < 0) {
                b = k;
                continue;
            }
            const qint64 w = nodes[k].weight;
            const qint64 wa = nodes[a].weight;
            const qint64 wb = nodes[b].weight;
            if (w >= wa && w < wb)
                b = k;
            else if (w < wa && w >= wb)
                a = k;
            else if (w < wa && w < wb && wa < wb)
                b = k;
            else if (w < wa && w < wb && wa >= wb)
                a = k;
        }
        const int joined = int(nodes.size());
        nodes.push_back({-1, b, a, -1, nodes[a].weight + nodes[b].weight});
        nodes[a].parent = joined;
        nodes[b].parent = joined;
    }
    return nodes;
}

void assignCodes(const std::vector<Node> &nodes, int node, std::vector<quint8> &path,
                 std::array<std::vector<quint8>, 256> &codes) {
    if (nodes[node].symbol != -1) {
        codes[nodes[node].symbol] = path;
        return;
    }
    path.push_back(0);
    assignCodes(nodes, nodes[node].zero, path, codes);
    path.back() = 1;
    assignCodes(nodes, nodes[node].one, path, codes);
    path.pop_back();
}

QByteArray encode(const QByteArray &data) {
    const qint64 n = data.size();
    if (n == 0)
        return QByteArray("VX \r", 4);
    // The length field has 32 bits; the stored form has none.
    if (n > std::numeric_limits<qint32>::max())
        return storedForm(data);

    std::array<qint64, 256> counts{};
    for (char c : data)
        ++counts[quint8(c)];
    const std::vector<Node> nodes = buildHuffmanTree(counts);
    std::array<std::vector<quint8>, 256> codes;
    std::vector<quint8> path;
    assignCodes(nodes, int(nodes.size()) - 1, path, codes);

    qint64 totalBits = 0;
    for (int value = 0; value < 256; ++value)
        totalBits += qint64(codes[value].size()) * counts[value];
    const qint64 dataSize = (totalBits + 7) / 8;
    if (dataSize == 0 || dataSize > n)
        return storedForm(data);

    int symbolCount = 0;
    for (qint64 count : counts)
        symbolCount += count > 0;
    QByteArray out("VX \r", 4);
    out.reserve(11 + 2 * symbolCount + 256 * 32 + dataSize);
    out.append(char(xorChecksum(data.constData(), n)));
    appendLittleEndian(out, quint32(n), 4);
    appendLittleEndian(out, quint32(symbolCount), 2);
    for (int value = 0; value < 256; ++value) {
        if (counts[value] > 0) {
            out.append(char(value));
            out.append(char(codes[value].size()));
        }
    }
    BitWriter writer(out);
    for (int value = 0; value < 256; ++value)
        writer.put(codes[value]);
    writer.finish();
    for (char c : data)
        writer.put(codes[quint8(c)]);
    writer.finish();
    return out;
}

}  // namespace

void clsCompress::EncodeByte(QByteArray &data) const {
    data = encode(data);
}

DecodeReport clsCompress::DecodeByte(QByteArray &data) const {
    QByteArray out;
    DecodeReport report;
    switch (m_decoder.decode(data, out)) {
        case Ze3Check::NotZe3:
            report.raised = codecerror::notZe3();
            return report;
        case Ze3Check::ChecksumMismatch:
            report.recorded = codecerror::checksumMismatch();
            break;
        case Ze3Check::Ok:
            break;
    }
    data = std::move(out);
    return report;
}

DecodeReport clsCompress::DecodeFile(const QString &path, const QByteArray &data) const {
    QByteArray bytes = data;
    DecodeReport report = DecodeByte(bytes);
    if (report.raised)
        return report;
    if (writeScratchFile(path, bytes)) {
        report.raised = codecerror::fileAccess(path, QStringLiteral("clsHuffman.DecodeFile()"));
        return report;
    }
    DecodeDone = true;
    return report;
}

std::optional<CodecError> clsCompress::ExtractFile(const QString &path,
                                                   const QByteArray &data) const {
    if (writeScratchFile(path, data))
        return codecerror::fileAccess(path, QStringLiteral("clsHuffman.ExtractFile()"));
    return std::nullopt;
}

std::optional<CodecError> clsCompress::EncodeFile(const QString &source, const QString &destination,
                                                  const QString &position) const {
    return putFile(source, destination, position, true);
}

std::optional<CodecError> clsCompress::AddFiles(const QString &source, const QString &destination,
                                                const QString &position) const {
    return putFile(source, destination, position, false);
}

std::optional<CodecError> clsCompress::putFile(const QString &source, const QString &destination,
                                               const QString &position, bool encode) const {
    const QString routine = encode ? QStringLiteral("clsHuffman.EncodeFile()")
                                   : QStringLiteral("clsHuffman.AddFiles()");
    QFile in(source);
    if (!QFileInfo(source).isFile() || !in.open(QIODevice::ReadOnly))
        return codecerror::sourceMissing(routine);
    QByteArray bytes = in.readAll();
    if (encode)
        EncodeByte(bytes);

    bool isNumber = false;
    const qint64 at = position.trimmed().toLongLong(&isNumber);
    if (!isNumber || at < 1)
        return CodecError{codecerror::kNumber, QStringLiteral("Bad file position %1").arg(position),
                          routine};
    // Written in place: the destination is an archive being built, not a finished file.
    QFile out(destination);
    if (!out.open(QIODevice::ReadWrite) || !out.seek(at - 1) || out.write(bytes) != bytes.size())
        return codecerror::fileAccess(destination, routine);
    LastStoredSize = QString::number(bytes.size());
    return std::nullopt;
}

void clsCompress::EncodeString(QString &text) const {
    QByteArray bytes = text.toLatin1();
    EncodeByte(bytes);
    text = QString::fromLatin1(bytes);
}

DecodeReport clsCompress::DecodeString(QString &text) const {
    QByteArray bytes = text.toLatin1();
    DecodeReport report = DecodeByte(bytes);
    if (!report.raised)
        text = QString::fromLatin1(bytes);
    return report;
}

}  // namespace varnelo
