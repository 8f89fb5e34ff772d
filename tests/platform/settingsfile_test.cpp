#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "filebytes.h"
#include "platform/memorysettingsstore.h"
#include "platform/settingsfile.h"

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

TEST(StartupFailure, WipesTheStoreAndNamesTheError) {
    MemorySettingsStore store;
    store.save("Vol", "Pos", "loud");
    const QString message = StartupFailure(store, "Type mismatch");
    EXPECT_EQ(store.size(), 0);
    EXPECT_TRUE(
        message.startsWith("Type mismatch\n\nError starting Varnelo, try reinstalling "
                           "Varnelo.. if problem persist, contact support at "));
}
