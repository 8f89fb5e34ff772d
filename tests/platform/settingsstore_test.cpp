#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include "platform/memorysettingsstore.h"
#include "platform/qsettingsstore.h"

using namespace varnelo;

namespace {

// What every store promises: names in any spelling are one value, values come back as saved
// (also ones the Qt format would read as its own), deleteAll leaves nothing.
void expectStoreContract(SettingsStore &store) {
    EXPECT_EQ(store.get("Main", "Top", "NO"), "NO");
    store.save("Main", "Top", "120");
    EXPECT_EQ(store.get("main", "TOP", "NO"), "120");
    store.save("MAIN", "top", "130");
    EXPECT_EQ(store.get("Main", "Top", "NO"), "130");
    for (const char *value : {"Rock, 1, 2; \"x\"", "@Variant(x)"}) {
        store.save("EQ", "Usr", value);
        EXPECT_EQ(store.get("EQ", "Usr", ""), value);
    }
    store.deleteAll();
    EXPECT_EQ(store.get("Main", "Top", "NO"), "NO");
    EXPECT_EQ(store.get("EQ", "Usr", "none"), "none");
}

}  // namespace

TEST(SettingsStore, MemoryAndQSettingsStoresKeepTheContract) {
    MemorySettingsStore memory;
    expectStoreContract(memory);
    EXPECT_EQ(memory.size(), 0);

    // The Qt store lives where the environment says and keeps values across instances.
    QTemporaryDir dir;
    qputenv("VARNELO_SETTINGS_DIR", dir.path().toLocal8Bit());
    {
        QSettingsStore store;
        EXPECT_EQ(store.location(), dir.filePath("VX.ini"));
        expectStoreContract(store);
        store.save("EQ", "Usr", "Rock, 1, 2; \"x\"");
        store.save("Main", "Odd", "@Variant(x)");
    }
    {
        QSettingsStore store;
        EXPECT_EQ(store.get("eq", "USR", ""), "Rock, 1, 2; \"x\"");
        EXPECT_EQ(store.get("Main", "Odd", ""), "@Variant(x)");
        store.deleteAll();
    }
    EXPECT_EQ(QSettingsStore().get("Main", "Odd", "NO"), "NO");
    qunsetenv("VARNELO_SETTINGS_DIR");
}

TEST(QSettingsStore, ALockLeftByAKilledWriterHoldsUpNothing) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("VX.ini");
    // A writer killed while it took QSettings' lock leaves the lock file empty.
    ASSERT_TRUE(QFile(ini + ".lock").open(QIODevice::WriteOnly));
    QElapsedTimer timer;
    timer.start();
    {
        QSettingsStore store(ini);
        store.save("Main", "Top", "120");
        EXPECT_TRUE(store.flush());
        store.save("Main", "Left", "30");  // written as the store goes
    }
    EXPECT_LT(timer.elapsed(), 5000);
    QSettingsStore store(ini);
    EXPECT_EQ(store.get("Main", "Top", "NO"), "120");
    EXPECT_EQ(store.get("Main", "Left", "NO"), "30");
}

TEST(QSettingsStore, FlushSaysWhenTheFileCannotBeWritten) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("VX.ini"));  // a folder where the file should be
    QSettingsStore store(dir.filePath("VX.ini"));
    store.save("Main", "Top", "120");
    EXPECT_FALSE(store.flush());
}
