#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLabel>

#include <vector>

#include "mainwindowfixture.h"
#include "recitation/clsfmod.h"
#include "recitation/recitationcontroller.h"

using namespace varnelo;
using namespace varnelo::test;

namespace {

constexpr int kRate = 44100;
constexpr int kVerseMs = 300;

qint64 framesOf(qint64 ms) {
    return ms * kRate / 1000;
}

// The window on an output that plays in real time and Qt's own timers; the verses of sura 2 last
// 300 ms each, back to back.
class RecitationWindowTest : public MainWindowFixture {
protected:
    RecitationWindowTest() : MainWindowFixture(FakeAudioOutput::Mode::Paced) {}

    std::pair<qint32, qint32> verseTime(int sura, int k) const override {
        if (sura != 2)
            return MainWindowFixture::verseTime(sura, k);
        return {k * kVerseMs, (k + 1) * kVerseMs};
    }
};

}  // namespace

TEST_F(RecitationWindowTest, XInRangeModeStepsTheVersesAsTheirEndsArePlayed) {
    VARNELO_SKIP_WITHOUT_LAME();
    ASSERT_TRUE(installMp3(tone(kRate, 2, 3 * kRate, 440, 0.2)));
    // The range is recited once, then recitation stops; the store is of this version, so start-up
    // keeps it.
    m_store.save("version", "version", "4.0 beta2");
    m_store.save("RangeModeSetup", "NextRange", "0");
    ASSERT_TRUE(load());
    select(2);
    ASSERT_FALSE(slider(0).setValue(1).has_value());
    ASSERT_FALSE(slider(1).setValue(5).has_value());

    // Each step of the current verse as the window shows it, with how much had played then.
    struct Step {
        int verse;
        qint64 played;
    };
    std::vector<Step> steps;
    QObject::connect(&slider(2), &ucSliderModel::Change, &window(), [&] {
        steps.push_back({slider(2).Value(), m_audio.framesPlayed()});
    });

    press(get<QWidget>("AnimatedGifCtl1"), Qt::Key_X);
    ASSERT_EQ(m_audio.startCount(), 1);
    QElapsedTimer timer;
    timer.start();
    while ((window().Fmod().isPlaying() || window().controller().following()) &&
           timer.elapsed() < 4000)
        runEventsFor(10);
    EXPECT_FALSE(window().controller().following());
    EXPECT_EQ(window().CurrentVerse(), 5);
    const QString status = get<QLabel>("lblStatus")->text();
    EXPECT_FALSE(status.contains("Verse") || status.contains("Repetition")) << status.toStdString();

    // Play put the current verse on the range begin; the sound then moved it on, one verse at
    // each end as heard: the engine's position runs ahead of the sound by its lead.
    std::vector<Step> moves;
    for (const Step &step : steps) {
        if (step.verse != 1)
            moves.push_back(step);
    }
    ASSERT_EQ(moves.size(), 4u);
    for (size_t i = 0; i < moves.size(); ++i) {
        const int verse = 2 + int(i);
        EXPECT_EQ(moves[i].verse, verse);
        const qint64 boundary = verse * kVerseMs - clsFMod::kPositionLead - 1 * kVerseMs;
        EXPECT_NEAR(double(moves[i].played), double(framesOf(boundary)), double(framesOf(20)))
            << "verse " << verse;
    }
}
