#include <gtest/gtest.h>

#include "platform/fakeaudiooutput.h"
#include "platform/memorysettingsstore.h"
#include "platform/storedtext.h"
#include "recitation/clsfmod.h"
#include "recitation/equalizer.h"
#include "recitation/equalizerpresets.h"
#include "scripteddialogs.h"

using namespace varnelo;

namespace {

class EqualizerPresetsTest : public testing::Test {
protected:
    QString selectedText() const { return m_presets.lines().at(m_presets.selectedIndex()).text; }
    QString userPresets() const { return m_store.get("EQ", "Usr", ""); }

    MemorySettingsStore m_store;
    ScriptedDialogs m_dialogs;
    EqualizerPresets m_presets{m_store, m_dialogs};
};

}  // namespace

TEST(EqualizerSettings, DefaultsRoundTripAndGarbage) {
    MemorySettingsStore store;
    EqualizerSettings fresh = ReadEqualizerSettings(store);
    EXPECT_TRUE(fresh.EqEnabled);
    EXPECT_EQ(fresh.EqualizerGains, kDefaultEqualizerGains);

    EqualizerSettings changed;
    changed.EqEnabled = false;
    changed.EqualizerGains = {1.5f, -2, 3, 4, 5, 6, 7, 8, 9, -15};
    WriteEqualizerSettings(store, changed);
    EXPECT_EQ(store.get("EQ", "EQEnabled", ""), "False");
    EXPECT_EQ(store.get("EQ", "Val0", ""), "1.5");
    const EqualizerSettings back = ReadEqualizerSettings(store);
    EXPECT_FALSE(back.EqEnabled);
    EXPECT_EQ(back.EqualizerGains, changed.EqualizerGains);
    // The engine takes the stored gains as they are.
    FakeAudioOutput output;
    clsFMod Fmod(output);
    Fmod.bindEqualizerGains(&back.EqualizerGains);
    Fmod.EnableEqualizer();
    Fmod.SetEqualizerValue();
    EXPECT_EQ(Fmod.equalizerGains(), back.EqualizerGains);
    Fmod.bindEqualizerGains(nullptr);

    // Each bad value falls back to its own key's default; out-of-range gains are limited.
    const std::pair<const char *, const char *> stored[] = {
        {"EQEnabled", "maybe"}, {"Val0", "loud"}, {"Val1", "nan"}, {"Val2", ""},
        {"Val3", " 2.5 "},      {"Val4", "1e30"}, {"Val5", "-40"}};
    for (const auto &[key, value] : stored) {
        store.save("EQ", key, value);
    }
    ConvertingReader reader(store);
    const EqualizerSettings garbage = ReadEqualizerSettings(reader);
    EXPECT_TRUE(garbage.EqEnabled);
    EXPECT_EQ(garbage.EqualizerGains,
              (EqualizerGainTable{-8, 10, 10, 2.5f, 15, -15, 7, 8, 9, -15}));
    // The first bad value is reported for start-up to act on.
    EXPECT_EQ(reader.error(), (SettingsError{"EQ", "EQEnabled", "maybe"}));
    store.save("EQ", "EQEnabled", "1");
    ConvertingReader gainsOnly(store);
    EXPECT_EQ(ReadEqualizerSettings(gainsOnly).EqualizerGains, garbage.EqualizerGains);
    EXPECT_EQ(gainsOnly.error(), (SettingsError{"EQ", "Val0", "loud"}));
}

TEST_F(EqualizerPresetsTest, FreshSettingsSelectPreset4) {
    m_presets.load(ReadEqualizerSettings(m_store).EqualizerGains);
    ASSERT_EQ(m_presets.lines().size(), 14);
    EXPECT_EQ(m_presets.lines().at(0).text, "(Select preset)");
    EXPECT_EQ(m_presets.lines().at(13).text, "Preset 13");
    EXPECT_EQ(m_presets.lines().at(13).itemData, 1);
    EXPECT_EQ(selectedText(), "Preset 4");
    EXPECT_EQ(m_presets.gains(), kDefaultEqualizerGains);
    EXPECT_FALSE(m_presets.deleteVisible());
}

TEST_F(EqualizerPresetsTest, SaveSelectAndDeleteUserPresets) {
    m_presets.load(kDefaultEqualizerGains);

    // A user preset with Preset 4's values is found first, as user presets come first.
    m_dialogs.inputs = {"  Mine  "};
    m_presets.savePreset();
    EXPECT_EQ(m_dialogs.shown.last(), "Save Preset> Enter preset name");
    EXPECT_EQ(userPresets(), "Mine|-8|10|10|6|2|-4|-8|-10|-11|-11#");
    m_presets.load(kDefaultEqualizerGains);
    EXPECT_EQ(m_presets.selectedIndex(), 1);
    EXPECT_EQ(m_presets.lines().at(1).itemData, 0);

    // Cancelled, blank and separator-only names save nothing; separators never reach the store.
    m_dialogs.inputs = {"", "   ", "#|"};
    for (int k = 0; k < 3; ++k) {
        m_presets.savePreset();
    }
    EXPECT_EQ(userPresets(), "Mine|-8|10|10|6|2|-4|-8|-10|-11|-11#");
    m_presets.setSlider(0, 40);
    m_presets.setSlider(1, 2);
    m_dialogs.inputs = {"A#b|c"};
    m_presets.savePreset();
    EXPECT_EQ(userPresets().section('#', 1, 1), "Abc|15|2|10|6|2|-4|-8|-10|-11|-11");

    // Deleting removes every user preset of that name and drops blank entries.
    m_store.save("EQ", "Usr", "Mine|1|1|1|1|1|1|1|1|1|1# #Other|x|2#Mine|2|2|2|2|2|2|2|2|2|2#");
    m_presets.LoadPresets();
    for (const auto &[index, text] :
         {std::pair{0, "(Select preset)"}, {1, "Mine"}, {2, "Other"}, {3, "Mine"}}) {
        EXPECT_EQ(m_presets.lines().at(index).text, text) << index;
    }
    ASSERT_TRUE(m_presets.selectPreset(2));
    EXPECT_TRUE(m_presets.deleteVisible());
    // Non-numeric and missing gains read as 0.
    EXPECT_EQ(EqualizerPresets::signature(m_presets.sliders()), "0|2|0|0|0|0|0|0|0|0");
    ASSERT_TRUE(m_presets.selectPreset(3));
    m_presets.deletePreset();
    EXPECT_EQ(userPresets(), "Other|x|2#");
    EXPECT_EQ(m_presets.selectedIndex(), 0);

    // Built-in presets and line 0 cannot be deleted.
    ASSERT_TRUE(m_presets.selectPreset(2));
    EXPECT_EQ(m_presets.lines().at(2).text, "Preset 1");
    EXPECT_FALSE(m_presets.deleteVisible());
    m_presets.deletePreset();
    ASSERT_TRUE(m_presets.selectPreset(0));
    m_presets.deletePreset();
    EXPECT_EQ(userPresets(), "Other|x|2#");
}

TEST_F(EqualizerPresetsTest, SignatureMatchesWholeGainsOnly) {
    m_store.save("EQ", "Usr", "Near|-2|0|0|8|6|6|6|3|0|0#");
    // "2|0|0|8|..." is the tail of the user entry; the right match is the built-in Preset 2
    // only when the first gain is 0.
    m_presets.load({2, 0, 0, 8, 6, 6, 6, 3, 0, 0});
    EXPECT_EQ(m_presets.selectedIndex(), 0);
    m_presets.load({0, 0, 8, 6, 6, 6, 3, 0, 0, 0});
    EXPECT_EQ(selectedText(), "Preset 2");
}

TEST_F(EqualizerPresetsTest, UserPresetsStayUserPresetsWhateverTheirName) {
    // A name typed with the built-in marker loses it.
    m_presets.load(kDefaultEqualizerGains);
    m_dialogs.inputs = {" ~*( ~*(Mine"};
    m_presets.savePreset();
    EXPECT_EQ(userPresets(), "Mine|-8|10|10|6|2|-4|-8|-10|-11|-11#");

    // One stored with it (and without its closing "#") is still a user preset that can be
    // deleted, and the built-ins after it are all there.
    m_store.save("EQ", "Usr", "~*(Old|1|1|1|1|1|1|1|1|1|1");
    m_presets.LoadPresets();
    ASSERT_EQ(m_presets.lines().size(), 15);
    EXPECT_EQ(m_presets.lines().at(1).text, "~*(Old");
    EXPECT_EQ(m_presets.lines().at(1).itemData, 0);
    EXPECT_EQ(m_presets.lines().at(2).text, "Preset 1");
    ASSERT_TRUE(m_presets.selectPreset(1));
    EXPECT_TRUE(m_presets.deleteVisible());
    m_presets.deletePreset();
    EXPECT_EQ(userPresets(), "");
    EXPECT_EQ(m_presets.lines().size(), 14);
}
