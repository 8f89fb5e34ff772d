#include <benchmark/benchmark.h>

#include <random>

#include "data/clscompress.h"
#include "data/ze3fastdecoder.h"
#include "data/ze3referencedecoder.h"

using namespace varnelo;

namespace {

constexpr int kInputSize = 4 << 20;

// Words of skewed frequency with blanks, punctuation and line ends, like a translation text.
QByteArray textLike() {
    static const char *const words[] = {
        "the",    "and",    "of",     "to",    "who",      "is",    "in",   "that",    "you",
        "Lord",   "they",   "those",  "will",  "not",      "We",    "them", "their",   "for",
        "said",   "people", "verily", "earth", "heavens",  "mercy", "day",  "believe", "signs",
        "guided", "Book",   "upon",   "Allah", "Merciful", "(1)",   "Musa",
    };
    constexpr int wordCount = sizeof(words) / sizeof(words[0]);
    std::mt19937 rng(7);
    std::geometric_distribution<int> pick(0.12);
    QByteArray text;
    text.reserve(kInputSize + 64);
    while (text.size() < kInputSize) {
        text += words[pick(rng) % wordCount];
        const unsigned r = rng() % 20;
        text += r == 0 ? ", " : r == 1 ? ".\r\n" : " ";
    }
    text.truncate(kInputSize);
    return text;
}

QByteArray randomBytes() {
    std::mt19937 rng(11);
    QByteArray bytes(kInputSize, '\0');
    for (char &c : bytes)
        c = char(rng());
    return bytes;
}

const QByteArray &stream(bool text) {
    static const QByteArray streams[2] = {
        [] {
            QByteArray s = randomBytes();
            clsCompress().EncodeByte(s);
            return s;
        }(),
        [] {
            QByteArray s = textLike();
            clsCompress().EncodeByte(s);
            return s;
        }(),
    };
    return streams[text ? 1 : 0];
}

template <typename Decoder>
void decode(benchmark::State &state, bool text) {
    const QByteArray &in = stream(text);
    QByteArray out;
    Decoder decoder;
    for (auto _ : state) {
        const Ze3Check check = decoder.decode(in, out);
        benchmark::DoNotOptimize(out.data());
        if (check != Ze3Check::Ok || out.size() != kInputSize)
            state.SkipWithError("decode failed");
    }
    state.SetBytesProcessed(state.iterations() * int64_t(kInputSize));
    state.counters["stream_bytes"] = double(in.size());
}

void BM_ReferenceDecode(benchmark::State &state, bool text) {
    decode<Ze3ReferenceDecoder>(state, text);
}

void BM_FastDecode(benchmark::State &state, bool text) {
    decode<Ze3FastDecoder>(state, text);
}

// A short text as the about pages and word lists carry it, packed.
QString shortStream() {
    QString text = QStringLiteral("In the name of Allah, the Merciful (1).\n");
    clsCompress().EncodeString(text);
    return text;
}

// DecodeString of a 40-byte text with a new codec object per call: every call builds the tables.
void BM_DecodeShortStringFreshCodec(benchmark::State &state) {
    const QString packed = shortStream();
    for (auto _ : state) {
        QString text = packed;
        clsCompress().DecodeString(text);
        benchmark::DoNotOptimize(text.data());
    }
}

// The same with one codec object: the tables built for the first call serve every later one.
void BM_DecodeShortStringKeptCodec(benchmark::State &state) {
    const QString packed = shortStream();
    const clsCompress codec;
    for (auto _ : state) {
        QString text = packed;
        codec.DecodeString(text);
        benchmark::DoNotOptimize(text.data());
    }
}

}  // namespace

BENCHMARK(BM_DecodeShortStringFreshCodec);
BENCHMARK(BM_DecodeShortStringKeptCodec);
BENCHMARK_CAPTURE(BM_ReferenceDecode, text, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FastDecode, text, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReferenceDecode, random, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FastDecode, random, false)->Unit(benchmark::kMillisecond);
