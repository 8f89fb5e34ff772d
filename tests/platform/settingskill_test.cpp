#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

#include <vector>

#include "platform/qsettingsstore.h"
#include "savebursthelper.h"

using namespace varnelo;

namespace {

// The generation of every key, in key order; fails the test on a value the helper never wrote.
std::vector<int> storedGenerations(const QString &ini) {
    QSettingsStore store(ini);
    std::vector<int> generations;
    for (int key = 0; key < burst::Keys; ++key) {
        const QString text = store.get(burst::section(key), burst::key(key), "missing");
        const auto generation = burst::generationOf(text);
        EXPECT_TRUE(generation.has_value()) << "key " << key << ": " << text.left(40).toStdString();
        generations.push_back(generation.value_or(-1));
    }
    return generations;
}

}  // namespace

TEST(QSettingsStore, KillDuringSavesLeavesEveryValueOldOrNew) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString ini = dir.filePath("VX.ini");
    {
        QSettingsStore store(ini);
        for (int key = 0; key < burst::Keys; ++key)
            store.save(burst::section(key), burst::key(key), burst::value(0));
        ASSERT_TRUE(store.flush());
    }
    int oldest = 0;
    QRandomGenerator random(13);
    for (int round = 0; round < 80; ++round) {
        QProcess child;
        child.start(QStringLiteral(SAVE_BURST_HELPER), {ini, QString::number(oldest + 1)});
        // A lock or temporary file left by the last kill must not stall the next writer.
        ASSERT_TRUE(child.waitForReadyRead(10000)) << "round " << round;
        QThread::usleep(random.bounded(30000));
        child.kill();
        child.waitForFinished();

        QSettings raw(ini, QSettings::IniFormat);
        ASSERT_EQ(raw.status(), QSettings::NoError) << "round " << round;
        const std::vector<int> generations = storedGenerations(ini);
        ASSERT_FALSE(HasFailure()) << "round " << round;
        // Keys reach the file one by one: the first ones hold the newest generation, the rest the
        // one before, and nothing is older than what the last round left.
        const int newest = generations.front();
        for (size_t key = 1; key < generations.size(); ++key) {
            ASSERT_LE(generations[key], generations[key - 1]) << "round " << round;
            ASSERT_GE(generations[key], newest - 1) << "round " << round;
        }
        ASSERT_GE(generations.back(), oldest) << "round " << round;
        oldest = generations.back();
    }
    // What a kill left beside the store goes with the next write: no temporary copies pile up.
    {
        QSettingsStore store(ini);
        store.save("Main", "Top", "120");
        ASSERT_TRUE(store.flush());
    }
    for (const QString &name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden))
        EXPECT_TRUE(name == "VX.ini" || name == "VX.ini.lock" || name == "VX.ini.writelock")
            << name.toStdString();
}
