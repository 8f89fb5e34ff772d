#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "mainwindow/frmmain.h"
#include "platform/memorysettingsstore.h"

using namespace varnelo;

namespace {

// A program folder whose config.ini names an MP3 folder holding only 002.mp3.
struct ProgramFolder {
    ProgramFolder() {
        QDir(dir.path()).mkpath("recitation");
        QFile config(dir.filePath("config.ini"));
        config.open(QIODevice::WriteOnly);
        config.write("[Main]\nMP3Path=" + dir.filePath("recitation/").toUtf8() + "\n");
        QFile mp3(dir.filePath("recitation/002.mp3"));
        mp3.open(QIODevice::WriteOnly);
    }
    QTemporaryDir dir;
};

}  // namespace

TEST(frmMain, SuraListWithMp3Marks) {
    ProgramFolder program;
    MemorySettingsStore store;
    frmMain window(store, program.dir.path() + '/', program.dir.path());
    ASSERT_TRUE(window.Form_Load());
    EXPECT_EQ(window.AppFolder(), program.dir.path());
    EXPECT_EQ(window.TempFolder(), program.dir.path() + "/VX/");
    EXPECT_EQ(store.get("version", "version", ""), "4.0 beta2");

    auto *cmbSura = window.findChild<QComboBox *>("cmbSura");
    ASSERT_NE(cmbSura, nullptr);
    ASSERT_EQ(cmbSura->count(), 114);
    EXPECT_EQ(cmbSura->currentIndex(), -1);
    EXPECT_EQ(cmbSura->itemData(113).toInt(), 114);
    EXPECT_EQ(cmbSura->itemText(0), "1. AL-FATIHA (mp3 missing)");
    EXPECT_EQ(cmbSura->itemText(1), "2. AL-BAQARA");
    EXPECT_EQ(cmbSura->itemText(81), "82. AL-INFITAR  (mp3 missing)");

    QFile(program.dir.filePath("recitation/001.mp3")).open(QIODevice::WriteOnly);
    window.CheckMp3();
    window.CheckMp3();
    EXPECT_EQ(cmbSura->itemText(0), "1. AL-FATIHA");
    EXPECT_EQ(cmbSura->itemText(2), "3. AAL-E-IMRAN (mp3 missing)");
}

TEST(frmMain, BadStoredValueEndsStartUpAndWipesTheStore) {
    ProgramFolder program;
    MemorySettingsStore store;
    store.save("version", "version", "4.0 beta2");
    store.save("RangeModeSetup", "NoofTimes", "twice");
    frmMain window(store, program.dir.path(), program.dir.path());
    EXPECT_FALSE(window.Form_Load());
    EXPECT_EQ(store.size(), 0);
    EXPECT_TRUE(window.failureMessage().contains("RangeModeSetup/NoofTimes"));
    EXPECT_TRUE(window.failureMessage().contains("Error starting Varnelo, try reinstalling"));
}
