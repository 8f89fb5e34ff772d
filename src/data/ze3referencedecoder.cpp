#include "data/ze3referencedecoder.h"

#include <array>

namespace varnelo {

namespace {

constexpr int kMaxNodes = 512;

struct Node {
    qint16 parent;
    qint16 one;
    qint16 zero;
    qint16 symbol;
    qint32 weight;
};

struct Code {
    quint8 length = 0;
    std::array<quint8, 255> bits{};
};

}  // namespace

Ze3Check Ze3ReferenceDecoder::decode(const QByteArray &in, QByteArray &out) {
    Ze3Header header;
    if (const auto done = decodeSimpleForm(in, out, header))
        return *done;
    const qint64 n = in.size();

    // Code lengths; a later pair for the same symbol wins, pairs cut off by the end are dropped.
    std::array<Code, 256> codes{};
    for (qint64 i = 0; i < header.symbolCount; ++i) {
        const qint64 at = 11 + 2 * i;
        if (at + 1 >= n)
            break;
        codes[quint8(in[at])].length = quint8(in[at + 1]);
    }

    // Code bits, least significant first; bits past the end of the input read as 0.
    qint64 pos = header.codeStart();
    int bitPosition = 0;
    for (Code &code : codes) {
        for (int j = 0; j < code.length; ++j) {
            const int byte = pos < n ? quint8(in[pos]) : 0;
            code.bits[j] = (byte & (1 << bitPosition)) != 0;
            if (++bitPosition == 8) {
                bitPosition = 0;
                ++pos;
            }
        }
    }
    const qint64 dataStart = bitPosition == 0 ? pos : pos + 1;

    // The tree. A symbol without code lands on the root, which decoding never looks at; a
    // symbol whose path would need more than the fixed number of nodes gets no leaf.
    std::array<Node, kMaxNodes> tree;
    tree[0] = {-1, -1, -1, -1, 0};
    int nextFree = 1;
    for (int symbol = 0; symbol < 256; ++symbol) {
        int node = 0;
        bool placed = true;
        for (int j = 0; j < codes[symbol].length; ++j) {
            qint16 &child = codes[symbol].bits[j] ? tree[node].one : tree[node].zero;
            if (child == -1) {
                if (nextFree == kMaxNodes) {
                    placed = false;
                    break;
                }
                child = qint16(nextFree);
                tree[nextFree] = {qint16(node), -1, -1, -1, 0};
                ++nextFree;
            }
            node = child;
        }
        if (placed)
            tree[node].symbol = qint16(symbol);
    }

    // Data bits; a branch the tree does not have ends the data.
    const qint64 limit = header.outputLimit(n, dataStart);
    out.reserve(limit);
    int node = 0;
    for (qint64 i = dataStart; i < n && out.size() < limit; ++i) {
        const int byte = quint8(in[i]);
        for (int b = 0; b < 8; ++b) {
            node = (byte & (1 << b)) ? tree[node].one : tree[node].zero;
            if (node == -1)
                goto finished;
            if (tree[node].symbol != -1) {
                out.append(char(tree[node].symbol));
                if (out.size() == limit)
                    goto finished;
                node = 0;
            }
        }
    }
finished:
    return checkOutput(header, out);
}

}  // namespace varnelo
