#include <gtest/gtest.h>

#include <QList>

#include <random>
#include <vector>

#include "data/clscompress.h"
#include "data/ze3fastdecoder.h"
#include "data/ze3referencedecoder.h"

using namespace varnelo;

namespace {

struct Decoded {
    QByteArray out;
    Ze3Check check;
};

// Runs the reference decoder, a new fast decoder and, when given, one that has decoded other
// streams before, and requires the same result from each.
Decoded decodeBoth(const QByteArray &stream, Ze3FastDecoder *kept = nullptr) {
    Decoded reference;
    reference.check = Ze3ReferenceDecoder::decode(stream, reference.out);
    Ze3FastDecoder fresh;
    for (Ze3FastDecoder *decoder : {&fresh, kept}) {
        if (!decoder)
            continue;
        Decoded fast;
        fast.check = decoder->decode(stream, fast.out);
        EXPECT_EQ(reference.out, fast.out) << "stream " << stream.toHex().toStdString();
        EXPECT_EQ(int(reference.check), int(fast.check))
            << "stream " << stream.toHex().toStdString();
    }
    return reference;
}

QByteArray packBits(const std::vector<int> &bits) {
    QByteArray out((bits.size() + 7) / 8, '\0');
    for (size_t i = 0; i < bits.size(); ++i) {
        if (bits[i])
            out[i / 8] = char(out[i / 8] | 1 << (i % 8));
    }
    return out;
}

std::vector<int> ones(int count, std::vector<int> prefix = {}) {
    prefix.insert(prefix.end(), count, 1);
    return prefix;
}

std::vector<int> operator+(std::vector<int> a, const std::vector<int> &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A hand-made stream: pairs as given (not sorted, not checked), codes and data as bit lists.
QByteArray makeStream(quint8 checksum, qint32 length, const std::vector<std::pair<int, int>> &pairs,
                      const std::vector<int> &codeBits, const std::vector<int> &dataBits,
                      qint16 count = -1) {
    QByteArray s("VX \r", 4);
    s.append(char(checksum));
    for (int i = 0; i < 4; ++i)
        s.append(char(quint32(length) >> (8 * i)));
    const quint16 n = count >= 0 ? quint16(count) : quint16(pairs.size());
    s.append(char(n & 0xff));
    s.append(char(n >> 8));
    for (auto [symbol, bits] : pairs) {
        s.append(char(symbol));
        s.append(char(bits));
    }
    return s + packBits(codeBits) + packBits(dataBits);
}

}  // namespace

TEST(Ze3Decoders, MalformedCodeTablesFollowTheTreeRules) {
    // 'b' (01) lies below 'a' (0): the walk stops at 'a', 'b' is unreachable, and a 1 at the
    // root has no branch, which ends the data.
    Decoded d = decodeBoth(makeStream(0, 2, {{'a', 1}, {'b', 2}}, {0, 0, 1}, {0, 0, 1, 1}));
    EXPECT_EQ(d.out, "aa");
    EXPECT_EQ(d.check, Ze3Check::Ok);
    d = decodeBoth(makeStream(0, 9, {{'a', 1}, {'b', 2}}, {0, 0, 1}, {0, 1, 0}));
    EXPECT_EQ(d.out, "a");
    EXPECT_EQ(d.check, Ze3Check::ChecksumMismatch);

    // Equal codes: the higher symbol wins the leaf.
    d = decodeBoth(makeStream(0, 2, {{'a', 1}, {'b', 1}}, {1, 1}, {1, 1}));
    EXPECT_EQ(d.out, "bb");

    // A pair with length 0 only writes into the root, which decoding never consults.
    d = decodeBoth(makeStream('x' ^ 'y', 2, {{'c', 0}, {'x', 1}, {'y', 1}}, {0, 1}, {0, 1}));
    EXPECT_EQ(d.out, "xy");
    EXPECT_EQ(d.check, Ze3Check::Ok);

    // N = 0: nothing decodes, and the missing bytes are reported even though the sum is 0.
    d = decodeBoth(makeStream(0, 5, {}, {}, {0, 1, 0, 1, 1, 0, 1, 0}));
    EXPECT_EQ(d.out, "");
    EXPECT_EQ(d.check, Ze3Check::ChecksumMismatch);

    // N = 300: every pair is read and a later pair for the same symbol wins.
    std::vector<std::pair<int, int>> pairs(299, {'A', 7});
    pairs.push_back({'B', 1});
    pairs[298] = {'A', 1};
    d = decodeBoth(makeStream(0, 4, pairs, {0, 1}, {0, 1, 1, 0}));
    EXPECT_EQ(d.out, "ABBA");
    EXPECT_EQ(d.check, Ze3Check::Ok);
}

TEST(Ze3Decoders, LongCodesAndAFullTree) {
    // A 255-bit code goes past the look-up table into the tree, and back to the table.
    std::vector<int> data;
    for (int i = 0; i < 20; ++i)
        data = data + ones(255, {0});
    Decoded d =
        decodeBoth(makeStream(0, 40, {{'a', 255}, {'b', 1}}, ones(255) + std::vector{0}, data));
    EXPECT_EQ(d.out, QByteArray("ba").repeated(20));
    EXPECT_EQ(d.check, Ze3Check::Ok);

    // 'a' and 'b' take 510 of the 512 nodes, 'c' the last one; 'd' would need one more and so
    // gets no leaf: its bits end the data.
    const std::vector<int> codes = ones(255) + ones(254, {0}) + std::vector{0, 0, 0, 1, 0};
    d = decodeBoth(makeStream(0, 3, {{'a', 255}, {'b', 255}, {'c', 2}, {'d', 3}}, codes,
                              {0, 0, 0, 1, 0, 0, 0}));
    EXPECT_EQ(d.out, "c");
    EXPECT_EQ(d.check, Ze3Check::ChecksumMismatch);
}

TEST(Ze3Decoders, HeaderFieldsOutOfRangeNeverOverrun) {
    // Negative unpacked length: nothing decoded, reported as corrupt.
    Decoded d = decodeBoth(makeStream(0, -5, {{'a', 1}, {'b', 1}}, {0, 1}, {0, 1}));
    EXPECT_EQ(d.out, "");
    EXPECT_EQ(d.check, Ze3Check::ChecksumMismatch);
    // A huge length is capped by what the data bits can give.
    d = decodeBoth(makeStream(0, 0x7fffffff, {{'a', 1}, {'b', 1}}, {0, 1}, std::vector<int>(64)));
    EXPECT_EQ(d.out, QByteArray(64, 'a'));
    EXPECT_EQ(d.check, Ze3Check::ChecksumMismatch);
    // Length 0 decodes to nothing; pairs and codes cut off by the end of the stream read as 0.
    EXPECT_EQ(decodeBoth(makeStream(0, 0, {{'a', 1}}, {1}, {1})).out, "");
    d = decodeBoth(makeStream(0, 4, {{'a', 200}, {'b', 1}}, {}, {}, 300).left(13));
    EXPECT_EQ(d.out, "");
    // Too short to identify.
    EXPECT_EQ(decodeBoth("VX ").check, Ze3Check::NotZe3);
    EXPECT_EQ(decodeBoth("HE3\r\x01").check, Ze3Check::Ok);
}

TEST(Ze3Decoders, KeptTablesServeOnlyTheSameCodeTable) {
    Ze3FastDecoder kept;
    // The same code table with other data, then tables that differ from it in one code bit, one
    // code length, one symbol, or only in where the stream ends.
    const auto ab = [](std::vector<int> codes, std::vector<int> data, qint32 length,
                       std::vector<std::pair<int, int>> pairs = {{'a', 1}, {'b', 1}}) {
        return makeStream(0, length, pairs, codes, data);
    };
    const QByteArray streams[] = {
        ab({0, 1}, {0, 1, 1}, 3),
        ab({0, 1}, {1, 1, 0, 0}, 4),
        ab({1, 0}, {1, 1, 0, 0}, 4),
        ab({1, 0, 0}, {1, 0, 0, 1}, 3, {{'a', 1}, {'b', 2}}),
        ab({0, 1}, {0, 1, 1}, 3, {{'a', 1}, {'c', 1}}),
        ab({0, 1}, {0, 1, 1}, 3).left(12),
        ab({0, 1}, {0, 1, 1}, 3).left(15),
        ab({0, 1}, {0, 1, 1}, 3),
    };
    QList<QByteArray> outputs;
    for (const QByteArray &stream : streams)
        outputs.append(decodeBoth(stream, &kept).out);
    EXPECT_EQ(outputs, (QList<QByteArray>{"abb", "bbaa", "aabb", "aba", "acc", "", "", "abb"}));

    // A kept decoder moved elsewhere goes on working, and so does one given new tables.
    Ze3FastDecoder moved = std::move(kept);
    EXPECT_EQ(decodeBoth(streams[1], &moved).out, "bbaa");
    kept = std::move(moved);
    EXPECT_EQ(decodeBoth(streams[2], &kept).out, "aabb");
}

TEST(Ze3Decoders, AgreeOnRandomAndMutatedStreams) {
    Ze3FastDecoder kept;
    std::mt19937 rng(20261206);
    auto below = [&](int n) { return int(rng() % unsigned(n)); };
    auto randomBytes = [&](int size, int alphabet) {
        QByteArray b(size, '\0');
        for (char &c : b)
            c = char(below(alphabet));
        return b;
    };

    // Random streams behind a valid header and a plausible length.
    for (int i = 0; i < 3000; ++i) {
        QByteArray s =
            makeStream(quint8(below(256)), below(400) - 20, {}, {}, {}, qint16(below(40) - 4));
        s += randomBytes(below(300), 256);
        decodeBoth(s, &kept);
    }

    // Valid encoder output, then damaged: bits flipped, bytes replaced, cut, lengths rewritten.
    const char *const words[] = {"the ", "merciful ", "verse ", "\r\n", "ayah ", "z", "!", "17 "};
    for (int i = 0; i < 3000; ++i) {
        QByteArray text;
        if (i % 4 == 0) {
            text = randomBytes(below(3000), 1 + below(256));
        } else {
            for (int w = below(400); w > 0; --w)
                text += words[below(8) < 7 ? below(3) : below(8)];
        }
        QByteArray stream = text;
        clsCompress().EncodeByte(stream);
        const Decoded whole = decodeBoth(stream, &kept);
        EXPECT_EQ(whole.out, text);
        EXPECT_EQ(whole.check, Ze3Check::Ok);
        for (int m = below(4) + 1; m > 0 && stream.size() > 12; --m) {
            const int at = below(int(stream.size()));
            switch (below(6)) {
                case 0:
                    stream[at] = char(stream[at] ^ (1 << below(8)));
                    break;
                case 1:
                    stream[at] = char(below(256));
                    break;
                case 2:
                    stream.truncate(at);
                    break;
                case 3:  // a code length
                    stream[(12 + 2 * below(300)) % stream.size()] =
                        char(below(2) ? 255 : below(20));
                    break;
                case 4:  // N
                    stream[9] = char(below(256));
                    stream[10] = char(below(3) == 0 ? below(256) : 0);
                    break;
                default:
                    stream.insert(at, randomBytes(below(5) + 1, 256));
                    break;
            }
        }
        decodeBoth(stream, &kept);
    }
}
