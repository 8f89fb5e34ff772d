#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include "platform/qsettingsstore.h"

using varnelo::QSettingsStore;

TEST(QSettingsStore, RedirectedByEnvironmentAndPersistent) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    qputenv("VARNELO_SETTINGS_DIR", dir.path().toLocal8Bit());
    {
        QSettingsStore store;
        EXPECT_EQ(store.location(), dir.filePath("VX.ini"));
        EXPECT_EQ(store.get("Main", "Top", "NO"), "NO");
        store.save("Main", "Top", "120");
        store.save("EQ", "Usr", "Rock, 1, 2; \"x\"");
        store.save("Main", "Odd", "@Variant(x)");
    }
    {
        QSettingsStore store;
        EXPECT_EQ(store.get("main", "TOP", "NO"), "120");
        EXPECT_EQ(store.get("EQ", "Usr", ""), "Rock, 1, 2; \"x\"");
        EXPECT_EQ(store.get("Main", "Odd", ""), "@Variant(x)");
        // Another spelling of the names overwrites the same value instead of adding one.
        store.save("MAIN", "top", "130");
        EXPECT_EQ(store.get("Main", "Top", "NO"), "130");
        store.deleteAll();
        EXPECT_EQ(store.get("Main", "Top", "NO"), "NO");
        EXPECT_EQ(store.get("EQ", "Usr", "none"), "none");
    }
    EXPECT_EQ(QSettingsStore().get("Main", "Top", "NO"), "NO");
    qunsetenv("VARNELO_SETTINGS_DIR");
}
