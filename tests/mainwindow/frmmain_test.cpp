#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "mainwindow/frmmain.h"
#include "platform/memorysettingsstore.h"

using namespace varnelo;

namespace {

// A program folder whose config.ini names an MP3 folder holding only 002.mp3; an empty store.
class frmMainTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir(m_dir.path()).mkpath("recitation"));
        QFile config(m_dir.filePath("config.ini"));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write("[Main]\nMP3Path=" + m_dir.filePath("recitation/").toUtf8() + "\n");
        ASSERT_TRUE(QFile(m_dir.filePath("recitation/002.mp3")).open(QIODevice::WriteOnly));
    }

    QTemporaryDir m_dir;
    MemorySettingsStore m_store;
};

}  // namespace

TEST_F(frmMainTest, SuraListWithMp3Marks) {
    frmMain window(m_store, m_dir.path() + '/', m_dir.path());
    ASSERT_TRUE(window.Form_Load());
    EXPECT_EQ(window.AppFolder(), m_dir.path());
    EXPECT_EQ(window.TempFolder(), m_dir.path() + "/VX/");
    EXPECT_EQ(m_store.get("version", "version", ""), "4.0 beta2");

    auto *cmbSura = window.findChild<QComboBox *>("cmbSura");
    ASSERT_NE(cmbSura, nullptr);
    ASSERT_EQ(cmbSura->count(), 114);
    EXPECT_EQ(cmbSura->currentIndex(), -1);
    EXPECT_EQ(cmbSura->itemData(113).toInt(), 114);
    EXPECT_EQ(cmbSura->itemText(0), "1. AL-FATIHA (mp3 missing)");
    EXPECT_EQ(cmbSura->itemText(1), "2. AL-BAQARA");
    EXPECT_EQ(cmbSura->itemText(81), "82. AL-INFITAR  (mp3 missing)");

    QFile(m_dir.filePath("recitation/001.mp3")).open(QIODevice::WriteOnly);
    window.CheckMp3();
    window.CheckMp3();
    EXPECT_EQ(cmbSura->itemText(0), "1. AL-FATIHA");
    EXPECT_EQ(cmbSura->itemText(2), "3. AAL-E-IMRAN (mp3 missing)");
}

TEST_F(frmMainTest, BadStoredValueEndsStartUpAndWipesTheStore) {
    // Equalizer values too: the one reader of them reports what start-up wipes for.
    const std::pair<const char *, const char *> bad[] = {
        {"RangeModeSetup", "NoofTimes"}, {"EQ", "EQEnabled"}, {"EQ", "Val4"}};
    for (const auto &[section, key] : bad) {
        m_store.save("version", "version", "4.0 beta2");
        m_store.save(section, key, "twice");
        frmMain window(m_store, m_dir.path(), m_dir.path());
        EXPECT_FALSE(window.Form_Load());
        EXPECT_EQ(m_store.size(), 0);
        EXPECT_TRUE(window.failureMessage().startsWith(
            QString("Type mismatch (%1/%2 = \"twice\")\n\nError starting Varnelo, try reinstalling")
                .arg(section, key)));
    }
}
