#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "filebytes.h"
#include "platform/memorysettingsstore.h"
#include "platform/qsettingsstore.h"
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

TEST(StartupFailure, KeepsTheWipedStoreOnceBesideItself) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("VX.ini");
    const QString backup = ini + ".bak";
    QSettingsStore store(ini);
    store.save("Main", "Top", "120");
    store.save("Vol", "Pos", "loud");
    const QString message = StartupFailure(store, "Type mismatch (Vol/Pos = \"loud\")");
    EXPECT_TRUE(
        message.startsWith("Type mismatch (Vol/Pos = \"loud\")\nThe settings were kept in " +
                           QDir::toNativeSeparators(backup) + ".\n\nError starting"))
        << message.toStdString();
    EXPECT_EQ(store.get("Main", "Top", "NO"), "NO");
    EXPECT_EQ(QSettingsStore(ini).get("Vol", "Pos", "NO"), "NO");
    {
        QSettingsStore kept(backup);
        EXPECT_EQ(kept.get("Main", "Top", ""), "120");
        EXPECT_EQ(kept.get("Vol", "Pos", ""), "loud");
    }

    // A later failure replaces the copy: only the store as it was before that wipe is kept.
    store.save("Vol", "Pos", "quiet");
    StartupFailure(store, "Type mismatch");
    QSettingsStore kept(backup);
    EXPECT_EQ(kept.get("Vol", "Pos", ""), "quiet");
    EXPECT_EQ(kept.get("Main", "Top", "none"), "none");
    EXPECT_EQ(QDir(dir.path()).entryList({"*.bak*"}, QDir::Files), QStringList{"VX.ini.bak"});
}

TEST(StartupFailure, StillWipesWhenNoCopyCanBeKept) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("VX.ini");
    // A folder in the way of the copy.
    ASSERT_TRUE(QDir().mkpath(ini + ".bak/inside"));
    QSettingsStore store(ini);
    store.save("Vol", "Pos", "loud");
    const QString message = StartupFailure(store, "Type mismatch");
    EXPECT_TRUE(message.startsWith("Type mismatch\nThe settings could not be kept: "))
        << message.toStdString();
    EXPECT_EQ(store.get("Vol", "Pos", "NO"), "NO");

    // A store never written has nothing to keep and says nothing of a copy.
    QSettingsStore fresh(dir.filePath("other.ini"));
    EXPECT_TRUE(StartupFailure(fresh, "Type mismatch").startsWith("Type mismatch\n\nError"));
    EXPECT_FALSE(QFile::exists(dir.filePath("other.ini.bak")));
}
