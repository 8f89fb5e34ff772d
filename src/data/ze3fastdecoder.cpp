#include "data/ze3fastdecoder.h"

#include <array>
#include <cstring>
#include <vector>

#include <QByteArrayView>
#include <QtEndian>

namespace varnelo {

namespace {

constexpr int kMaxNodes = 512;
constexpr int kLookupBits = Ze3FastDecoder::kLookupBits;
constexpr quint32 kTableSize = 1u << kLookupBits;
constexpr quint32 kTableMask = kTableSize - 1;
// Most symbols one table entry resolves.
constexpr int kSymbolsPerEntry = 3;

// Tree as child links per node; -1 marks an absent link or symbol.
struct Tree {
    std::array<std::array<qint16, 2>, kMaxNodes> child;
    std::array<qint16, kMaxNodes> symbol;
};

// What the next kLookupBits bits lead to from the root, in one word: up to three whole symbols
// (bits 8-31, first symbol lowest), their number (bits 6-7) and the bits they take (bits 0-5, so
// the word itself can be the shift count); or, with no symbols, a code longer than the look-up or
// a branch the tree does not have, which ends the data.
constexpr quint32 kLongEntry = 0;
constexpr quint32 kEndEntry = 1u << 8;

constexpr quint32 symbolsEntry(quint32 symbols, int count, int bits) {
    return quint32(bits) | quint32(count) << 6 | symbols << 8;
}
constexpr int countOf(quint32 entry) {
    return (entry >> 6) & 3;
}
constexpr int bitsOf(quint32 entry) {
    return entry & 63;
}

class BitReader {
public:
    BitReader(const quint8 *data, qint64 size, qint64 start)
        : m_data(data), m_endBit(quint64(size) * 8), m_bit(quint64(start) * 8) {}

    // Next bit; past the end of the input a 0.
    int next() {
        const quint64 bit = m_bit++;
        return bit < m_endBit ? (m_data[bit >> 3] >> (bit & 7)) & 1 : 0;
    }
    quint64 position() const { return m_bit; }

private:
    const quint8 *m_data;
    quint64 m_endBit;
    quint64 m_bit;
};

// Code lengths by symbol: pairs cut off by the end of the input are dropped, a later pair for
// the same symbol wins.
std::array<quint8, 256> codeLengths(const quint8 *in, qint64 n, const Ze3Header &header) {
    std::array<quint8, 256> lengths{};
    const qint64 pairs = qMin<qint64>(header.symbolCount, (n - 11) / 2);
    for (qint64 i = 0; i < pairs; ++i)
        lengths[in[11 + 2 * i]] = in[12 + 2 * i];
    return lengths;
}

void buildTree(const quint8 *in, qint64 n, const Ze3Header &header,
               const std::array<quint8, 256> &lengths, Tree &tree) {
    for (auto &links : tree.child)
        links = {-1, -1};
    tree.symbol.fill(-1);
    int used = 1;
    BitReader reader(in, n, header.codeStart());
    for (int symbol = 0; symbol < 256; ++symbol) {
        int node = 0;
        bool placed = true;
        for (int j = 0; j < lengths[symbol]; ++j) {
            const int bit = reader.next();
            if (!placed)
                continue;  // the rest of a code that did not fit is still read
            qint16 &next = tree.child[node][bit];
            if (next < 0 && used == kMaxNodes) {
                placed = false;
                continue;
            }
            if (next < 0)
                next = qint16(used++);
            node = next;
        }
        if (placed && node != 0)
            tree.symbol[node] = qint16(symbol);
    }
}

void fillFirstSymbols(const Tree &tree, std::vector<quint32> &table, int node, int depth,
                      quint32 prefix) {
    for (int bit = 0; bit < 2; ++bit) {
        const int child = tree.child[node][bit];
        const quint32 path = prefix | quint32(bit) << depth;
        const int bits = depth + 1;
        quint32 entry;
        if (child < 0)
            entry = kEndEntry;
        else if (tree.symbol[child] >= 0)
            entry = symbolsEntry(quint32(tree.symbol[child]), 1, bits);
        else if (bits == kLookupBits)
            entry = kLongEntry;
        else {
            fillFirstSymbols(tree, table, child, bits, path);
            continue;
        }
        for (quint32 rest = 0; rest < kTableSize >> bits; ++rest)
            table[path | rest << bits] = entry;
    }
}

// Adds to each one-symbol entry the symbols that follow wholly within the same bits.
void addFollowingSymbols(std::vector<quint32> &table) {
    const std::vector<quint32> first = table;
    for (quint32 window = 0; window < kTableSize; ++window) {
        const quint32 entry = first[window];
        if (countOf(entry) == 0)
            continue;
        quint32 symbols = entry >> 8;
        int count = 1;
        int used = bitsOf(entry);
        while (count < kSymbolsPerEntry) {
            const quint32 next = first[window >> used];
            if (countOf(next) == 0 || bitsOf(next) > kLookupBits - used)
                break;
            symbols |= (next >> 8) << (8 * count++);
            used += bitsOf(next);
        }
        table[window] = symbolsEntry(symbols, count, used);
    }
}

// Table look-ups while eight bytes can be loaded and three symbols fit in the output. Stops at a
// long code or a missing branch without taking its bits; returns true on a missing branch.
bool decodeByTable(const quint8 *in, qint64 n, const std::vector<quint32> &table, char *output,
                   qint64 limit, qint64 &produced, quint64 &bit) {
    if (n < 8 || (bit >> 3) > quint64(n - 8))
        return false;
    const quint8 *p = in + (bit >> 3);
    const quint8 *const lastLoad = in + n - 8;
    char *o = output + produced;
    char *const outEnd = output + limit;
    quint64 buffer = 0;  // bits from the stream at (p - in) * 8 - available on, lowest first
    int available = 0;
    auto refill = [&] {
        quint64 word;
        std::memcpy(&word, p, 8);
        buffer |= qFromLittleEndian(word) << available;
        p += (63 - available) >> 3;
        available |= 56;
    };
    refill();
    buffer >>= bit & 7;
    available -= int(bit & 7);

    bool ended = false;
    auto lookUp = [&] {
        const quint32 entry = table[buffer & kTableMask];
        if (countOf(entry) == 0) {
            ended = entry == kEndEntry;
            return false;
        }
        const quint32 symbols = qToLittleEndian(entry >> 8);
        std::memcpy(o, &symbols, 4);  // the fourth byte is overwritten or cut off
        o += countOf(entry);
        buffer >>= bitsOf(entry);
        available -= bitsOf(entry);
        return true;
    };
    // A refill leaves at least 56 bits: four look-ups of at most kLookupBits each.
    while (outEnd - o > 4 * kSymbolsPerEntry) {
        if (!lookUp() || !lookUp() || !lookUp() || !lookUp() || p > lastLoad)
            break;
        refill();
    }
    produced = o - output;
    bit = quint64(p - in) * 8 - quint64(available);
    return ended;
}

}  // namespace

struct Ze3FastDecoder::Tables {
    // The stream bytes the tables were built from, N to the last code byte; empty when the code
    // table was cut off by the end of its stream, which no later stream then matches.
    QByteArray key;
    Tree tree;
    std::vector<quint32> table = std::vector<quint32>(kTableSize);
};

Ze3FastDecoder::Ze3FastDecoder() = default;
Ze3FastDecoder::~Ze3FastDecoder() = default;
Ze3FastDecoder::Ze3FastDecoder(Ze3FastDecoder &&) noexcept = default;
Ze3FastDecoder &Ze3FastDecoder::operator=(Ze3FastDecoder &&) noexcept = default;

Ze3Check Ze3FastDecoder::decode(const QByteArray &input, QByteArray &out) {
    Ze3Header header;
    if (const auto done = decodeSimpleForm(input, out, header))
        return *done;
    const auto *in = reinterpret_cast<const quint8 *>(input.constData());
    const qint64 n = input.size();

    const std::array<quint8, 256> lengths = codeLengths(in, n, header);
    qint64 codeBits = 0;
    for (const quint8 length : lengths)
        codeBits += length;
    const qint64 dataStart = header.codeStart() + (codeBits + 7) / 8;
    // Everything the tree depends on: N, the pairs and the code bits.
    constexpr qint64 kKeyStart = 9;
    const bool whole = dataStart <= n;
    const QByteArrayView key =
        whole ? QByteArrayView(input).sliced(kKeyStart, dataStart - kKeyStart) : QByteArrayView();
    if (!m_tables)
        m_tables = std::make_unique<Tables>();
    Tables &tables = *m_tables;
    const bool known = whole && tables.key.size() == key.size() && !key.isEmpty() &&
                       std::memcmp(tables.key.constData(), key.data(), size_t(key.size())) == 0;
    if (!known) {
        buildTree(in, n, header, lengths, tables.tree);
        fillFirstSymbols(tables.tree, tables.table, 0, 0, 0);
        addFollowingSymbols(tables.table);
        tables.key = key.toByteArray();
    }
    const Tree &tree = tables.tree;
    const std::vector<quint32> &table = tables.table;

    const qint64 limit = header.outputLimit(n, dataStart);
    out.resize(limit);
    char *const output = out.data();
    qint64 produced = 0;
    quint64 bit = quint64(dataStart) * 8;
    const quint64 endBit = quint64(n) * 8;
    while (produced < limit) {
        if (decodeByTable(in, n, table, output, limit, produced, bit) || produced == limit)
            break;
        // One code bit by bit: a long code, or the last bytes of input or output.
        int node = 0;
        while (node >= 0 && bit < endBit) {
            node = tree.child[node][(in[bit >> 3] >> (bit & 7)) & 1];
            ++bit;
            if (node >= 0 && tree.symbol[node] >= 0) {
                output[produced++] = char(tree.symbol[node]);
                break;
            }
        }
        if (node < 0 || bit >= endBit)
            break;
    }
    out.resize(produced);
    return checkOutput(header, out);
}

}  // namespace varnelo
