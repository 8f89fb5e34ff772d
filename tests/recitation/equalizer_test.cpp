#include <gtest/gtest.h>

#include "platform/fakeaudiooutput.h"
#include "platform/memorysettingsstore.h"
#include "recitation/clsfmod.h"
#include "recitation/equalizer.h"
#include "recitation/equalizerpresets.h"
#include "scripteddialogs.h"

using namespace varnelo;

namespace {

QStringList lineTexts(const EqualizerPresets &presets) {
    QStringList texts;
    for (const PresetLine &line : presets.lines()) {
        texts.append(line.text);
    }
    return texts;
}

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

    // Each bad value falls back to its own key's default; out-of-range gains are limited.
    const std::pair<const char *, const char *> stored[] = {
        {"EQEnabled", "maybe"}, {"Val0", "loud"}, {"Val1", "nan"}, {"Val2", ""},
        {"Val3", " 2.5 "},      {"Val4", "1e30"}, {"Val5", "-40"}};
    for (const auto &[key, value] : stored) {
        store.save("EQ", key, value);
    }
    const EqualizerSettings garbage = ReadEqualizerSettings(store);
    EXPECT_TRUE(garbage.EqEnabled);
    EXPECT_EQ(garbage.EqualizerGains,
              (EqualizerGainTable{-8, 10, 10, 2.5f, 15, -15, 7, 8, 9, -15}));
}

TEST(EqualizerSettings, EngineAppliesTheStoredGains) {
    MemorySettingsStore store;
    store.save("EQ", "Val3", "4.5");
    const EqualizerSettings settings = ReadEqualizerSettings(store);
    FakeAudioOutput output;
    clsFMod Fmod(output);
    Fmod.bindEqualizerGains(&settings.EqualizerGains);
    Fmod.EnableEqualizer();
    Fmod.SetEqualizerValue();
    EXPECT_EQ(Fmod.equalizerGains(), settings.EqualizerGains);
    Fmod.bindEqualizerGains(nullptr);
}

TEST(EqualizerPresets, FreshSettingsSelectPreset4) {
    MemorySettingsStore store;
    ScriptedDialogs dialogs;
    EqualizerPresets presets(store, dialogs);
    presets.load(ReadEqualizerSettings(store).EqualizerGains);

    ASSERT_EQ(presets.lines().size(), 14);
    EXPECT_EQ(presets.lines().at(0).text, "(Select preset)");
    EXPECT_EQ(presets.lines().at(13).text, "Preset 13");
    EXPECT_EQ(presets.lines().at(13).itemData, 1);
    EXPECT_EQ(presets.lines().at(presets.selectedIndex()).text, "Preset 4");
    EXPECT_EQ(presets.gains(), kDefaultEqualizerGains);
    EXPECT_FALSE(presets.deleteVisible());
}

TEST(EqualizerPresets, SaveSelectAndDeleteUserPresets) {
    MemorySettingsStore store;
    ScriptedDialogs dialogs;
    EqualizerPresets presets(store, dialogs);
    presets.load(kDefaultEqualizerGains);

    // A user preset with Preset 4's values is found first, as user presets come first.
    dialogs.inputs = {"  Mine  "};
    presets.savePreset();
    EXPECT_EQ(dialogs.shown.last(), "Save Preset> Enter preset name");
    EXPECT_EQ(store.get("EQ", "Usr", ""), "Mine|-8|10|10|6|2|-4|-8|-10|-11|-11#");
    presets.load(kDefaultEqualizerGains);
    EXPECT_EQ(presets.selectedIndex(), 1);
    EXPECT_EQ(presets.lines().at(1).itemData, 0);

    // Cancelled, blank and separator-only names save nothing; separators never reach the store.
    dialogs.inputs = {"", "   ", "#|"};
    presets.savePreset();
    presets.savePreset();
    presets.savePreset();
    EXPECT_EQ(store.get("EQ", "Usr", ""), "Mine|-8|10|10|6|2|-4|-8|-10|-11|-11#");
    presets.setSlider(0, 40);
    presets.setSlider(1, 2);
    dialogs.inputs = {"A#b|c"};
    presets.savePreset();
    EXPECT_EQ(store.get("EQ", "Usr", "").section('#', 1, 1), "Abc|15|2|10|6|2|-4|-8|-10|-11|-11");

    // Deleting removes every user preset of that name and drops blank entries.
    store.save("EQ", "Usr", "Mine|1|1|1|1|1|1|1|1|1|1# #Other|x|2#Mine|2|2|2|2|2|2|2|2|2|2#");
    presets.LoadPresets();
    EXPECT_EQ(lineTexts(presets).mid(0, 4),
              QStringList({"(Select preset)", "Mine", "Other", "Mine"}));
    ASSERT_TRUE(presets.selectPreset(2));
    EXPECT_TRUE(presets.deleteVisible());
    // Non-numeric and missing gains read as 0.
    EXPECT_EQ(EqualizerPresets::signature(presets.sliders()), "0|2|0|0|0|0|0|0|0|0");
    ASSERT_TRUE(presets.selectPreset(3));
    presets.deletePreset();
    EXPECT_EQ(store.get("EQ", "Usr", ""), "Other|x|2#");
    EXPECT_EQ(presets.selectedIndex(), 0);

    // Built-in presets and line 0 cannot be deleted.
    presets.selectPreset(2);
    presets.deletePreset();
    presets.selectPreset(0);
    presets.deletePreset();
    EXPECT_EQ(store.get("EQ", "Usr", ""), "Other|x|2#");
}

TEST(EqualizerPresets, SignatureMatchesWholeGainsOnly) {
    MemorySettingsStore store;
    ScriptedDialogs dialogs;
    store.save("EQ", "Usr", "Near|-2|0|0|8|6|6|6|3|0|0#");
    EqualizerPresets presets(store, dialogs);
    // "2|0|0|8|..." is the tail of the user entry; the right match is the built-in Preset 2
    // only when the first gain is 0.
    presets.load({2, 0, 0, 8, 6, 6, 6, 3, 0, 0});
    EXPECT_EQ(presets.selectedIndex(), 0);
    presets.load({0, 0, 8, 6, 6, 6, 3, 0, 0, 0});
    EXPECT_EQ(presets.lines().at(presets.selectedIndex()).text, "Preset 2");
}
