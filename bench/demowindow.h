#pragma once

// What the window benchmarks share: the program folder with the demo data, the messages the
// window would show in a box, and the process's CPU time.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QString>

#include <algorithm>
#include <vector>

#include <sys/resource.h>

#include "platform/messagebox.h"

namespace varnelo::bench {

// VARNELO_APP_FOLDER, by default the build's app/ folder.
inline QString appFolder() {
    const QString folder = qEnvironmentVariable("VARNELO_APP_FOLDER");
    return folder.isEmpty() ? QStringLiteral(VARNELO_DEFAULT_APP_FOLDER) : folder;
}

// False, with the benchmark skipped and told why, when the program folder holds no demo data.
inline bool haveDemoData(benchmark::State &state) {
    if (QFile::exists(appFolder() + QStringLiteral("/data/pos.dat")))
        return true;
    state.SkipWithError(qPrintable(QStringLiteral("no demo data in %1 (no data/pos.dat): run `make "
                                                  "demo` or set VARNELO_APP_FOLDER")
                                       .arg(appFolder())));
    return false;
}

// Messages the window would show in a box; the first one once watching fails the benchmark.
// The one a machine without a sound card gets while the window is built is not counted.
class NotedMessages : public MessageBox {
public:
    void watch() { m_watching = true; }
    void information(const QString &title, const QString &text) override {
        if (m_watching && m_first.isEmpty())
            m_first = title + QStringLiteral(": ") + text;
    }
    bool question(const QString &, const QString &) override { return false; }
    QString inputBox(const QString &, const QString &) override { return QString(); }
    const QString &first() const { return m_first; }

private:
    bool m_watching = false;
    QString m_first;
};

// The middle value, or the mean of the two middle ones; 0 for none.
inline double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// User and system CPU time of the whole process (every thread), in ms.
inline double cpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval &t) { return double(t.tv_sec) * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// Runs the benchmarks of main(); the ten-second idle one, where there is one, only when
// VARNELO_BENCH_IDLE is set.
inline int runBenchmarks(int argc, char **argv, const char *idleName = nullptr,
                         void (*idle)(benchmark::State &) = nullptr,
                         benchmark::TimeUnit unit = benchmark::kMillisecond) {
    if (idle != nullptr && qEnvironmentVariableIsSet("VARNELO_BENCH_IDLE"))
        benchmark::RegisterBenchmark(idleName, idle)->UseManualTime()->Unit(unit)->Iterations(1);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace varnelo::bench
