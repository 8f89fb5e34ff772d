#include <gtest/gtest.h>

#include <vector>

#include "display/startupsettings.h"
#include "platform/memorysettingsstore.h"

using namespace varnelo;

TEST(ReadStartupSettings, DefaultsAndStoredValues) {
    MemorySettingsStore store;
    StartupSettings expected;
    EXPECT_EQ(std::get<StartupSettings>(ReadStartupSettings(store)), expected);
    EXPECT_EQ(expected.volume, 500);
    EXPECT_EQ(expected.translations[2].back, 14937827u);

    store.save("Main", "Top", "1500");
    store.save("Main", "Left", "300");
    store.save("Main", "FirstTime", "0");
    store.save("AlwaysOnTop", "Value", "True");
    store.save("About", "Show3", "yes");  // anything but "1" suppresses the window
    store.save("Vol", "Pos", "250");
    store.save("EQ", "EQEnabled", "False");
    store.save("EQ", "Val9", "20");
    store.save("RangeModeSetup", "NoofTimes", "3");
    store.save("RangeModeSetup", "StopRecitation", "1");
    store.save("D", "Size", "4");
    store.save("Arabic", "Font", "255");
    expected.top = 1500;
    expected.left = 300;
    expected.firstTime = false;
    expected.AlwaysOnTop = true;
    expected.showAbout = false;
    expected.volume = 250;
    expected.equalizer.EqEnabled = false;
    expected.equalizer.EqualizerGains[9] = 15;
    expected.rangeMode.NoofTimes = 3;
    expected.rangeMode.StopRecitation = true;
    expected.translations[1].size = 4;
    expected.arabic.font = 255;
    EXPECT_EQ(std::get<StartupSettings>(ReadStartupSettings(store)), expected);
}

TEST(ReadStartupSettings, LeftOnlyBesideAStoredTop) {
    // Without a top the window is centred and Left is never looked at, even when it is garbage.
    MemorySettingsStore store;
    store.save("Main", "Left", "x");
    const auto centred = ReadStartupSettings(store);
    ASSERT_TRUE(std::holds_alternative<StartupSettings>(centred));
    EXPECT_FALSE(std::get<StartupSettings>(centred).top.has_value());

    MemorySettingsStore topOnly;
    topOnly.save("Main", "Top", "-120");
    const auto placed = std::get<StartupSettings>(ReadStartupSettings(topOnly));
    EXPECT_EQ(placed.top, -120);
    EXPECT_EQ(placed.left, 0);
}

TEST(ReadStartupSettings, ReportsTheFirstBadValueInStartupOrder) {
    // Every converted value garbage; each read names the next one in the order start-up reads
    // them, until all are mended.
    std::vector<std::pair<QString, QString>> order = {
        {"Main", "Top"}, {"Main", "Left"}, {"AlwaysOnTop", "Value"}};
    for (const char *section : {"D", "W", "T"}) {
        for (const char *key : {"Back", "Font", "Size"})
            order.push_back({section, key});
    }
    order.push_back({"Arabic", "Back"});
    order.push_back({"Arabic", "Font"});
    for (const char *key : {"NoofTimes", "Pause", "PauseBetweenVerses", "NextRange", "NextSura",
                            "RestartSura", "StopRecitation"})
        order.push_back({"RangeModeSetup", key});
    order.push_back({"EQ", "EQEnabled"});
    for (int band = 0; band < 10; ++band)
        order.push_back({"EQ", QString("Val%1").arg(band)});
    order.push_back({"OnscreenHelp", "Enabled"});
    order.push_back({"Vol", "Pos"});

    MemorySettingsStore store;
    for (const auto &[section, key] : order)
        store.save(section, key, "x");
    for (const auto &[section, key] : order) {
        const auto read = ReadStartupSettings(store);
        const SettingsError *error = std::get_if<SettingsError>(&read);
        ASSERT_NE(error, nullptr) << section.toStdString() << "/" << key.toStdString();
        EXPECT_EQ(*error, (SettingsError{section, key, "x"}));
        store.save(section, key, "1");
    }
    EXPECT_TRUE(std::holds_alternative<StartupSettings>(ReadStartupSettings(store)));

    MemorySettingsStore loud;
    loud.save("Vol", "Pos", "loud");
    const auto read = ReadStartupSettings(loud);
    ASSERT_TRUE(std::holds_alternative<SettingsError>(read));
    EXPECT_EQ(std::get<SettingsError>(read).description(), "Type mismatch (Vol/Pos = \"loud\")");
}
