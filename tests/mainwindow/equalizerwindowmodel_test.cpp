#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "mainwindow/equalizerwindowmodel.h"
#include "platform/memorysettingsstore.h"
#include "recitation/parametriceq.h"
#include "scripteddialogs.h"

using namespace varnelo;

namespace {

// Records what the window asks of the main window, with the gains in effect at each call.
class RecordingHost : public EqualizerHost {
public:
    explicit RecordingHost(const EqualizerSettings &settings) : m_settings(settings) {}
    void EnableEqualiser(bool on) override {
        calls.push_back(on ? "on" : "off");
        enabledAtCall.push_back(m_settings.EqEnabled);
    }
    void SetEqualizerValue() override {
        calls.push_back("gains");
        gains.push_back(m_settings.EqualizerGains);
    }

    std::vector<std::string> calls;
    std::vector<bool> enabledAtCall;
    std::vector<EqualizerGainTable> gains;

private:
    const EqualizerSettings &m_settings;
};

class EqualizerWindowModelTest : public testing::Test {
protected:
    QString selectedText() const { return m_model.lines().at(m_model.selectedIndex()).text; }

    MemorySettingsStore m_store;
    ScriptedDialogs m_dialogs;
    EqualizerSettings m_settings = ReadEqualizerSettings(m_store);
    RecordingHost m_host{m_settings};
    EqualizerWindowModel m_model{m_store, m_dialogs, m_settings, m_host};
};

}  // namespace

TEST_F(EqualizerWindowModelTest, OpeningShowsTheGainsAndTheirPresetWithoutTouchingTheEngine) {
    m_model.Form_Load();
    EXPECT_EQ(selectedText(), "Preset 4");
    EXPECT_EQ(EqualizerPresets::signature(m_model.sliders()), "-8|10|10|6|2|-4|-8|-10|-11|-11");
    EXPECT_TRUE(m_model.checked());
    EXPECT_FALSE(m_model.loading());
    EXPECT_TRUE(m_host.calls.empty());

    // A user preset equal to a built-in one is the one selected.
    m_store.save("EQ", "Usr", "Speech|0|0|8|6|6|6|3|0|0|0#");
    m_settings.EqualizerGains = {0, 0, 8, 6, 6, 6, 3, 0, 0, 0};
    m_model.Form_Load();
    EXPECT_EQ(m_model.selectedIndex(), 1);
    EXPECT_EQ(selectedText(), "Speech");
    EXPECT_EQ(m_model.lines().at(3).text, "Preset 2");

    // Gains no preset has select the first line.
    m_settings.EqualizerGains[9] = 5;
    m_model.Form_Load();
    EXPECT_EQ(m_model.selectedIndex(), 0);
}

TEST_F(EqualizerWindowModelTest, PresetsBandsAndTheCheckReachTheEngineAtOnce) {
    m_model.Form_Load();
    m_model.cmbPresets_Click(12);  // Preset 12
    ASSERT_EQ(m_host.calls, (std::vector<std::string>{"gains"}));
    EXPECT_EQ(m_host.gains.back(), (EqualizerGainTable{0, 8, 11, 13, -11, -4, 2, -14, -10, -3}));
    EXPECT_FALSE(m_model.deleteVisible());

    // Line 0 and lines beyond the list change nothing.
    m_model.cmbPresets_Click(0);
    m_model.cmbPresets_Click(99);
    EXPECT_EQ(m_host.calls.size(), 1u);

    // A band carries all ten sliders with it, within the slider range.
    m_model.bandChanged(3, 40);
    m_model.bandChanged(0, -2);
    EXPECT_EQ(m_host.gains.back(), (EqualizerGainTable{-2, 8, 11, 15, -11, -4, 2, -14, -10, -3}));
    EXPECT_EQ(m_settings.EqualizerGains, m_host.gains.back());

    // The engine switches before the setting follows.
    m_model.chkDSP_Click(false);
    EXPECT_EQ(m_host.calls.back(), "off");
    EXPECT_TRUE(m_host.enabledAtCall.back());
    EXPECT_FALSE(m_settings.EqEnabled);
    m_model.chkDSP_Click(true);
    EXPECT_EQ(m_host.calls.back(), "on");
    EXPECT_TRUE(m_settings.EqEnabled);

    // Closing stores the gains and the state.
    m_model.Form_Unload();
    const EqualizerSettings stored = ReadEqualizerSettings(m_store);
    EXPECT_EQ(stored, m_settings);
    EXPECT_EQ(m_store.get("EQ", "Val3", ""), "15");
    EXPECT_EQ(m_store.get("EQ", "EQEnabled", ""), "True");
}

TEST_F(EqualizerWindowModelTest, SavedPresetsComeBackAndDeletingANameRemovesAllOfIt) {
    m_model.Form_Load();
    m_model.bandChanged(9, 4);
    m_dialogs.inputs = {"Mine", "Mine"};
    m_model.cmdSave_Click();
    m_model.bandChanged(0, 1);
    m_model.cmdSave_Click();
    EXPECT_EQ(m_store.get("EQ", "Usr", ""),
              "Mine|-8|10|10|6|2|-4|-8|-10|-11|4#Mine|1|10|10|6|2|-4|-8|-10|-11|4#");
    ASSERT_EQ(m_model.lines().size(), 16);
    EXPECT_EQ(m_model.selectedIndex(), 0);

    m_model.cmbPresets_Click(1);
    EXPECT_TRUE(m_model.deleteVisible());
    EXPECT_EQ(m_host.gains.back()[0], -8);
    m_model.cmdDelete_Click();
    EXPECT_EQ(m_store.get("EQ", "Usr", "unset"), "");
    EXPECT_EQ(m_model.lines().size(), 14);

    // A hand-edited entry with fewer than ten gains fills the rest with 0.
    m_store.save("EQ", "Usr", "Short|3|4#");
    m_model.Form_Load();
    m_model.cmbPresets_Click(1);
    EXPECT_EQ(m_host.gains.back(), (EqualizerGainTable{3, 4, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(EqualizerWindowModelTest, TheCurveIsTheFiltersOwnResponse) {
    m_model.Form_Load();
    m_model.cmbPresets_Click(12);  // Preset 12: steep neighbours, so the bands overlap
    const EqGainTable gains{0, 8, 11, 13, -11, -4, 2, -14, -10, -3};
    // What the filter does to a tone, measured: the curve says the same.
    for (const double freq : {100.0, 450.0, 1000.0, 5000.0, 13000.0}) {
        ParametricEq eq(44100);
        eq.setEnabled(true);
        eq.setGains(gains);
        eq.reset();
        const qint64 frames = 44100;
        std::vector<double> pcm(size_t(frames) * 2);
        for (qint64 i = 0; i < frames; ++i)
            pcm[size_t(2 * i)] = pcm[size_t(2 * i + 1)] =
                std::sin(2 * std::numbers::pi * freq * double(i) / 44100);
        eq.process(pcm.data(), frames);
        double peak = 0;
        for (qint64 i = frames / 2; i < frames; ++i)
            peak = std::max(peak, std::abs(pcm[size_t(2 * i)]));
        EXPECT_NEAR(m_model.responseDb(freq, 44100), 20 * std::log10(peak), 0.1) << freq;
    }
    // The 16 kHz band is beyond what 22.05 kHz carries: flat, as the filter leaves it.
    m_settings.EqualizerGains = {0, 0, 0, 0, 0, 0, 0, 0, 0, 12};
    EXPECT_NEAR(m_model.responseDb(16000, 44100), 12, 0.01);
    EXPECT_NEAR(m_model.responseDb(16000, 22050), 0, 1e-9);
}
