// The main window on the demo data: selecting a sura, stepping a verse and a part, start-up,
// memory and idle CPU, each beside a plain Qt baseline measured in the same run. The program
// folder is VARNELO_APP_FOLDER, by default the build's app/ folder.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>

#include "controls/ucslider.h"
#include "data/archive.h"
#include "data/suracatalogue.h"
#include "data/suradata.h"
#include "demowindow.h"
#include "mainwindow/frmmain.h"
#include "platform/memorysettingsstore.h"
#include "platform/qtaudiooutput.h"
#include "platform/qtclipboard.h"

using namespace varnelo;
using namespace varnelo::bench;

namespace {

// Medians of the window's and the baseline's times, their ratio and the target beside them.
class Figures {
public:
    // One iteration: its time is the window's.
    void add(benchmark::State &state, double windowMs, double baselineMs) {
        m_window.push_back(windowMs);
        m_baseline.push_back(baselineMs);
        state.SetIterationTime(windowMs / 1000);
    }
    void report(benchmark::State &state, double target, const char *targetName) {
        const double window = median(m_window);
        const double baseline = median(m_baseline);
        state.counters["median_ms"] = window;
        state.counters["baseline_ms"] = baseline;
        state.counters["ratio"] = baseline > 0 ? window / baseline : 0;
        state.counters[targetName] = target;
    }

private:
    std::vector<double> m_window;
    std::vector<double> m_baseline;
};

double msOf(const QElapsedTimer &timer) {
    return double(timer.nsecsElapsed()) / 1e6;
}

// Counts the paint events of one widget, to check a step really reached the screen.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int take() { return std::exchange(m_count, 0); }

protected:
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint)
            ++m_count;
        return false;
    }

private:
    int m_count = 0;
};

// The main window with the program's audio output and clipboard, an in-memory store that has the
// About window switched off, and a temporary folder of its own; shown by Form_Load.
class Window {
public:
    Window() : m_window({m_store, m_audio, m_messages, m_clipboard}, appFolder(), m_temp.path()) {
        m_messages.watch();
        m_store.save(QStringLiteral("About"), QStringLiteral("Show3"), QStringLiteral("0"));
        m_loaded = m_window.Form_Load();
        m_sura = m_window.findChild<QComboBox *>(QStringLiteral("cmbSura"));
        m_current = m_window.findChild<ucSlider *>(QStringLiteral("ucSlider1_2"));
        m_page.emplace(m_window.findChild<QWidget *>(QStringLiteral("AnimatedGifCtl1")));
        QCoreApplication::processEvents();
    }

    // False, with the benchmark skipped, when start-up failed or a message was shown.
    bool ok(benchmark::State &state) {
        QString error = m_loaded ? m_messages.first() : m_window.failureMessage();
        if (m_loaded && error.isEmpty())
            return true;
        state.SkipWithError(qPrintable(error));
        return false;
    }
    void select(int sura) {
        m_sura->setCurrentIndex(sura - 1);
        QCoreApplication::processEvents();
    }
    // Moves the current-verse slider as a user's drag does.
    void stepTo(int verseIndex) {
        (void)m_current->model().setValue(verseIndex);
        QCoreApplication::processEvents();
    }
    bool pagePainted() { return m_page->take() > 0; }
    frmMain &window() { return m_window; }

private:
    QTemporaryDir m_temp;
    MemorySettingsStore m_store;
    QtAudioOutput m_audio;
    QtClipboard m_clipboard;
    NotedMessages m_messages;
    frmMain m_window;
    bool m_loaded = false;
    QComboBox *m_sura = nullptr;
    ucSlider *m_current = nullptr;
    std::optional<PaintCounter> m_page;
};

// A page of translation text as the plain baseline shows it.
QString textPage(int verses) {
    QString page;
    for (int i = 1; i <= verses; ++i)
        page += QStringLiteral(
                    "<p>(%1) And when your Lord said to the angels: I am placing a "
                    "successor on the earth, they said: Will You place there one who "
                    "will cause corruption in it and shed blood?</p>")
                    .arg(i);
    return page;
}

// The plain counterpart of the window's text views: a text browser of the same size.
class PlainBrowser {
public:
    PlainBrowser() {
        m_browser.resize(1000, 260);
        m_browser.show();
        QCoreApplication::processEvents();
    }
    // Writes html and lets it paint.
    void show(const QString &html) {
        m_browser.setHtml(html);
        QCoreApplication::processEvents();
    }

private:
    QTextBrowser m_browser;
};

// The first and second image parts of sura 2.
std::optional<std::pair<TextPart, TextPart>> firstTwoParts() {
    const QList<TextPart> parts = textPartsOf(2);
    if (parts.size() < 2)
        return std::nullopt;
    return std::make_pair(parts[0], parts[1]);
}

// ---- In the window ---------------------------------------------------------------------------

// Sura 2 selected in the list (coming from sura 1) until page, texts and sliders are painted.
// Baseline: sura 2's verse times read from pos.dat and a page of text written into a browser.
void BM_SelectSura2(benchmark::State &state) {
    if (!haveDemoData(state))
        return;
    Window w;
    PlainBrowser plain;
    const QString page = textPage(12);
    QTemporaryDir temp;
    if (!w.ok(state))
        return;
    Figures figures;
    for (auto _ : state) {
        w.select(1);
        w.pagePainted();
        QElapsedTimer timer;
        timer.start();
        w.select(2);
        const double windowMs = msOf(timer);
        if (w.window().loader().loadedSura() != 2 || !w.pagePainted() || !w.ok(state)) {
            state.SkipWithError("sura 2 did not load and paint");
            return;
        }
        timer.start();
        const auto times = readVerseTimes(appFolder(), temp.path() + u'/', 2);
        plain.show(page);
        const double baselineMs = msOf(timer);
        if (!times.ok()) {
            state.SkipWithError(qPrintable(times.error));
            return;
        }
        figures.add(state, windowMs, baselineMs);
    }
    figures.report(state, 30, "target_ms");
}

// One verse on inside the first part of sura 2, until the new frame is painted, 20 ms after the
// previous step as a user or a recitation steps (a verse lasts seconds). Baseline: one verse's
// text written into a browser.
void BM_VerseStep(benchmark::State &state) {
    const auto parts = firstTwoParts();
    if (!haveDemoData(state) || !parts)
        return;
    Window w;
    PlainBrowser plain;
    const QString verse = textPage(1);
    if (!w.ok(state))
        return;
    w.select(2);
    const int first = parts->first.first;
    const int last = parts->first.last;
    int verseIndex = first;
    w.stepTo(first);
    Figures figures;
    for (auto _ : state) {
        if (verseIndex + 1 > last) {
            verseIndex = first;
            w.stepTo(first);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        w.pagePainted();
        QElapsedTimer timer;
        timer.start();
        w.stepTo(++verseIndex);
        const double windowMs = msOf(timer);
        if (w.window().CurrentVerse() != verseIndex || !w.pagePainted()) {
            state.SkipWithError("the verse step did not paint the page");
            return;
        }
        timer.start();
        plain.show(verse);
        figures.add(state, windowMs, msOf(timer));
    }
    figures.report(state, 5, "target_ms");
}

// The last verse of sura 2's first part to the first of its second, until the new image is
// painted, 20 ms after the window came to the last verse. Baseline: the second part's image
// extracted, read by Qt and painted in a label.
void BM_PartStep(benchmark::State &state) {
    const auto parts = firstTwoParts();
    if (!haveDemoData(state) || !parts)
        return;
    Window w;
    QTemporaryDir temp;
    QLabel label;
    label.resize(1000, 600);
    label.show();
    if (!w.ok(state))
        return;
    w.select(2);
    const ArabicImageSource source = arabicImageSource(appFolder(), 2, parts->second.letter);
    Figures figures;
    for (auto _ : state) {
        w.stepTo(parts->first.last);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        w.pagePainted();
        QElapsedTimer timer;
        timer.start();
        w.stepTo(parts->second.first);
        const double windowMs = msOf(timer);
        if (w.window().CurrentVerse() != parts->second.first || !w.pagePainted() || !w.ok(state)) {
            state.SkipWithError("the part step did not paint the page");
            return;
        }
        timer.start();
        const ExtractResult extracted =
            ExtractMember(source.archivePath, source.member, temp.path() + u'/');
        label.setPixmap(QPixmap::fromImage(QImage(extracted.path)));
        QCoreApplication::processEvents();
        QFile::remove(extracted.path);
        const double baselineMs = msOf(timer);
        if (!extracted.extracted() || label.pixmap().isNull()) {
            state.SkipWithError("the baseline could not read the part's image");
            return;
        }
        figures.add(state, windowMs, baselineMs);
    }
    figures.report(state, 30, "target_ms");
}

// ---- Child processes -------------------------------------------------------------------------

struct ChildRun {
    double shownMs = 0;
    double rssKb = 0;
    double hwmKb = 0;
    QString error;
};

// Runs program with arguments on the offscreen platform with a fresh configuration and temporary
// folder, timing the spawn until its "shown" line.
ChildRun runChild(const QString &program, const QStringList &arguments) {
    ChildRun run;
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), qEnvironmentVariable("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
    env.insert(QStringLiteral("TMPDIR"), home.path());
    env.insert(QStringLiteral("VARNELO_APP_FOLDER"), appFolder());
    env.remove(QStringLiteral("VARNELO_SETTINGS_DIR"));
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    child.start(program, arguments);
    while (!child.canReadLine() && child.state() != QProcess::NotRunning && timer.elapsed() < 30000)
        child.waitForReadyRead(100);
    run.shownMs = msOf(timer);
    const QList<QByteArray> fields = child.readLine().trimmed().split(' ');
    if (fields.value(0) != "shown" || fields.size() != 3) {
        run.error = QStringLiteral("%1 did not report its window: %2")
                        .arg(program, QString::fromUtf8(fields.join(' ')));
        child.kill();
    } else {
        run.rssKb = fields[1].toDouble();
        run.hwmKb = fields[2].toDouble();
    }
    child.waitForFinished(10000);
    return run;
}

// Spawn until the main window is painted, built as the program builds it on a first start.
// Baseline: a plain program with a window, a sound sink and a text browser.
void BM_StartUp(benchmark::State &state) {
    if (!haveDemoData(state))
        return;
    Figures figures;
    for (auto _ : state) {
        const ChildRun window = runChild(QStringLiteral(VARNELO_WINDOW_CHILD), {});
        const ChildRun bare = runChild(QStringLiteral(VARNELO_BARE_WINDOW), {});
        if (!window.error.isEmpty() || !bare.error.isEmpty()) {
            state.SkipWithError(qPrintable(window.error + bare.error));
            return;
        }
        figures.add(state, window.shownMs, bare.shownMs);
    }
    figures.report(state, 1.3, "target_ratio");
}

// Resident memory with sura 2 shown, against the plain program's once its window is shown.
void BM_ResidentMemory(benchmark::State &state) {
    if (!haveDemoData(state))
        return;
    std::vector<double> rss, bareRss, hwm, bareHwm;
    for (auto _ : state) {
        const ChildRun window =
            runChild(QStringLiteral(VARNELO_WINDOW_CHILD), {QStringLiteral("--sura"), "2"});
        const ChildRun bare = runChild(QStringLiteral(VARNELO_BARE_WINDOW), {});
        if (!window.error.isEmpty() || !bare.error.isEmpty()) {
            state.SkipWithError(qPrintable(window.error + bare.error));
            return;
        }
        rss.push_back(window.rssKb / 1024);
        bareRss.push_back(bare.rssKb / 1024);
        hwm.push_back(window.hwmKb / 1024);
        bareHwm.push_back(bare.hwmKb / 1024);
        state.SetIterationTime(window.shownMs / 1000);
    }
    const auto ratio = [](const std::vector<double> &a, const std::vector<double> &b) {
        return median(a) / std::max(median(b), 1.0);
    };
    state.counters["rss_mb"] = median(rss);
    state.counters["baseline_rss_mb"] = median(bareRss);
    state.counters["rss_ratio"] = ratio(rss, bareRss);
    state.counters["hwm_mb"] = median(hwm);
    state.counters["baseline_hwm_mb"] = median(bareHwm);
    state.counters["hwm_ratio"] = ratio(hwm, bareHwm);
    state.counters["target_ratio"] = 1.5;
}

// ---- Idle ------------------------------------------------------------------------------------

// CPU time of the whole process over seconds of the event loop.
double idleCpuMs(int seconds) {
    const double before = cpuMs();
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    return cpuMs() - before;
}

// Ten seconds of the event loop with sura 2 shown, after ten with a plain text browser shown.
// Run only when VARNELO_BENCH_IDLE is set.
void BM_IdleCpu10s(benchmark::State &state) {
    if (!haveDemoData(state))
        return;
    for (auto _ : state) {
        double plainMs = 0;
        {
            PlainBrowser plain;
            plain.show(textPage(12));
            plainMs = idleCpuMs(10);
        }
        Window w;
        if (!w.ok(state))
            return;
        w.select(2);
        // The first paint and the frame read ahead belong to the load, not to idling.
        idleCpuMs(1);
        const double windowMs = idleCpuMs(10);
        state.counters["cpu_ms"] = windowMs;
        state.counters["baseline_cpu_ms"] = plainMs;
        state.SetIterationTime(windowMs / 1000);
    }
}

}  // namespace

BENCHMARK(BM_SelectSura2)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK(BM_VerseStep)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(BM_PartStep)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK(BM_StartUp)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_ResidentMemory)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char **argv) {
    // A full-HD offscreen screen, so the window has the size it has on a desktop.
    QTemporaryDir screenDir;
    const QString screenFile = screenDir.filePath(QStringLiteral("screen.json"));
    QFile screen(screenFile);
    if (screen.open(QIODevice::WriteOnly))
        screen.write(R"({"screens": [{"name": "bench", "x": 0, "y": 0, "width": 1920,
                        "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    screen.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screenFile).toUtf8());
    QApplication app(argc, argv);
    return runBenchmarks(argc, argv, "BM_IdleCpu10s", BM_IdleCpu10s, benchmark::kMillisecond);
}
