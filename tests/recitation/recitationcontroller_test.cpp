#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <unistd.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "../testapplication.h"
#include "mp3fixture.h"
#include "platform/fakeaudiooutput.h"
#include "platform/fakescheduler.h"
#include "platform/qtscheduler.h"
#include "recitation/clsfmod.h"
#include "recitation/recitationcontroller.h"
#include "scripteddialogs.h"

using namespace varnelo;
using namespace varnelo::test;

namespace {

constexpr int kRate = 44100;
constexpr int kFileSeconds = 30;
constexpr qint32 kLead = clsFMod::kPositionLead;

// One entry of the fake sura list: its verses are `verses` equal slots of slotMs from the start
// of the file, each verse ending gapMs before the next one starts.
struct FakeSura {
    int number = 0;
    int verses = 0;
    int slotMs = 500;
    int gapMs = 50;
    bool missing = false;
};

qint32 verseStart(const FakeSura &s, int i) {
    return i * s.slotMs;
}
qint32 verseEnd(const FakeSura &s, int i) {
    return i * s.slotMs + s.slotMs - s.gapMs;
}

// What the window showed at one SetText: the verse and how far the sound had played.
struct Shown {
    int sura;
    int verse;
    int starts;
    qint64 played;
    qint64 now;
};

// The window as the controller sees it: a sura list whose load opens the shared test file.
class FakeView : public RecitationView {
public:
    int suraListIndex() const override { return index; }
    int suraListCount() const override { return int(list.size()); }
    QString suraListText() const override {
        if (index < 0) {
            return {};
        }
        return QStringLiteral("%1. SURA").arg(list[index].number) +
               (list[index].missing ? QStringLiteral(" (mp3 missing)") : QString());
    }
    int selectedSura() const override { return index < 0 ? 0 : list[index].number; }
    bool selectSuraListIndex(int i) override {
        if (i < 0 || i >= int(list.size())) {
            return false;
        }
        loading = true;
        index = i;
        times.clear();
        for (int v = 0; v < list[i].verses; ++v) {
            VerseTime t;
            t.start = verseStart(list[i], v);
            t.end = verseEnd(list[i], v);
            times.append(t);
        }
        if (list[i].missing) {
            fmod->CloseAll();
        } else {
            fmod->OpenMP3File(mp3);
        }
        controller->resetRange(int(times.size()) - 1);
        controller->setCurrentVerse(0);
        if (duringLoad) {
            duringLoad();  // window events that run while the sura loads
        }
        loading = false;
        ++loads;
        SetText();
        return true;
    }
    bool suraLoading() const override { return loading; }
    const QList<VerseTime> &verseTimes() const override { return times; }
    void SetText() override {
        shown.push_back({selectedSura(), controller->CurrentVerse(), output->startCount(),
                         output->framesPlayed(), scheduler->now()});
    }
    void hideWordPicture() override { ++wordHidden; }
    void setHideWordMark(bool hide) override { hideMarks.push_back(hide); }
    void showRange(const VerseRange &range) override { lastRange = range; }
    void setSliderTip(int i, const QString &tip) override { tips[i] = tip; }
    void setPlayTip(const QString &tip) override { playTip = tip; }
    void showMode(bool rangeMode) override { shownRangeMode = rangeMode; }
    void applyVolume() override { ++volumeApplied; }
    void showTitleWindow(bool show) override { titleWindow.push_back(show); }
    void showStatus(const QString &text) override { statuses.append(text); }

    std::vector<FakeSura> list;
    int index = -1;
    QList<VerseTime> times;
    bool loading = false;
    std::function<void()> duringLoad;
    int loads = 0;
    QString mp3;
    clsFMod *fmod = nullptr;
    FakeAudioOutput *output = nullptr;
    Scheduler *scheduler = nullptr;
    RecitationController *controller = nullptr;

    std::vector<Shown> shown;
    int wordHidden = 0;
    std::vector<bool> hideMarks;
    VerseRange lastRange;
    QString tips[3];
    QString playTip;
    bool shownRangeMode = true;
    int volumeApplied = 0;
    std::vector<bool> titleWindow;
    QStringList statuses;
};

// The controller over the real engine on a manual fake output and a virtual-clock scheduler,
// both advanced together in 1 ms steps. List positions: 0 sura 108 (287 short verses), 1 sura 109
// (9), 2 sura 110 (4), 3 sura 111 (10), 4 sura 112 (6), 5 sura 113 (6), 6 sura 114 (7).
class RecitationControllerTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!Mp3Maker::lameAvailable()) {
            return;
        }
        s_maker = new Mp3Maker;
        s_mp3 = s_maker->make("sura", tone(kRate, 2, qint64(kFileSeconds) * kRate, 440, 0.2),
                              {"-b", "128"});
    }
    static void TearDownTestSuite() {
        delete s_maker;
        s_maker = nullptr;
    }

    void SetUp() override {
        VARNELO_SKIP_WITHOUT_LAME();
        ASSERT_FALSE(s_mp3.isEmpty());
        m_view.list = {
            {108, 287, 100, 10}, {109, 9}, {110, 4}, {111, 10}, {112, 6}, {113, 6}, {114, 7}};
        m_view.mp3 = s_mp3;
        m_view.fmod = &m_fmod;
        m_view.output = &m_output;
        m_view.scheduler = &m_scheduler;
        m_view.controller = &m_controller;
        m_options.Pause = 0;
        m_options.NextRange = false;
        m_controller.setOptions(m_options);
    }

    void setOptions() { m_controller.setOptions(m_options); }

    // The user picks list position i.
    void select(int i) {
        ASSERT_TRUE(m_view.selectSuraListIndex(i));
        m_controller.suraSelectedByUser();
        m_view.shown.clear();
    }

    void run(qint64 ms) {
        for (qint64 t = 0; t < ms; ++t) {
            m_output.advance(1);
            m_scheduler.advance(1);
        }
    }

    // Runs until the engine has been silent (not playing, no wait) for quietMs, at most maxMs.
    qint64 runUntilQuiet(qint64 maxMs, qint64 quietMs = 50) {
        qint64 quiet = 0;
        qint64 t = 0;
        for (; t < maxMs && quiet < quietMs; ++t) {
            run(1);
            const bool busy = m_fmod.isPlaying() || m_controller.waiting();
            quiet = busy ? 0 : quiet + 1;
        }
        return t;
    }

    const FakeSura &sura() const { return m_view.list[size_t(m_view.index)]; }
    std::vector<int> shownVerses() const {
        std::vector<int> verses;
        for (const Shown &s : m_view.shown) {
            verses.push_back(s.verse);
        }
        return verses;
    }

    static Mp3Maker *s_maker;
    static QString s_mp3;

    FakeAudioOutput m_output;
    clsFMod m_fmod{m_output};
    FakeScheduler m_scheduler;
    ScriptedDialogs m_dialogs;
    FakeView m_view;
    RangeModeOptions m_options;
    RecitationController m_controller{{m_fmod, m_scheduler, m_dialogs, m_view}, RangeModeOptions{}};
};

Mp3Maker *RecitationControllerTest::s_maker = nullptr;
QString RecitationControllerTest::s_mp3;

qint64 framesOf(qint64 ms) {
    return ms * kRate / 1000;
}

}  // namespace

TEST_F(RecitationControllerTest, VerseModeRecitesOneVerseAndGoesIdle) {
    select(1);
    m_controller.optVerseAdvance_Click(1);
    EXPECT_TRUE(m_controller.Keyboard());
    EXPECT_EQ(m_view.playTip, QLatin1String(RecitationController::kReciteVerseTip));
    runUntilQuiet(3000);
    ASSERT_TRUE(m_controller.setSlider(2, 3));
    m_output.clearRecorded();
    m_controller.cmdPlay_Click();
    EXPECT_EQ(m_controller.status(), "Verse 3 of 8");
    EXPECT_FALSE(m_controller.following());
    runUntilQuiet(3000);
    // 1500..1950 less the engine's 200 ms: the verse alone, nothing of the next one.
    EXPECT_NEAR(m_output.recordedFrames(), framesOf(1950 - kLead - 1500), framesOf(2));
    EXPECT_EQ(m_controller.CurrentVerse(), 3);
    EXPECT_EQ(m_controller.status(), "");
    EXPECT_EQ(m_scheduler.pending(), 0);
}

TEST_F(RecitationControllerTest, RangeModeStepsEachVerseWhenItsEndIsReached) {
    select(1);
    ASSERT_TRUE(m_controller.setSlider(0, 1));
    ASSERT_TRUE(m_controller.setSlider(1, 5));
    m_view.shown.clear();
    m_controller.cmdPlay_Click();
    EXPECT_TRUE(m_controller.following());
    EXPECT_EQ(m_controller.status(), QString::fromUtf8("Verse 1 of 8 \u00b7 Repetition 1 of 1"));
    EXPECT_EQ(m_view.tips[0], "1");
    EXPECT_EQ(m_view.tips[1], "5");
    runUntilQuiet(5000);

    ASSERT_EQ(shownVerses(), (std::vector<int>{1, 2, 3, 4, 5}));
    const int starts = m_view.shown[0].starts;
    for (size_t k = 1; k < m_view.shown.size(); ++k) {
        const Shown &s = m_view.shown[k];
        EXPECT_EQ(s.starts, starts) << "one section, no restarts";
        // Verse k of the range ended (200 ms early, as the engine reports positions ahead).
        const qint64 boundary = verseEnd(sura(), 1 + int(k) - 1) - kLead - verseStart(sura(), 1);
        EXPECT_NEAR(double(s.played), double(framesOf(boundary)), double(framesOf(20))) << k;
    }
    EXPECT_EQ(m_controller.CurrentVerse(), 5);
    EXPECT_FALSE(m_controller.following());  // no next range: the follower stops
    EXPECT_EQ(m_scheduler.pending(), 0);
    EXPECT_EQ(m_controller.status(), "");

    // Moving RE while the range plays ends it at the new RE.
    m_controller.cmdPlay_Click();
    run(500);
    ASSERT_TRUE(m_controller.setSlider(1, 3));
    runUntilQuiet(3000);
    EXPECT_EQ(m_controller.CurrentVerse(), 3);
    EXPECT_EQ(m_fmod.EndPosition(), verseEnd(sura(), 3));
    EXPECT_FALSE(m_controller.following());

    // A one-verse range takes no step: the range end comes at that verse's end.
    ASSERT_TRUE(m_controller.setSlider(0, 6));
    ASSERT_TRUE(m_controller.setSlider(1, 6));
    m_view.shown.clear();
    m_output.clearRecorded();
    m_controller.cmdPlay_Click();
    runUntilQuiet(3000);
    EXPECT_EQ(shownVerses(), (std::vector<int>{6}));
    EXPECT_NEAR(m_output.recordedFrames(), framesOf(450 - kLead), framesOf(2));
    EXPECT_FALSE(m_controller.following());
}

TEST_F(RecitationControllerTest, RepeatedRangesPauseBetweenAndUnlimitedGoesOn) {
    m_options.NoofTimes = 3;
    m_options.Pause = 2;
    setOptions();
    select(1);
    ASSERT_TRUE(m_controller.setSlider(0, 2));
    ASSERT_TRUE(m_controller.setSlider(1, 3));
    m_controller.cmdPlay_Click();
    const int firstStart = m_output.startCount();
    // The times the sound stopped and started again.
    std::vector<qint64> stops;
    std::vector<qint64> starts{m_scheduler.now()};
    bool playing = true;
    QStringList pauses;
    for (int t = 0; t < 12000; ++t) {
        run(1);
        if (playing != m_fmod.isPlaying()) {
            playing = !playing;
            (playing ? starts : stops).push_back(m_scheduler.now());
        }
        if (m_controller.waiting() && !pauses.contains(m_controller.status())) {
            pauses.append(m_controller.status());
        }
    }
    EXPECT_EQ(m_output.startCount() - firstStart, 2);
    ASSERT_EQ(starts.size(), 3u);
    ASSERT_EQ(stops.size(), 3u);
    for (size_t k = 0; k < 2; ++k) {
        EXPECT_EQ(stops[k] - starts[k], 950 - kLead) << k;
        EXPECT_NEAR(double(starts[k + 1] - stops[k]), 2000, 2) << k;
    }
    EXPECT_EQ(pauses, (QStringList{"Pause 2 s", "Pause 1 s"}));
    EXPECT_FALSE(m_controller.following());
    EXPECT_EQ(m_scheduler.pending(), 0);

    // Unlimited: the range comes again and again, the status counting without end.
    m_options.NoofTimes = 0;
    m_options.Pause = 1;
    setOptions();
    m_controller.cmdPlay_Click();
    run(4 * (750 + 1000) + 100);
    EXPECT_TRUE(m_controller.following());
    EXPECT_EQ(m_output.startCount() - firstStart, 2 + 5);
    EXPECT_EQ(m_controller.status(), QString::fromUtf8("Verse 2 of 8 \u00b7 Repetition 5"));
    m_controller.cmdStop_Click();
    EXPECT_EQ(m_scheduler.pending(), 0);
    EXPECT_EQ(m_controller.status(), "Stopped");
}

TEST_F(RecitationControllerTest, VersePauseHoldsTheSoundAndPlayDuringItRestartsTheRange) {
    m_options.PauseBetweenVerses = 2;
    setOptions();
    select(1);
    ASSERT_TRUE(m_controller.setSlider(0, 1));
    ASSERT_TRUE(m_controller.setSlider(1, 3));
    m_controller.cmdPlay_Click();
    run(450 - kLead + 5);
    EXPECT_TRUE(m_controller.waiting());
    EXPECT_TRUE(m_output.isPaused());
    EXPECT_EQ(m_controller.status(), "Pause 2 s");
    EXPECT_EQ(m_controller.CurrentVerse(), 1);  // the step waits for the pause
    const qint64 played = m_output.framesPlayed();
    run(1000);
    EXPECT_EQ(m_output.framesPlayed(), played);
    EXPECT_EQ(m_controller.status(), "Pause 1 s");

    // Play: the range restarts at once, the pending step is dropped.
    m_view.shown.clear();
    m_controller.cmdPlay_Click();
    EXPECT_EQ(m_controller.CurrentVerse(), 1);
    run(5);
    EXPECT_FALSE(m_controller.waiting());
    EXPECT_EQ(shownVerses(), (std::vector<int>{1}));
    EXPECT_FALSE(m_output.isPaused());

    // Undisturbed, each step comes after its pause: 1 -> 2 -> 3 and the sound resumes between.
    run(450 - kLead + 2000 + 450 + 2000 + 450);
    EXPECT_EQ(shownVerses(), (std::vector<int>{1, 2, 3}));
    EXPECT_NEAR(double(m_view.shown[2].now - m_view.shown[1].now), 2000 + 500, 3);
    runUntilQuiet(3000);
    EXPECT_FALSE(m_controller.following());
}

TEST_F(RecitationControllerTest, PausedDuringAVersePauseTheSoundStaysHeldAfterIt) {
    m_options.PauseBetweenVerses = 1;
    setOptions();
    select(1);
    ASSERT_TRUE(m_controller.setSlider(1, 3));
    m_controller.cmdPlay_Click();
    run(450 - kLead + 5);
    ASSERT_TRUE(m_controller.waiting());
    m_controller.togglePause();
    EXPECT_TRUE(m_controller.Paused());
    run(1000);
    // The verse moved on when the pause ended, the sound did not.
    EXPECT_FALSE(m_controller.waiting());
    EXPECT_EQ(m_controller.CurrentVerse(), 1);
    EXPECT_TRUE(m_output.isPaused());
    EXPECT_EQ(m_controller.status(), "Paused");
    EXPECT_EQ(m_scheduler.pending(), 0);
    const qint64 played = m_output.framesPlayed();
    run(500);
    EXPECT_EQ(m_output.framesPlayed(), played);
    m_controller.togglePause();
    EXPECT_FALSE(m_output.isPaused());
    run(500);
    EXPECT_EQ(m_controller.CurrentVerse(), 1);
    EXPECT_TRUE(m_controller.waiting());  // the next verse pause, after verse 1
    m_controller.cmdStop_Click();
}

TEST_F(RecitationControllerTest, NextRangeMovesOnByTheRangeLength) {
    m_options.NextRange = true;
    m_options.NextSura = false;
    m_options.StopRecitation = true;
    setOptions();
    select(1);
    ASSERT_TRUE(m_controller.setSlider(0, 1));
    ASSERT_TRUE(m_controller.setSlider(1, 3));
    m_controller.cmdPlay_Click();
    runUntilQuiet(20000, 100);
    // 1..3, 4..6, 7..8 (cut at the sura end, remembering length 2), then the stop option.
    EXPECT_EQ(shownVerses(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(m_controller.range().RB, 7);
    EXPECT_EQ(m_controller.range().RE, 8);
    EXPECT_EQ(m_controller.range().RangeLengthOverride, "2");
    EXPECT_FALSE(m_controller.following());
    EXPECT_EQ(m_scheduler.pending(), 0);
}

TEST_F(RecitationControllerTest, NextSuraKeepsTheRangeLengthWhereItFits) {
    m_options.Pause = 1;
    setOptions();
    // Sura 109 (last index 8), range 3..8: the next sura 110 has last index 3, shorter than 5,
    // so its whole-sura range stays.
    select(1);
    ASSERT_TRUE(m_controller.setSlider(0, 3));
    m_controller.cmdPlay_Click();
    run((6 * 500 - 50 - kLead) + 500);
    EXPECT_EQ(m_controller.status(), "Next: sura 110 in 1 s");
    run(600);
    ASSERT_EQ(m_view.selectedSura(), 110);
    EXPECT_EQ(m_controller.range(), (VerseRange{0, 3, 0, 3, "0"}));
    EXPECT_TRUE(m_fmod.isPlaying());

    // A whole-sura range goes on to the whole next sura, 111 (last index 9).
    run(4 * 500 - 50 - kLead + 1100);
    ASSERT_EQ(m_view.selectedSura(), 111);
    EXPECT_EQ(m_controller.range(), (VerseRange{0, 9, 0, 9, "0"}));

    // Range 4..9 of 111 into 112 (last index 5): RE = 5 fits exactly.
    ASSERT_TRUE(m_controller.setSlider(0, 4));
    m_controller.cmdPlay_Click();
    run(6 * 500 - 50 - kLead + 1100);
    ASSERT_EQ(m_view.selectedSura(), 112);
    EXPECT_EQ(m_controller.range().RE, 5);
    EXPECT_EQ(m_controller.CurrentVerse(), 0);
    EXPECT_TRUE(m_controller.following());
    m_controller.cmdStop_Click();
}

TEST_F(RecitationControllerTest, ARecitationFileShorterThanItsTimingsEndsTheRangeAtItsEnd) {
    // Sura 109's timings run to 35 s in a 30 s file: the range ends where the sound does.
    m_view.list[1] = {109, 70, 500, 50};
    select(1);
    ASSERT_TRUE(m_controller.setSlider(0, 58));
    m_controller.cmdPlay_Click();
    // The range ends inside the sura, without a next range: the follower stops at once.
    run(kFileSeconds * 1000 - kLead - 58 * 500 + 5);
    EXPECT_FALSE(m_controller.following());
    EXPECT_EQ(m_controller.CurrentVerse(), 60);
    EXPECT_EQ(m_view.selectedSura(), 109);
}

TEST_F(RecitationControllerTest, AtTheSuraEndTheOptionsRestartStopOrEndAtTheLastSura) {
    // Sura 114: recitation ends there, nothing is selected after it.
    select(6);
    ASSERT_TRUE(m_controller.setSlider(0, 5));
    m_controller.cmdPlay_Click();
    runUntilQuiet(5000, 1500);
    EXPECT_EQ(m_view.selectedSura(), 114);
    EXPECT_FALSE(m_controller.following());
    EXPECT_EQ(m_scheduler.pending(), 0);

    // Restart: the same sura from its start, with the range length 1 (5..6 became 0..1).
    m_options.NextSura = false;
    m_options.RestartSura = true;
    setOptions();
    m_controller.cmdPlay_Click();
    run(2 * 500 - 50 - kLead + 20);
    EXPECT_EQ(m_controller.range().RB, 0);
    EXPECT_EQ(m_controller.range().RE, 1);
    EXPECT_EQ(m_controller.CurrentVerse(), 0);
    EXPECT_TRUE(m_fmod.isPlaying());
    EXPECT_TRUE(m_controller.following());
    m_controller.cmdStop_Click();

    // Stop option: the follower ends at the sura end.
    m_options.RestartSura = false;
    m_options.StopRecitation = true;
    setOptions();
    ASSERT_TRUE(m_controller.setSlider(0, 6));
    ASSERT_TRUE(m_controller.setSlider(1, 6));
    const int starts = m_output.startCount();
    m_controller.cmdPlay_Click();
    runUntilQuiet(3000, 1500);
    EXPECT_EQ(m_output.startCount(), starts + 1);
    EXPECT_FALSE(m_controller.following());
    EXPECT_EQ(m_scheduler.pending(), 0);
}

TEST_F(RecitationControllerTest, PauseResumeStopAndIdleScheduleNothing) {
    select(1);
    EXPECT_EQ(m_scheduler.pending(), 0);
    m_controller.togglePause();  // nothing plays: nothing to hold
    EXPECT_FALSE(m_controller.Paused());
    m_controller.cmdPlay_Click();
    run(300);
    m_controller.togglePause();
    EXPECT_TRUE(m_controller.Paused());
    EXPECT_EQ(m_controller.status(), "Paused");
    EXPECT_EQ(m_scheduler.pending(), 0);
    const qint64 played = m_output.framesPlayed();
    run(1000);
    EXPECT_EQ(m_output.framesPlayed(), played);

    // Play while paused resumes where the sound was held.
    const int starts = m_output.startCount();
    m_controller.cmdPlay_Click();
    EXPECT_FALSE(m_controller.Paused());
    EXPECT_EQ(m_output.startCount(), starts);
    run(100);
    EXPECT_NEAR(m_output.framesPlayed(), played + framesOf(100), framesOf(1));
    EXPECT_GT(m_scheduler.pending(), 0);  // the follower's safety tick while it plays

    // Stop while paused: the next Play plays, it does not resume a stopped sound.
    m_controller.togglePause();
    m_controller.cmdStop_Click();
    EXPECT_FALSE(m_controller.Paused());
    EXPECT_EQ(m_controller.status(), "Stopped");
    EXPECT_EQ(m_scheduler.pending(), 0);
    m_controller.cmdPlay_Click();
    EXPECT_TRUE(m_fmod.isPlaying());
    EXPECT_EQ(m_output.startCount(), starts + 1);
    m_controller.cmdStop_Click();
}

TEST_F(RecitationControllerTest, StopDuringAPauseStaysStopped) {
    m_options.NoofTimes = 2;
    m_options.Pause = 3;
    setOptions();
    select(1);
    ASSERT_TRUE(m_controller.setSlider(0, 1));
    ASSERT_TRUE(m_controller.setSlider(1, 1));
    m_controller.cmdPlay_Click();
    run(450 - kLead + 100);
    ASSERT_TRUE(m_controller.waiting());
    const int starts = m_output.startCount();
    m_controller.cmdStop_Click();
    EXPECT_FALSE(m_controller.waiting());
    EXPECT_EQ(m_scheduler.pending(), 0);
    run(5000);
    EXPECT_EQ(m_output.startCount(), starts);
    EXPECT_EQ(m_controller.status(), "Stopped");

    // A mode change and a sura picked by the user drop a wait as well.
    m_controller.cmdPlay_Click();
    run(450 - kLead + 100);
    ASSERT_TRUE(m_controller.waiting());
    m_controller.optVerseAdvance_Click(1);
    EXPECT_FALSE(m_controller.waiting());
    m_controller.optVerseAdvance_Click(0);
    run(450 - kLead + 100);
    ASSERT_TRUE(m_controller.waiting());
    select(2);
    EXPECT_FALSE(m_controller.waiting());
    EXPECT_EQ(m_scheduler.pending(), 0);
}

TEST_F(RecitationControllerTest, StopWaitEndsWaitsAndAStopDuringTheNextSuraLoadHolds) {
    m_options.Pause = 5;
    m_options.NoofTimes = 2;
    setOptions();
    select(1);
    ASSERT_TRUE(m_controller.setSlider(0, 8));
    m_controller.cmdPlay_Click();
    run(450 - kLead + 10);
    ASSERT_TRUE(m_controller.waiting());
    const int starts = m_output.startCount();
    // A layout change: the wait ends at the next turn, not inside the call.
    m_controller.setStopWait(true);
    EXPECT_EQ(m_output.startCount(), starts);
    run(2);
    EXPECT_EQ(m_output.startCount(), starts + 1);
    EXPECT_FALSE(m_controller.waiting());
    // While it stays set, the wait after the last repetition passes at once: on to sura 110.
    run(450 - kLead + 10);
    EXPECT_EQ(m_view.selectedSura(), 110);
    m_controller.setStopWait(false);

    // Keys pressed while the follower loads the next sura: Play is dropped, Stop holds.
    m_options.NoofTimes = 1;
    m_options.Pause = 1;
    setOptions();
    ASSERT_TRUE(m_controller.setSlider(0, 3));
    m_controller.cmdPlay_Click();
    m_view.duringLoad = [this] {
        m_controller.cmdPlay_Click();
        m_controller.cmdStop_Click();
    };
    const int before = m_output.startCount();
    run(450 - kLead + 1010);
    EXPECT_EQ(m_view.selectedSura(), 111);
    EXPECT_EQ(m_output.startCount(), before);
    EXPECT_FALSE(m_fmod.isPlaying());
    EXPECT_FALSE(m_controller.following());
    EXPECT_EQ(m_scheduler.pending(), 0);
    m_view.duringLoad = nullptr;
}

TEST_F(RecitationControllerTest, MissingMp3ShowsTheMessageAndPlaysNothing) {
    m_view.list[2].missing = true;
    select(2);
    m_controller.cmdPlay_Click();
    ASSERT_EQ(m_dialogs.shown.size(), 1);
    EXPECT_TRUE(m_dialogs.shown[0].startsWith(
        "Audio file not installed: MP3 file for this sura is not installed. \r\n\r\n"));
    EXPECT_TRUE(m_dialogs.shown[0].contains("https://"));
    EXPECT_EQ(m_view.titleWindow, (std::vector<bool>{false, true}));
    EXPECT_FALSE(m_fmod.isPlaying());
    EXPECT_EQ(m_output.startCount(), 0);
    EXPECT_FALSE(m_controller.following());
    EXPECT_EQ(m_scheduler.pending(), 0);
}

TEST_F(RecitationControllerTest, RangeMovesStopAtTheSuraEnds) {
    select(0);  // 287 entries, last index 286
    ASSERT_TRUE(m_controller.setSlider(0, 280));
    ASSERT_TRUE(m_controller.setSlider(1, 285));
    m_controller.cmdRangeMoveForward();
    EXPECT_EQ(m_controller.range(), (VerseRange{286, 286, 286, 286, "5"}));
    EXPECT_EQ(m_controller.CurrentVerse(), 286);
    EXPECT_TRUE(m_fmod.isPlaying());
    // RE at the last verse: forward does nothing.
    m_controller.cmdRangeMoveForward();
    EXPECT_EQ(m_controller.range().RB, 286);
    // Backward uses the remembered length.
    m_controller.cmdRangeMoveBackward();
    EXPECT_EQ(m_controller.range(), (VerseRange{280, 285, 280, 286, "5"}));

    // Before the start the begin stays and the range restarts where it was.
    ASSERT_TRUE(m_controller.setSlider(0, 3));
    ASSERT_TRUE(m_controller.setSlider(1, 10));
    m_controller.cmdStop_Click();
    ASSERT_TRUE(m_controller.setSlider(2, 7));
    m_controller.cmdRangeMoveBackward();  // L = 5 still: 3 - 6 < 0
    EXPECT_EQ(m_controller.range().RB, 3);
    EXPECT_EQ(m_controller.range().RE, 8);
    EXPECT_EQ(m_controller.CurrentVerse(), 3);
    ASSERT_TRUE(m_controller.setSlider(0, 0));
    m_controller.cmdStop_Click();
    const int starts = m_output.startCount();
    m_controller.cmdRangeMoveBackward();  // RB = 0: nothing at all
    EXPECT_EQ(m_output.startCount(), starts);
    EXPECT_EQ(m_controller.range().RE, 8);
    m_controller.cmdStop_Click();
}

TEST_F(RecitationControllerTest, DigitsHomeAndVerseStepsKeepInsideTheSura) {
    select(1);  // last index 8
    ASSERT_TRUE(m_controller.setSlider(0, 6));
    m_controller.setRangeLength(2);
    EXPECT_EQ(m_controller.range().RE, 7);
    m_controller.setRangeLength(9);  // 6 + 8 is beyond the sura: RE stays, the range plays
    EXPECT_EQ(m_controller.range().RE, 7);
    EXPECT_TRUE(m_fmod.isPlaying());
    m_controller.wholeSura();
    EXPECT_EQ(m_controller.range(), (VerseRange{0, 8, 0, 8, "0"}));

    // C and Z in verse mode wrap inside the range, with the word marker held while they move.
    m_controller.optVerseAdvance_Click(1);
    ASSERT_TRUE(m_controller.setSlider(0, 2));
    ASSERT_TRUE(m_controller.setSlider(1, 4));
    ASSERT_TRUE(m_controller.setSlider(2, 4));
    m_view.hideMarks.clear();
    m_controller.reciteNextVerse();
    EXPECT_EQ(m_controller.CurrentVerse(), 2);
    EXPECT_EQ(m_view.hideMarks, (std::vector<bool>{true, false}));
    m_controller.recitePreviousVerse();
    EXPECT_EQ(m_controller.CurrentVerse(), 4);
    m_controller.recitePreviousVerse();
    EXPECT_EQ(m_controller.CurrentVerse(), 3);
    m_output.clearRecorded();
    runUntilQuiet(2000);
    EXPECT_NEAR(m_output.recordedFrames(), framesOf(450 - kLead), framesOf(2));

    // A right click recites the next verse; in range mode it plays on to the range end.
    m_view.shown.clear();
    m_controller.pageMouseDown(2);
    EXPECT_EQ(m_controller.CurrentVerse(), 4);
    EXPECT_EQ(shownVerses(), (std::vector<int>{4}));
    m_controller.optVerseAdvance_Click(0);
    ASSERT_TRUE(m_controller.setSlider(2, 2));
    m_controller.pageMouseDown(2);
    EXPECT_EQ(m_controller.CurrentVerse(), 3);
    EXPECT_TRUE(m_controller.following());
    EXPECT_EQ(m_fmod.EndPosition(), verseEnd(sura(), 4));
    m_controller.cmdStop_Click();
}

TEST_F(RecitationControllerTest, VerseNumbersNamingNoVerseAreRefused) {
    m_view.list[2].number = 1;  // position 2 becomes sura 1: index = verse - 1
    select(2);                  // last index 3
    m_controller.CallSetText(0, false, false);
    m_controller.CallSetText(5, false, false);
    EXPECT_EQ(m_controller.CurrentVerse(), 0);
    EXPECT_EQ(m_output.startCount(), 0);
    m_controller.CallSetText(3, true, false);
    EXPECT_EQ(m_controller.range().RB, 2);
    m_controller.CallSetText(3, false, true);
    EXPECT_EQ(m_controller.range().RE, 2);
    EXPECT_EQ(m_view.tips[1], "3");
    m_controller.CallSetText(2, false, false);
    EXPECT_EQ(m_controller.CurrentVerse(), 1);
    EXPECT_TRUE(m_fmod.isPlaying());

    // Ranges from references: a single verse converts once; ranges beyond the sura are ignored.
    m_controller.CallSetTextAndRange(3, 3);
    EXPECT_EQ(m_controller.range(), (VerseRange{2, 2, 2, 3, "0"}));
    m_controller.CallSetTextAndRange(2, 4);
    EXPECT_EQ(m_controller.range(), (VerseRange{1, 3, 1, 3, "0"}));
    for (const auto &[first, last] : std::vector<std::pair<int, int>>{{0, 2}, {3, 2}, {2, 5}}) {
        m_controller.CallSetTextAndRange(first, last);
        EXPECT_EQ(m_controller.range(), (VerseRange{1, 3, 1, 3, "0"})) << first << "-" << last;
    }
    EXPECT_EQ(m_fmod.EndPosition(), verseEnd(sura(), 3));
    m_controller.cmdStop_Click();
}

TEST_F(RecitationControllerTest, CommandsDuringASuraLoadAreDropped) {
    select(1);
    m_view.loading = true;
    m_controller.cmdPlay_Click();
    m_controller.wholeSura();
    m_controller.cmdRangeMoveForward();
    m_controller.CallSetTextAndRange(1, 2);
    EXPECT_FALSE(m_controller.setSlider(1, 2));
    EXPECT_EQ(m_output.startCount(), 0);
    EXPECT_EQ(m_controller.range(), (VerseRange{0, 8, 0, 8, "0"}));
    m_view.loading = false;
    // No sura at all: nothing either.
    m_view.index = -1;
    m_controller.cmdPlay_Click();
    m_controller.togglePause();
    EXPECT_FALSE(m_controller.setSlider(0, 1));
    EXPECT_EQ(m_output.startCount(), 0);
}

// The real engine on an output that plays in real time, the Qt scheduler and an event loop: the
// current verse follows the sound verse by verse to the range end.
TEST(RecitationControllerRealTime, CurrentVerseFollowsTheSound) {
    VARNELO_SKIP_WITHOUT_LAME();
    TestCoreApplication app;
    Mp3Maker maker;
    const QString path = maker.make("sura", tone(kRate, 2, 4 * kRate, 440, 0.2), {"-b", "128"});
    FakeAudioOutput output(true, FakeAudioOutput::Mode::Paced);
    clsFMod fmod(output);
    QtScheduler scheduler;
    ScriptedDialogs dialogs;
    FakeView view;
    RangeModeOptions options;
    options.NextRange = false;
    RecitationController controller({fmod, scheduler, dialogs, view}, options);
    view.list = {{109, 8, 400, 40}};
    view.mp3 = path;
    view.fmod = &fmod;
    view.output = &output;
    view.scheduler = &scheduler;
    view.controller = &controller;
    ASSERT_TRUE(view.selectSuraListIndex(0));
    ASSERT_TRUE(controller.setSlider(0, 1));
    ASSERT_TRUE(controller.setSlider(1, 6));
    view.shown.clear();

    controller.cmdPlay_Click();
    QElapsedTimer timer;
    timer.start();
    while ((fmod.isPlaying() || controller.following()) && timer.elapsed() < 4000) {
        runEventsFor(10);
    }
    EXPECT_FALSE(controller.following());
    ASSERT_EQ(view.shown.size(), 6u);
    const FakeSura &sura = view.list[0];
    for (size_t k = 1; k < view.shown.size(); ++k) {
        EXPECT_EQ(view.shown[k].verse, 1 + int(k));
        const qint64 boundary = verseEnd(sura, int(k)) - kLead - verseStart(sura, 1);
        EXPECT_NEAR(double(view.shown[k].played), double(framesOf(boundary)), double(framesOf(20)))
            << k;
    }
    EXPECT_EQ(scheduler.pending(), 0);
}

namespace {

// AddressSanitizer holds freed blocks back for a while, so resident memory grows there without
// a leak; its own leak check stands in.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kResidentMemoryTells = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kResidentMemoryTells = false;
#else
constexpr bool kResidentMemoryTells = true;
#endif
#else
constexpr bool kResidentMemoryTells = true;
#endif

// Resident memory of this process in bytes; -1 where /proc does not tell.
qint64 residentBytes() {
    QFile statm("/proc/self/statm");
    if (!statm.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * sysconf(_SC_PAGESIZE) : -1;
}

}  // namespace

// A whole short sura in range mode, unlimited, with a pause after every verse and every
// repetition, 10,000 times over on the virtual clock: the current verse never leaves the range,
// and neither timers nor memory pile up.
TEST_F(RecitationControllerTest, UnlimitedRangeOverAWholeSuraSoaksWithoutGrowing) {
    Mp3Maker maker;
    m_view.mp3 = maker.make("short", tone(22050, 1, 22050, 440, 0.2), {"-b", "32"});
    ASSERT_FALSE(m_view.mp3.isEmpty());
    m_view.list = {{110, 3, 90, 10}};
    m_options.NoofTimes = 0;
    m_options.Pause = 1;
    m_options.PauseBetweenVerses = 1;
    setOptions();
    select(0);
    m_controller.wholeSura();
    const VerseRange range = m_view.lastRange;
    EXPECT_EQ(range.RB, 0);
    EXPECT_EQ(range.RE, 2);

    const int firstStart = m_output.startCount();
    constexpr int kRepetitions = 10000;
    int outside = 0;
    int mostPending = 0;
    qint64 residentAtThousand = 0;
    std::vector<int> verses;  // CurrentVerse at each change over the first four passes
    for (qint64 step = 0; m_output.startCount() - firstStart < kRepetitions; ++step) {
        ASSERT_LT(step, qint64(kRepetitions) * 1000) << "the repetitions stopped";
        // Pauses pass in 50 ms steps, sound in 1 ms steps.
        const qint64 ms = m_controller.waiting() ? 50 : 1;
        m_output.advance(ms);
        m_scheduler.advance(ms);
        const int verse = m_controller.CurrentVerse();
        outside += verse < range.RB || verse > range.RE ? 1 : 0;
        mostPending = std::max(mostPending, m_scheduler.pending());
        if (m_output.startCount() - firstStart < 4 && (verses.empty() || verses.back() != verse)) {
            verses.push_back(verse);
        }
        if (step % 1024 == 0) {
            // What the fakes keep for other tests' checks is let go.
            m_output.clearRecorded();
            m_view.shown.clear();
            m_view.statuses.clear();
            m_view.hideMarks.clear();
            m_view.titleWindow.clear();
        }
        if (residentAtThousand == 0 && m_output.startCount() - firstStart == 1000) {
            residentAtThousand = residentBytes();
        }
    }
    EXPECT_EQ(outside, 0);
    EXPECT_EQ(verses, (std::vector<int>{0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2}));
    EXPECT_LE(mostPending, 3);
    EXPECT_TRUE(m_controller.following());
    EXPECT_TRUE(
        m_controller.status().endsWith(QStringLiteral("Repetition %1").arg(kRepetitions + 1)))
        << m_controller.status().toStdString();
    if (kResidentMemoryTells && residentAtThousand > 0) {
        EXPECT_LT(residentBytes() - residentAtThousand, 512 * 1024);
    }
    m_controller.cmdStop_Click();
    EXPECT_EQ(m_scheduler.pending(), 0);
}
