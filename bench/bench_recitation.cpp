// Recitation as a user meets it: the program's window on a real display (xcb) playing a demo sura
// in range mode through the sound server, beside a plain Qt program playing the same section.
// CPU while reciting, idle and paused, and the delay from a verse end as the device plays it to
// the next verse painted on screen, against the null sink's monitor (parec). The program folder is
// VARNELO_APP_FOLDER, by default the build's app/ folder; without a display or a sound device the
// benchmarks are skipped.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QMediaDevices>
#include <QPaintEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "controls/framepacer.h"
#include "controls/ucslider.h"
#include "controls/ucslidermodel.h"
#include "data/suradata.h"
#include "demowindow.h"
#include "mainwindow/frmequalizer.h"
#include "mainwindow/frmmain.h"
#include "mainwindow/maincommands.h"
#include "monitorclock.h"
#include "platform/memorysettingsstore.h"
#include "platform/qtaudiooutput.h"
#include "platform/qtclipboard.h"
#include "recitation/clsfmod.h"
#include "recitation/recitationcontroller.h"

using namespace varnelo;
using namespace varnelo::bench;

namespace {

// Sura 78: 40 verses recited in about 45 s, with an Arabic page of verse frames.
constexpr int kSura = 78;
constexpr int kCpuSeconds = 15;
constexpr int kIdleSeconds = 10;

// Runs the event loop for ms.
void runFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until done() or ms have passed; false on time-out.
bool runUntil(const std::function<bool()> &done, int ms) {
    const qint64 deadline = nowNs() + qint64(ms) * 1000000;
    while (!done()) {
        if (nowNs() > deadline)
            return false;
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

// User and system CPU time of the main thread, in ms (at the kernel's tick resolution).
double mainThreadCpuMs() {
    QFile stat(QStringLiteral("/proc/self/task/%1/stat").arg(getpid()));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    // Fields after the command name's closing parenthesis: state is field 3, utime 14, stime 15.
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    const double ticks = fields.value(11).toDouble() + fields.value(12).toDouble();
    return ticks * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

// CPU time in ms of the process and of its main thread over ms of the event loop.
struct CpuUse {
    double process = 0;
    double mainThread = 0;
};

CpuUse cpuOver(int ms) {
    const CpuUse before{cpuMs(), mainThreadCpuMs()};
    runFor(ms);
    return {cpuMs() - before.process, mainThreadCpuMs() - before.mainThread};
}

bool haveSound(benchmark::State &state) {
    if (!QMediaDevices::defaultAudioOutput().isNull())
        return true;
    state.SkipWithError("no sound device (start the sound server: tools/sound-server.sh)");
    return false;
}

bool ready(benchmark::State &state) {
    return haveDemoData(state) && haveSound(state);
}

// ---- The device clock ---------------------------------------------------------------------

// Samples (steady-clock time, frames played) from a thread of its own whenever the output's
// played count moves, so the window's event loop carries none of the sampling. A least-squares
// line through them over the run gives the wall time at which the device played a frame.
class DeviceClock {
public:
    explicit DeviceClock(const AudioOutput &output) : m_output(output) {
        m_thread = std::thread([this] { sample(); });
    }
    ~DeviceClock() { stop(); }
    // Stops sampling; with VARNELO_BENCH_CLOCK_LOG set, appends the samples to that file.
    void stop() {
        m_stop = true;
        if (!m_thread.joinable())
            return;
        m_thread.join();
        QFile log(qEnvironmentVariable("VARNELO_BENCH_CLOCK_LOG"));
        if (!log.fileName().isEmpty() && log.open(QIODevice::Append | QIODevice::Text)) {
            log.write("# steady_ns frames_played\n");
            for (const auto &[t, f] : samples())
                log.write(QByteArray::number(t) + ' ' + QByteArray::number(f) + '\n');
        }
    }

    // Wall time (steady ns) when the device played frame, by the line fitted so far; nullopt
    // until there is one.
    std::optional<double> wallAt(qint64 frame) const {
        const auto line = fit(samples());
        return line ? std::optional<double>(line->wallAt(frame)) : std::nullopt;
    }
    // The 99th percentile of the samples' distances from the line, in ms: how steadily the device
    // reported its clock.
    double residualP99Ms() const {
        const Samples all = samples();
        const auto line = fit(all);
        std::vector<double> residuals;
        for (size_t i = steadyFrom(all); line && i < all.size(); ++i)
            residuals.push_back(std::abs(line->wallAt(all[i].second) - double(all[i].first)) / 1e6);
        if (residuals.empty())
            return 0;
        std::sort(residuals.begin(), residuals.end());
        return residuals[size_t(0.99 * double(residuals.size() - 1))];
    }

    using Samples = std::vector<std::pair<qint64, qint64>>;
    // (steady ns, frames played) each time the output's count moved.
    Samples samples() const {
        std::lock_guard lock(m_mutex);
        return m_samples;
    }

private:
    // The sound server's clock stands still for up to a second while a stream starts, then runs
    // steadily (with corrections of a few ms): the line leaves the start-up out.
    static constexpr qint64 kStartUpNs = 2000000000;

    struct Line {
        double t0, a, b;  // frames = a * (t - t0) + b
        double wallAt(qint64 frame) const { return t0 + (double(frame) - b) / a; }
    };

    static size_t steadyFrom(const Samples &samples) {
        if (samples.empty())
            return 0;
        const qint64 steady = samples.front().first + kStartUpNs;
        return size_t(std::find_if(samples.begin(), samples.end(),
                                   [steady](const auto &s) { return s.first >= steady; }) -
                      samples.begin());
    }

    // Least squares frames = a * t + b over the samples after the start-up; nullopt until they
    // span half a second.
    static std::optional<Line> fit(const Samples &samples) {
        const size_t lo = steadyFrom(samples);
        if (samples.size() < lo + 2 || samples.back().first - samples[lo].first < 500000000)
            return std::nullopt;
        const double t0 = double(samples[lo].first);
        double st = 0, sf = 0, stt = 0, stf = 0;
        for (size_t i = lo; i < samples.size(); ++i) {
            const double x = double(samples[i].first) - t0;
            const double f = double(samples[i].second);
            st += x;
            sf += f;
            stt += x * x;
            stf += x * f;
        }
        const double n = double(samples.size() - lo);
        const double det = n * stt - st * st;
        const double a = det > 0 ? (n * stf - st * sf) / det : 0;
        return a > 0 ? std::optional<Line>(Line{t0, a, (sf - a * st) / n}) : std::nullopt;
    }

    void sample() {
        qint64 last = 0;
        while (!m_stop) {
            // The count starts at 0 with each section; the start-up of the device is left out.
            const qint64 played = m_output.framesPlayed();
            if (played != last && played > 0) {
                last = played;
                std::lock_guard lock(m_mutex);
                m_samples.emplace_back(nowNs(), played);
            }
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    }

    const AudioOutput &m_output;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::vector<std::pair<qint64, qint64>> m_samples;
    std::thread m_thread;
};

// Frames from the start of a section played from fromMs until the device plays the sample at
// stream time ms.
qint64 framesTo(const Mp3Stream &stream, qint32 fromMs, qint32 ms) {
    return stream.msToSample(ms) - stream.msToSample(std::max(fromMs, 0));
}

// Median, p99 and max of delays in ms, as counters with a prefix.
void reportDelays(benchmark::State &state, std::vector<double> delays, const std::string &prefix) {
    if (delays.empty())
        return;
    std::sort(delays.begin(), delays.end());
    const auto at = [&](double q) {
        return delays[std::min(delays.size() - 1, size_t(std::ceil(q * delays.size())) - 1)];
    };
    state.counters[prefix + "median_ms"] = at(0.5);
    state.counters[prefix + "p99_ms"] = at(0.99);
    state.counters[prefix + "max_ms"] = delays.back();
}

// ---- The sound as the sink played it -------------------------------------------------------

// How much later the sink plays a frame than its monitor's line says, measured once per run.
struct Calibration {
    std::optional<double> ns;
    double spreadMs = 0;
    double blockMs = 0;
    QString error;
};

const Calibration &calibration() {
    static const Calibration c = [] {
        Calibration result;
        result.ns = MonitorClock::calibrate(&result.error, &result.spreadMs, &result.blockMs);
        return result;
    }();
    return c;
}

// The reference for one section played from fromMs to toMs of the sura's MP3: the monitor
// anchored on the first 10 s of the section as the decoder gives them. False, with the benchmark
// skipped, when that fails.
bool anchor(benchmark::State &state, MonitorClock &monitor, const Mp3Stream &stream, int sura,
            qint32 fromMs, qint32 toMs) {
    Mp3Stream decoder;
    const QString mp3 =
        appFolder() + QStringLiteral("/mp3/%1.mp3").arg(sura, 3, 10, QLatin1Char('0'));
    std::vector<qint16> stereo(size_t(stream.sampleRate()) * 10 * 2);
    qint64 got = 0;
    if (decoder.open(mp3) && decoder.seekSample(stream.msToSample(std::max(fromMs, 0))))
        got = decoder.read(stereo.data(), qint64(stereo.size() / 2));
    std::vector<qint16> mono(size_t(std::max<qint64>(got, 0)));
    for (size_t i = 0; i < mono.size(); ++i)
        mono[i] = stereo[2 * i];
    if (mono.empty()) {
        state.SkipWithError("the reference could not decode the section");
        return false;
    }
    const Calibration &c = calibration();
    if (!c.ns) {
        state.SkipWithError(qPrintable(c.error));
        return false;
    }
    if (!monitor.locate(mono, stream.sampleRate(), framesTo(stream, fromMs, toMs), *c.ns)) {
        state.SkipWithError(qPrintable(monitor.error()));
        return false;
    }
    return true;
}

// How late the output's played count ran behind the sound, in ms, per sample after the first 2 s.
std::vector<double> countLag(const DeviceClock &clock, const MonitorClock &monitor) {
    const DeviceClock::Samples samples = clock.samples();
    std::vector<double> lag;
    for (const auto &[t, frames] : samples) {
        if (!samples.empty() && t - samples.front().first > 2000000000)
            lag.push_back((double(t) - monitor.wallAt(frames)) / 1e6);
    }
    return lag;
}

// p1, median and p99 of values as counters with a prefix.
void reportSpread(benchmark::State &state, std::vector<double> values, const std::string &prefix) {
    if (values.empty())
        return;
    std::sort(values.begin(), values.end());
    const auto at = [&](double q) { return values[size_t(q * double(values.size() - 1))]; };
    state.counters[prefix + "p1_ms"] = at(0.01);
    state.counters[prefix + "median_ms"] = at(0.5);
    state.counters[prefix + "p99_ms"] = at(0.99);
}

// ---- Paints ---------------------------------------------------------------------------------

// The time of the first paint of each watched widget after each change of a value (the current
// verse): firstPaint(widget, value).
class PaintLog : public QObject {
public:
    PaintLog(std::vector<QWidget *> widgets, std::function<int()> value)
        : m_widgets(std::move(widgets)), m_value(std::move(value)), m_first(m_widgets.size()) {
        for (QWidget *widget : m_widgets)
            widget->installEventFilter(this);
    }
    ~PaintLog() override {
        for (QWidget *widget : m_widgets)
            widget->removeEventFilter(this);
    }
    size_t size() const { return m_widgets.size(); }
    // Steady ns of widget's first paint while value was shown, 0 when there was none.
    qint64 firstPaint(size_t widget, int value) const {
        const auto &first = m_first[widget];
        const auto it = std::find_if(first.begin(), first.end(),
                                     [value](const auto &p) { return p.first == value; });
        return it == first.end() ? 0 : it->second;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() != QEvent::Paint)
            return false;
        const auto index =
            size_t(std::find(m_widgets.begin(), m_widgets.end(), watched) - m_widgets.begin());
        const int value = m_value();
        auto &first = m_first[index];
        if (first.empty() || first.back().first != value)
            first.emplace_back(value, nowNs());
        return false;
    }

private:
    std::vector<QWidget *> m_widgets;
    std::function<int()> m_value;
    std::vector<std::vector<std::pair<int, qint64>>> m_first;
};

// ---- The program's window -------------------------------------------------------------------

// The main window as the program builds it, with the program's audio output to the sound server,
// an in-memory store with the About window off and a temporary folder of its own.
class ReciterWindow {
public:
    ReciterWindow()
        : m_window({m_store, m_audio, m_messages, m_clipboard}, appFolder(), m_temp.path()) {
        m_messages.watch();
        m_store.save(QStringLiteral("About"), QStringLiteral("Show3"), QStringLiteral("0"));
        m_loaded = m_window.Form_Load();
        // Mapped and painted by the display server before anything is measured.
        runFor(500);
    }
    // False, with the benchmark skipped, when start-up failed or a message was shown.
    bool ok(benchmark::State &state) {
        const QString error = m_loaded ? m_messages.first() : m_window.failureMessage();
        if (m_loaded && error.isEmpty())
            return true;
        state.SkipWithError(qPrintable(error));
        return false;
    }
    // Selects sura in the list as a user does, in range mode; false when it did not load.
    bool select(benchmark::State &state, int sura) {
        m_window.findChild<QComboBox *>(QStringLiteral("cmbSura"))->setCurrentIndex(sura - 1);
        runFor(300);
        if (m_window.loader().loadedSura() != sura || !m_window.Fmod().stream().isOpen()) {
            state.SkipWithError("the demo sura did not load with its recitation");
            return false;
        }
        if (!controller().Auto())
            state.SkipWithError("the window did not start in range mode");
        return controller().Auto() && ok(state);
    }
    RecitationController &controller() { return m_window.controller(); }
    frmMain &window() { return m_window; }
    const QList<VerseTime> &times() const { return m_window.loader().verseTimes(); }
    const AudioOutput &audio() const { return m_audio; }
    // The page and the three translation views, where a verse step is painted.
    std::vector<QWidget *> stepWidgets() {
        std::vector<QWidget *> widgets{m_window.findChild<QWidget *>("AnimatedGifCtl1")};
        for (const char *name : {"wbTamsen", "wbDabrel", "wbVerrin"}) {
            if (auto *view = m_window.findChild<QTextBrowser *>(name))
                widgets.push_back(view->viewport());
        }
        return widgets;
    }

private:
    QTemporaryDir m_temp;
    MemorySettingsStore m_store;
    QtAudioOutput m_audio;
    QtClipboard m_clipboard;
    NotedMessages m_messages;
    frmMain m_window;
    bool m_loaded = false;
};

// ---- The plain baseline ---------------------------------------------------------------------

// A plain Qt program: a shown window with a text browser of translation text and a label, the
// same engine and output playing the sura's MP3, and no follower.
class PlainPlayer {
public:
    PlainPlayer() : m_fmod(m_audio) {
        auto *layout = new QVBoxLayout(&m_window);
        m_label = new QLabel(QStringLiteral("Verse 1"), &m_window);
        m_label->setMinimumHeight(40);
        auto *browser = new QTextBrowser(&m_window);
        layout->addWidget(m_label);
        layout->addWidget(browser);
        QString page;
        for (int i = 1; i <= 40; ++i)
            page += QStringLiteral(
                        "<p>(%1) And when your Lord said to the angels: I am placing "
                        "a successor on the earth.</p>")
                        .arg(i);
        browser->setHtml(page);
        m_window.resize(1000, 700);
        m_window.show();
        runFor(500);
    }
    // Opens the sura's MP3 and reads its verse times; false, with the benchmark skipped, when
    // either fails.
    bool open(benchmark::State &state, int sura) {
        const auto times = readVerseTimes(appFolder(), m_temp.path() + u'/', sura);
        const QString mp3 =
            appFolder() + QStringLiteral("/mp3/%1.mp3").arg(sura, 3, 10, QLatin1Char('0'));
        if (!times.ok() || times.value.isEmpty() || !m_fmod.OpenMP3File(mp3)) {
            state.SkipWithError(qPrintable(QStringLiteral("the baseline cannot open %1").arg(mp3)));
            return false;
        }
        m_times = times.value;
        return true;
    }
    // Plays the whole sura as range mode plays it.
    void play() { m_fmod.Play(m_times.front().start, m_times.back().end); }
    clsFMod &fmod() { return m_fmod; }
    QLabel &label() { return *m_label; }
    const QList<VerseTime> &times() const { return m_times; }
    const AudioOutput &audio() const { return m_audio; }

private:
    QTemporaryDir m_temp;
    QtAudioOutput m_audio;
    clsFMod m_fmod;
    QWidget m_window;
    QLabel *m_label = nullptr;
    QList<VerseTime> m_times;
};

// ---- CPU ------------------------------------------------------------------------------------

// The whole process's CPU per second of recitation, as % of one core, over kCpuSeconds of sura 78
// recited in range mode from its first verse. Baseline: the plain program playing the same
// section.
void BM_RecitingCpu(benchmark::State &state) {
    if (!ready(state))
        return;
    for (auto _ : state) {
        CpuUse baselineUse;
        {
            PlainPlayer plain;
            if (!plain.open(state, kSura))
                return;
            plain.play();
            baselineUse = cpuOver(kCpuSeconds * 1000);
            plain.fmod().StopPlaying();
        }
        ReciterWindow w;
        if (!w.ok(state) || !w.select(state, kSura))
            return;
        w.controller().cmdPlay_Click();
        const CpuUse windowUse = cpuOver(kCpuSeconds * 1000);
        const bool played = w.controller().following() && w.controller().CurrentVerse() > 0;
        w.controller().cmdStop_Click();
        if (!played) {
            state.SkipWithError("the window did not recite the range");
            return;
        }
        const auto pct = [](double ms) { return ms / (kCpuSeconds * 10.0); };
        const double window = pct(windowUse.process);
        const double baseline = pct(baselineUse.process);
        state.counters["cpu_pct"] = window;
        state.counters["baseline_cpu_pct"] = baseline;
        state.counters["ratio"] = baseline > 0 ? window / baseline : 0;
        // The share of the event loop's thread: the follower, the page and the texts run there.
        state.counters["main_thread_pct"] = pct(windowUse.mainThread);
        state.counters["baseline_main_thread_pct"] = pct(baselineUse.mainThread);
        state.counters["target_pct"] = 2;
        state.SetIterationTime(kCpuSeconds);
    }
}

// Drags a band for kCpuSeconds as a user might, up and down without stopping: a triangle from
// -15 to 15 dB and back, one dB every 20 ms, each value handed to move. The CPU used meanwhile;
// *steps counts the values handed.
CpuUse cpuWhileDragging(const std::function<void(int)> &move, int *steps) {
    int step = 0;
    QTimer drag;
    QObject::connect(&drag, &QTimer::timeout, [&] {
        const int phase = step++ % 60;
        move(phase < 30 ? -15 + phase : 45 - phase);
    });
    drag.start(20);
    const CpuUse use = cpuOver(kCpuSeconds * 1000);
    *steps = step;
    return use;
}

// The least a band or a curve can draw: it fills itself and draws one line at a given height.
class BareTrace : public QWidget {
public:
    BareTrace(const QRect &geometry, QWidget *parent) : QWidget(parent) {
        setGeometry(geometry);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    void moveTo(int y) {
        m_y = y;
        update();
    }

protected:
    void paintEvent(QPaintEvent *event) override {
        QPainter painter(this);
        painter.fillRect(event->rect(), QColor(40, 34, 40));
        painter.setPen(QColor(250, 210, 90));
        painter.drawLine(0, m_y, width(), m_y);
    }

private:
    int m_y = 0;
};

// What any Qt widget program pays to follow such a drag: the plain program reciting, with a
// window of two bare traces the sizes of the band and the curve, both drawn again through the
// same frame pacer at each step. Empty, with the benchmark skipped, when the MP3 does not open.
std::optional<CpuUse> bareDragCpu(benchmark::State &state, QSize band, QSize curve) {
    PlainPlayer plain;
    if (!plain.open(state, kSura))
        return std::nullopt;
    plain.play();
    QWidget window;
    window.resize(curve.width() + band.width() + 30, std::max(curve.height(), band.height()) + 20);
    auto *curveTrace = new BareTrace(QRect(QPoint(10, 10), curve), &window);
    auto *bandTrace = new BareTrace(QRect(QPoint(curve.width() + 20, 10), band), &window);
    window.show();
    runFor(500);
    FramePacer frames(frmEqualizer::kFrameMs);
    int steps = 0;
    const CpuUse use = cpuWhileDragging(
        [&](int db) {
            frames.request(curveTrace, [=] { curveTrace->moveTo(curveTrace->height() / 2 - db); });
            frames.request(bandTrace, [=] { bandTrace->moveTo(bandTrace->height() / 2 - db); });
        },
        &steps);
    plain.fmod().StopPlaying();
    return use;
}

// CPU over kCpuSeconds each of sura 78 recited in range mode: with the equalizer window open and
// one band dragged up and down continuously (each step reaching the engine and redrawing the
// curve), and before that the same recitation with the equalizer switched off. The floor is the
// plain program doing the least that can follow the same drag (bareDragCpu).
void BM_RecitingCpuEqualizerMoving(benchmark::State &state) {
    if (!ready(state))
        return;
    for (auto _ : state) {
        CpuUse offUse, movingUse;
        QSize bandSize, curveSize;
        int steps = 0;
        {
            ReciterWindow w;
            if (!w.ok(state) || !w.select(state, kSura))
                return;
            MainCommands &commands = w.window().commands();
            commands.EnableEqualiser(false);
            w.controller().cmdPlay_Click();
            runFor(500);
            offUse = cpuOver(kCpuSeconds * 1000);

            commands.EnableEqualiser(true);
            MemorySettingsStore store;
            NotedMessages messages;
            frmEqualizer equalizer(store, messages, w.window().equalizer(), commands);
            equalizer.show();
            runFor(300);
            auto *band = equalizer.findChild<ucSlider *>(QStringLiteral("ucSlider1_3"));
            bandSize = band->size();
            curveSize = equalizer.findChild<QWidget *>(QStringLiteral("picResponse"))->size();
            movingUse = cpuWhileDragging([&](int db) { (void)band->model().setValue(db); }, &steps);
            const bool played = w.controller().following() && w.controller().CurrentVerse() > 0;
            w.controller().cmdStop_Click();
            if (!played || steps < kCpuSeconds * 25) {
                state.SkipWithError("the window did not recite the range while the band moved");
                return;
            }
        }
        const std::optional<CpuUse> floorUse = bareDragCpu(state, bandSize, curveSize);
        if (!floorUse)
            return;
        const auto pct = [](double ms) { return ms / (kCpuSeconds * 10.0); };
        state.counters["cpu_pct"] = pct(movingUse.process);
        state.counters["baseline_cpu_pct"] = pct(offUse.process);
        state.counters["main_thread_pct"] = pct(movingUse.mainThread);
        state.counters["baseline_main_thread_pct"] = pct(offUse.mainThread);
        state.counters["floor_cpu_pct"] = pct(floorUse->process);
        state.counters["floor_main_thread_pct"] = pct(floorUse->mainThread);
        state.counters["ratio_to_floor"] =
            floorUse->process > 0 ? movingUse.process / floorUse->process : 0;
        state.counters["band_steps"] = steps;
        state.counters["target_pct"] = 2;
        state.SetIterationTime(kCpuSeconds);
    }
}

// CPU over kIdleSeconds each: the window idle with sura 78 loaded, and paused in the middle of
// its range. Baseline: the plain program idle with its window shown.
void BM_IdleAndPausedCpu(benchmark::State &state) {
    if (!ready(state))
        return;
    for (auto _ : state) {
        double baselineMs = 0;
        {
            PlainPlayer plain;
            baselineMs = cpuOver(kIdleSeconds * 1000).process;
        }
        ReciterWindow w;
        if (!w.ok(state) || !w.select(state, kSura))
            return;
        // The page's first paints and the frame read ahead belong to the load.
        runFor(1000);
        const double idleMs = cpuOver(kIdleSeconds * 1000).process;
        w.controller().cmdPlay_Click();
        runFor(4000);
        w.controller().togglePause();
        runFor(500);
        const bool paused = w.controller().Paused();
        const double pausedMs = cpuOver(kIdleSeconds * 1000).process;
        // Resumed, the sound moves on from where it was held.
        const qint64 held = w.audio().framesPlayed();
        w.controller().togglePause();
        runFor(1000);
        const bool resumed = !w.controller().Paused() && w.audio().framesPlayed() > held;
        w.controller().cmdStop_Click();
        if (!paused || !resumed) {
            state.SkipWithError(paused ? "the window did not resume" : "the window did not pause");
            return;
        }
        state.counters["idle_cpu_ms"] = idleMs;
        state.counters["paused_cpu_ms"] = pausedMs;
        state.counters["baseline_idle_cpu_ms"] = baselineMs;
        state.SetIterationTime(2.0 * kIdleSeconds);
    }
}

// ---- Verse steps as played ------------------------------------------------------------------

// The moment the device played the end of verse k of a section played from fromMs; the engine's
// positions run 200 ms ahead of the sound.
std::optional<double> verseEndPlayed(const DeviceClock &clock, const Mp3Stream &stream,
                                     qint32 fromMs, const VerseTime &verse) {
    return clock.wallAt(framesTo(stream, fromMs, verse.end - clsFMod::kPositionLead));
}
double verseEndPlayed(const MonitorClock &monitor, const Mp3Stream &stream, qint32 fromMs,
                      const VerseTime &verse) {
    return monitor.wallAt(framesTo(stream, fromMs, verse.end - clsFMod::kPositionLead));
}

// Delays in ms of each step's paint: from the verse end as the sink played it, and from the verse
// end by the output's played count (the program's own part).
struct StepDelays {
    std::vector<double> fromSound;
    std::vector<double> fromCount;

    void add(double paintedNs, double playedNs, std::optional<double> countedNs) {
        fromSound.push_back((paintedNs - playedNs) / 1e6);
        if (countedNs)
            fromCount.push_back((paintedNs - *countedNs) / 1e6);
    }
};

// The plain program's steps: a precise timer armed, from the device clock so far, for each verse
// end; at it the label shows the next verse. Delays of the label's paints.
StepDelays baselineSteps(benchmark::State &state, PlainPlayer &plain) {
    const QList<VerseTime> &times = plain.times();
    const Mp3Stream &stream = plain.fmod().stream();
    const qint32 from = times.front().start;
    const int last = int(times.size()) - 1;
    int shown = 0;
    int next = 0;
    std::vector<bool> armedInTime(size_t(last), false);
    PaintLog log({&plain.label()}, [&] { return shown; });
    MonitorClock monitor;
    DeviceClock clock(plain.audio());
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        while (next < last) {
            const auto due = verseEndPlayed(clock, stream, from, times[next]);
            if (!due) {
                timer.start(20);  // no clock yet
                return;
            }
            const double left = *due - double(nowNs());
            if (left > 0) {
                // Armed at most 100 ms ahead: the clock's fit gets better as the sound plays.
                armedInTime[size_t(next)] = true;
                timer.start(std::min(100, int(std::ceil(left / 1e6))));
                return;
            }
            shown = ++next;
            plain.label().setText(QStringLiteral("Verse %1").arg(shown + 1));
        }
    });
    plain.play();
    timer.start(0);
    const int durationMs = times.back().end - from;
    runUntil([&] { return next >= last; }, durationMs + 5000);
    runFor(200);
    clock.stop();
    plain.fmod().StopPlaying();
    monitor.stop();
    if (!anchor(state, monitor, stream, kSura, from, times.back().end))
        return {};
    StepDelays delays;
    for (int k = 0; k < next; ++k) {
        const qint64 painted = log.firstPaint(0, k + 1);
        if (armedInTime[size_t(k)] && painted > 0)
            delays.add(double(painted), verseEndPlayed(monitor, stream, from, times[k]),
                       verseEndPlayed(clock, stream, from, times[k]));
    }
    return delays;
}

// The window's steps over the whole sura recited in range mode, in ms from each verse end as
// played: until the follower stepped the current verse, and until the next verse was painted in
// the last of the page and the translation views. unpainted counts the widgets that did not paint
// a step.
struct WindowSteps {
    std::vector<double> stepped;
    StepDelays painted;
    int unpainted = 0;
    double clockResidualMs = 0;
    std::vector<double> countLag;  // the output's played count behind the sound
    int monitorBlocks = 0;
    double monitorEdgeMs = 0;
    double monitorBlockMs = 0;
    double monitorMatch = 0;
};

// Empty, with the benchmark skipped, when the recitation did not reach the last verse.
std::optional<WindowSteps> windowSteps(benchmark::State &state, ReciterWindow &w) {
    const QList<VerseTime> &times = w.times();
    const Mp3Stream &stream = w.window().Fmod().stream();
    const qint32 from = times.front().start;
    const int last = int(times.size()) - 1;
    PaintLog log(w.stepWidgets(), [&] { return w.controller().CurrentVerse(); });
    std::vector<qint64> steppedAt(size_t(last) + 1, 0);
    auto *current = w.window().findChild<ucSlider *>(QStringLiteral("ucSlider1_2"));
    const QMetaObject::Connection stepped =
        QObject::connect(&current->model(), &ucSliderModel::Change, [&] {
            const int verse = w.controller().CurrentVerse();
            if (verse >= 0 && verse <= last && steppedAt[size_t(verse)] == 0)
                steppedAt[size_t(verse)] = nowNs();
        });
    MonitorClock monitor;
    DeviceClock clock(w.audio());
    w.controller().cmdPlay_Click();
    const bool reached = runUntil([&] { return w.controller().CurrentVerse() == last; },
                                  times.back().end - from + 5000);
    runFor(300);
    clock.stop();
    QObject::disconnect(stepped);
    w.controller().cmdStop_Click();
    monitor.stop();
    if (!reached) {
        state.SkipWithError(
            qPrintable(QStringLiteral("the recitation stopped at verse index %1 of %2")
                           .arg(w.controller().CurrentVerse())
                           .arg(last)));
        return std::nullopt;
    }
    if (!anchor(state, monitor, stream, kSura, from, times.back().end))
        return std::nullopt;
    WindowSteps steps;
    steps.clockResidualMs = clock.residualP99Ms();
    steps.countLag = countLag(clock, monitor);
    steps.monitorBlocks = monitor.blocks();
    steps.monitorEdgeMs = monitor.edgeMs();
    steps.monitorBlockMs = monitor.blockMs();
    steps.monitorMatch = monitor.match();
    for (int k = 0; k < last; ++k) {
        const double due = verseEndPlayed(monitor, stream, from, times[k]);
        qint64 painted = 0;
        for (size_t i = 0; i < log.size(); ++i) {
            const qint64 at = log.firstPaint(i, k + 1);
            steps.unpainted += at == 0;
            painted = std::max(painted, at);
        }
        if (painted > 0)
            steps.painted.add(double(painted), due, verseEndPlayed(clock, stream, from, times[k]));
        if (steppedAt[size_t(k) + 1] > 0)
            steps.stepped.push_back((double(steppedAt[size_t(k) + 1]) - due) / 1e6);
    }
    return steps;
}

// Sura 78 recited whole in range mode: for each verse end, the delay from the moment the sink
// plays it (stream time end - 200 ms), by its monitor, until the next verse is painted in the
// page and in every translation view. Baseline: a precise QTimer armed from the output's played
// count, in the plain program playing the same section, updating a label. count_lag_* is how far
// the output's count ran behind the sound (negative: ahead); clock_error_bound_ms the monitor's.
void BM_VerseStepAsPlayed(benchmark::State &state) {
    if (!ready(state))
        return;
    for (auto _ : state) {
        const StepDelays baseline = [&] {
            PlainPlayer plain;
            return plain.open(state, kSura) ? baselineSteps(state, plain) : StepDelays{};
        }();
        if (baseline.fromSound.empty())
            return;
        ReciterWindow w;
        if (!w.ok(state) || !w.select(state, kSura))
            return;
        const auto steps = windowSteps(state, w);
        if (!steps)
            return;
        reportDelays(state, steps->painted.fromSound, "");
        reportDelays(state, steps->stepped, "step_");
        reportDelays(state, baseline.fromSound, "baseline_");
        // The same from the output's own count: what the program does with the count it is given.
        reportDelays(state, steps->painted.fromCount, "after_count_");
        reportDelays(state, baseline.fromCount, "baseline_after_count_");
        state.counters["steps"] = double(steps->painted.fromSound.size());
        state.counters["baseline_steps"] = double(baseline.fromSound.size());
        state.counters["unpainted"] = steps->unpainted;
        // The output's count against the monitor, and the monitor's own error: the edge of its
        // block arrivals plus the spread of the server's latency reports it was calibrated by.
        state.counters["count_residual_p99_ms"] = steps->clockResidualMs;
        reportSpread(state, steps->countLag, "count_lag_");
        state.counters["clock_blocks"] = steps->monitorBlocks;
        state.counters["clock_block_ms"] = steps->monitorBlockMs;
        state.counters["clock_calibration_block_ms"] = calibration().blockMs;
        state.counters["clock_match"] = steps->monitorMatch;
        state.counters["clock_error_bound_ms"] = steps->monitorEdgeMs + calibration().spreadMs;
        state.counters["target_p99_ms"] = 20;
        state.SetIterationTime(double(w.times().back().end - w.times().front().start) / 1000);
    }
}

}  // namespace

BENCHMARK(BM_RecitingCpu)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_RecitingCpuEqualizerMoving)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_VerseStepAsPlayed)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

int main(int argc, char **argv) {
    // On the display, as a user sees the window; no display, no benchmark.
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr,
                     "bench_recitation: no DISPLAY (run it through "
                     "tools/xvfb-run-bench.sh); skipped\n");
        return 0;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    return runBenchmarks(argc, argv, "BM_IdleAndPausedCpu", BM_IdleAndPausedCpu,
                         benchmark::kSecond);
}
