#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "mainwindow/equalizerwindowmodel.h"
#include "mp3fixture.h"
#include "platform/fakeaudiooutput.h"
#include "platform/memorysettingsstore.h"
#include "recitation/clsfmod.h"
#include "scripteddialogs.h"

using namespace varnelo;
using namespace varnelo::test;

namespace {

constexpr int kRate = 44100;
// Frames the output pulls at a time, as a device buffer would.
constexpr qint64 kBlock = 1024;
constexpr double kToneHz = 1000;  // the centre of band 4

// The engine side of the main window, as the equalizer window reaches it.
class EngineHost : public EqualizerHost {
public:
    explicit EngineHost(clsFMod &fmod) : m_fmod(fmod) {}
    void EnableEqualiser(bool on) override {
        if (on) {
            m_fmod.EnableEqualizer();
            m_fmod.SetEqualizerValue();
        } else {
            m_fmod.DisableEqualizer();
        }
    }
    void SetEqualizerValue() override { m_fmod.SetEqualizerValue(); }

private:
    clsFMod &m_fmod;
};

// A 1 kHz tone playing through the engine with every band flat, and the equalizer window's model
// on the same settings.
class EqualizerSoundTest : public testing::Test {
protected:
    void SetUp() override {
        VARNELO_SKIP_WITHOUT_LAME();
        const QString path =
            m_maker.make("tone", tone(kRate, 2, 4 * kRate, kToneHz, 0.1), {"-b", "192"});
        ASSERT_TRUE(m_fmod.OpenMP3File(path));
        m_settings.EqualizerGains = {};
        m_fmod.bindEqualizerGains(&m_settings.EqualizerGains);
        m_host.EnableEqualiser(true);
        m_model.Form_Load();
        m_fmod.Play(0, 0);
        playBlocks(8);  // past the decoder's start
    }
    void TearDown() override { m_fmod.bindEqualizerGains(nullptr); }

    void playBlocks(int blocks) {
        for (int i = 0; i < blocks; ++i)
            m_output.advanceFrames(kBlock);
    }
    // The samples of the last `frames` frames played.
    const qint16 *last(qint64 frames) const {
        return m_output.recorded().data() + m_output.recorded().size() - size_t(2 * frames);
    }
    double levelOfLast(qint64 frames) const {
        return toneLevelDb(last(frames), frames, 2, 0, kRate, kToneHz);
    }
    // Largest change between neighbouring samples of channel 0 over the last `frames` frames.
    int largestStep(qint64 frames) const {
        const qint16 *pcm = last(frames);
        int largest = 0;
        for (qint64 i = 1; i < frames; ++i)
            largest = std::max(largest, std::abs(int(pcm[2 * i]) - int(pcm[2 * i - 2])));
        return largest;
    }

    Mp3Maker m_maker;
    FakeAudioOutput m_output;
    clsFMod m_fmod{m_output};
    MemorySettingsStore m_store;
    ScriptedDialogs m_dialogs;
    EqualizerSettings m_settings;
    EngineHost m_host{m_fmod};
    EqualizerWindowModel m_model{m_store, m_dialogs, m_settings, m_host};
};

}  // namespace

TEST_F(EqualizerSoundTest, ABandMovedIsHeardWithinOneBlockAndOnlyAtItsFrequency) {
    playBlocks(1);
    const double flat = levelOfLast(kBlock);
    EXPECT_NEAR(flat, 20 * std::log10(0.1), 0.3);

    // A far band barely touches the tone.
    m_model.bandChanged(0, 12);
    playBlocks(2);
    EXPECT_NEAR(levelOfLast(kBlock), flat, 0.3);

    // The tone's own band: the very next block has it, from its second half at the latest.
    m_model.bandChanged(4, 12);
    playBlocks(1);
    EXPECT_NEAR(levelOfLast(kBlock / 2), flat + 12, 0.5);
    playBlocks(4);
    EXPECT_NEAR(levelOfLast(kBlock), flat + 12, 0.2);

    // Switched off in the window, the tone is back to flat as quickly.
    m_model.chkDSP_Click(false);
    playBlocks(1);
    EXPECT_NEAR(levelOfLast(kBlock / 2), flat, 0.5);
}

TEST_F(EqualizerSoundTest, DraggingABandContinuouslyMakesNoClicks) {
    // The steepest the tone gets when the band is held at its top.
    m_model.bandChanged(4, kMaxEqualizerGain);
    playBlocks(8);
    const int steadyTop = largestStep(4 * kBlock);
    m_model.bandChanged(4, kMinEqualizerGain);
    playBlocks(8);

    // Down to the bottom and up to the top, one dB each block, as a drag goes.
    const qint64 before = m_output.recordedFrames();
    for (int gain = kMinEqualizerGain; gain <= kMaxEqualizerGain; ++gain) {
        m_model.bandChanged(4, gain);
        playBlocks(1);
    }
    for (int gain = kMaxEqualizerGain; gain >= kMinEqualizerGain; --gain) {
        m_model.bandChanged(4, gain);
        playBlocks(1);
    }
    const qint64 dragged = m_output.recordedFrames() - before;
    ASSERT_EQ(dragged, 62 * kBlock);
    // No sample jumps further than the filter's own steadiest top level does; one step of
    // rounding aside.
    EXPECT_LE(largestStep(dragged), steadyTop + 1);

    // Wild jumps between the ends, every block, are no worse.
    for (int i = 0; i < 20; ++i) {
        m_model.bandChanged(4, i % 2 ? kMinEqualizerGain : kMaxEqualizerGain);
        playBlocks(1);
    }
    EXPECT_LE(largestStep(20 * kBlock), steadyTop + 1);
}
