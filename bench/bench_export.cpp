// Export of a 10-minute range against a plain copy of the same bytes.

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QFile>

#include <memory>

#include "mp3fixture.h"
#include "recitation/mp3cut.h"
#include "recitation/mp3stream.h"
#include "recitation/rangeexport.h"
#include "recitation/streamframelocator.h"

using namespace varnelo;

namespace {

constexpr qint32 kRangeStartMs = 30'000;
constexpr qint32 kRangeEndMs = kRangeStartMs + 600'000;

// An 11-minute file, opened and indexed once, and a file holding exactly the bytes a 10-minute
// cut copies.
struct ExportSource {
    test::Mp3Maker maker;
    QString mp3;
    Mp3Stream stream;
    QString sameBytes;
    QString target;
    bool ok = false;

    explicit ExportSource(const QStringList &lameArgs) {
        if (!test::Mp3Maker::lameAvailable()) {
            return;
        }
        mp3 = maker.make("long", test::tone(44100, 1, 44100LL * 660, 440, 0.3), lameArgs);
        if (mp3.isEmpty() || !stream.open(mp3)) {
            return;
        }
        const StreamFrameLocator frames(stream);
        const FrameSpan first = *frames.frameAt(kRangeStartMs);
        const FrameSpan last = *frames.frameAt(kRangeEndMs);
        QFile in(mp3);
        sameBytes = maker.dir() + "/same.bin";
        QFile out(sameBytes);
        if (!in.open(QIODevice::ReadOnly) || !in.seek(first.begin) ||
            !out.open(QIODevice::WriteOnly)) {
            return;
        }
        out.write(in.read(last.end - first.begin));
        target = maker.dir() + "/range.mp3";
        ok = true;
    }
};

// Argument 0: CBR at 128 kbit/s; 1: low-rate VBR, whose cuts carry the bit reservoir in a frame
// of their own.
ExportSource &source(int kind) {
    static ExportSource cbr({"-b", "128"});
    static ExportSource vbr({"-V", "9"});
    return kind == 0 ? cbr : vbr;
}

bool exportRange(ExportSource &s) {
    return CutMp3Range(s.mp3, StreamFrameLocator(s.stream), kRangeStartMs, kRangeEndMs, s.target,
                       RangeTag("2. Al-Baqara", 2, 1, 5))
        .ok();
}

bool copyBytes(ExportSource &s) {
    QFile::remove(s.target);
    return QFile::copy(s.sameBytes, s.target);
}

void run(benchmark::State &state, bool (*step)(ExportSource &)) {
    ExportSource &s = source(int(state.range(0)));
    if (!s.ok) {
        state.SkipWithError("no test MP3 (is lame installed?)");
        return;
    }
    for (auto _ : state) {
        if (!step(s)) {
            state.SkipWithError("writing failed");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * QFile(s.sameBytes).size());
}

void BM_ExportRange10Min(benchmark::State &state) {
    run(state, exportRange);
}
void BM_CopySameBytes(benchmark::State &state) {
    run(state, copyBytes);
}

// Both in turn, so that the ratio comes from one run under the same load.
void BM_ExportOverCopy(benchmark::State &state) {
    ExportSource &s = source(int(state.range(0)));
    if (!s.ok) {
        state.SkipWithError("no test MP3 (is lame installed?)");
        return;
    }
    qint64 exportNs = 0;
    qint64 copyNs = 0;
    QElapsedTimer timer;
    for (auto _ : state) {
        timer.start();
        const bool exported = exportRange(s);
        exportNs += timer.nsecsElapsed();
        timer.start();
        const bool copied = copyBytes(s);
        copyNs += timer.nsecsElapsed();
        if (!exported || !copied) {
            state.SkipWithError("writing failed");
            return;
        }
    }
    state.counters["export_over_copy"] = double(exportNs) / double(std::max<qint64>(copyNs, 1));
}

}  // namespace

BENCHMARK(BM_ExportRange10Min)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopySameBytes)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportOverCopy)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
