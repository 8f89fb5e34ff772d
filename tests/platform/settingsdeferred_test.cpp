#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include "platform/qsettingsstore.h"

using namespace varnelo;

// Saved values reach the file when the event loop runs, under the same rules as a flush: a lock
// file a killed writer left empty holds nothing up.
TEST(QSettingsStore, TheEventLoopWritesSavedValuesPastALeftLock) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("VX.ini");
    ASSERT_TRUE(QFile(ini + ".lock").open(QIODevice::WriteOnly));
    QSettingsStore store(ini);
    store.save("AlwaysOnTop", "Value", "True");
    QElapsedTimer timer;
    timer.start();
    QCoreApplication::processEvents();
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_FALSE(QFile::exists(ini + ".lock"));
    EXPECT_EQ(QSettingsStore(ini).get("AlwaysOnTop", "Value", "False"), "True");
}
