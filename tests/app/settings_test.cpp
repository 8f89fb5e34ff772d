#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/settings.h"
#include "filebytes.h"
#include "platform/memorysettingsstore.h"

using namespace varnelo;
using varnelo::test::writeFileBytes;

TEST(ReadConfigValue, DefaultsEmptyValuesAndLength) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString ini = dir.filePath("config.ini");
    ASSERT_TRUE(writeFileBytes(
        ini, "[Other]\nMP3Path=elsewhere\n[MAIN]\nmp3path=\nText1=\"MyTrans.DAT\"\nLong=" +
                 QByteArray(4000, 'x') + "\n"));
    EXPECT_EQ(ReadConfigValue(ini, "MP3Path", "fallback"), "");
    EXPECT_EQ(ReadConfigValue(ini, "Text1", "fallback"), "MyTrans.DAT");
    EXPECT_EQ(ReadConfigValue(ini, "Text3", "fallback"), "fallback");
    EXPECT_EQ(ReadConfigValue(ini, "Long", "").size(), 2999);
    EXPECT_EQ(ReadConfigValue(dir.filePath("missing.ini"), "Text1", "fallback"), "fallback");
}

TEST(SettingsConversions, FailOnGarbage) {
    // 2.5 and 3.5: half to even.
    const std::pair<const char *, std::optional<int>> integers[] = {
        {" 42 ", 42}, {"-7", -7},    {"2.5", 2}, {"3.5", 4},
        {"", {}},     {"12abc", {}}, {"NO", {}}, {"99999999999", {}}};
    for (const auto &[text, value] : integers)
        EXPECT_EQ(toInteger(text), value) << text;

    EXPECT_EQ(toDouble("-10.5"), -10.5);
    EXPECT_EQ(toDouble("inf"), std::nullopt);
    EXPECT_EQ(toDouble("x"), std::nullopt);
    EXPECT_EQ(toDouble(numberText(-0.1)), -0.1);
    EXPECT_EQ(numberText(2), "2");

    const std::pair<const char *, std::optional<bool>> booleans[] = {
        {"True", true}, {"fALSE", false}, {"1", true}, {"-3", true},
        {"0", false},   {"yes", {}},      {"", {}}};
    for (const auto &[text, value] : booleans)
        EXPECT_EQ(toBoolean(text), value) << text;

    EXPECT_EQ(toColour("14937827"), 14937827u);
    EXPECT_EQ(toColour("-2147483643"), 0x80000005u);  // a system colour stored as signed
    EXPECT_EQ(toColour("4294967296"), std::nullopt);
    EXPECT_EQ(toColour("1.5"), std::nullopt);
}

TEST(CheckSettingsVersion, WipesEveryOtherVersion) {
    MemorySettingsStore store;
    EXPECT_TRUE(CheckSettingsVersion(store));  // first start
    EXPECT_EQ(store.get("version", "version", ""), "4.0 beta2");

    store.save("Main", "Top", "100");
    EXPECT_FALSE(CheckSettingsVersion(store));
    EXPECT_EQ(store.get("Main", "Top", "NO"), "100");

    for (const char *other : {"4.0 beta1", "4.0 BETA2", ""}) {
        store.save("version", "version", other);
        store.save("Main", "Top", "100");
        EXPECT_TRUE(CheckSettingsVersion(store)) << other;
        EXPECT_EQ(store.get("Main", "Top", "NO"), "NO") << other;
        EXPECT_EQ(store.get("version", "version", ""), "4.0 beta2");
        EXPECT_EQ(store.size(), 1);
    }
}

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
    expected.EQEnabled = false;
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

TEST(ReadStartupSettings, ReportsTheFirstValueThatDoesNotConvert) {
    MemorySettingsStore store;
    store.save("Vol", "Pos", "loud");
    store.save("RangeModeSetup", "Pause", "x");
    const auto read = ReadStartupSettings(store);
    const SettingsError *error = std::get_if<SettingsError>(&read);
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->section, "Vol");
    EXPECT_EQ(error->key, "Pos");
    EXPECT_EQ(error->description(), "Type mismatch (Vol/Pos = \"loud\")");

    MemorySettingsStore other;
    other.save("OnscreenHelp", "Enabled", "maybe");
    EXPECT_TRUE(std::holds_alternative<SettingsError>(ReadStartupSettings(other)));
}

TEST(ChooseTranslations, LowerCasedStemOrDefault) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString app = dir.path();
    ASSERT_TRUE(QDir(app).mkpath("data/tdata"));
    ASSERT_TRUE(writeFileBytes(app + "/data/tdata/mytrans.dat", ""));
    const QString ini = app + "/config.ini";
    ASSERT_TRUE(writeFileBytes(ini, "[Main]\nText1=MyTrans.DAT\nText2=Missing One\n"));

    const auto chosen = ChooseTranslations(ini, app);
    EXPECT_EQ(chosen[0], "mytrans");
    EXPECT_EQ(chosen[1], "English - Dabrel Ostin");
    EXPECT_EQ(chosen[2], "English - Dabrel Ostin Commentary");

    MemorySettingsStore store;
    store.save("D", "TransName", "stored");
    EXPECT_EQ(StoredTranslations(store, chosen),
              (std::array<QString, 3>{"mytrans", "stored", "English - Dabrel Ostin Commentary"}));

    ASSERT_TRUE(writeFileBytes(ini, "[Main]\nText1=MyTrans.DAT\n"));
    QFile::remove(app + "/data/tdata/mytrans.dat");
    EXPECT_EQ(ChooseTranslations(ini, app)[0], "English - Tamsen");
}

TEST(ChooseMp3Folder, ConfigThenStoreThenProgramFolder) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString ini = dir.filePath("config.ini");
    MemorySettingsStore store;

    ASSERT_TRUE(writeFileBytes(ini, "[Main]\nMP3Path=\n"));
    EXPECT_EQ(ChooseMp3Folder(ini, "/opt/varnelo", store), "/opt/varnelo/mp3/");
    store.save("Main", "MP3Folder", "/stored/");
    EXPECT_EQ(ChooseMp3Folder(ini, "/opt/varnelo", store), "/stored/");

    ASSERT_TRUE(writeFileBytes(ini, "[Main]\nMP3Path=/media/recitation\n"));
    EXPECT_EQ(ChooseMp3Folder(ini, "/opt/varnelo", store), "/media/recitation/");
    ASSERT_TRUE(writeFileBytes(ini, "[Main]\nMP3Path=D:\\mp3\\\n"));
    EXPECT_EQ(ChooseMp3Folder(ini, "/opt/varnelo", store), "D:\\mp3\\");
}
