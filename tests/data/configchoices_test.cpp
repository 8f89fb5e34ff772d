#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "data/configchoices.h"
#include "filebytes.h"
#include "platform/memorysettingsstore.h"

using namespace varnelo;
using varnelo::test::writeFileBytes;

TEST(ChooseTranslations, LowerCasedStemOrDefault) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString app = dir.path();
    ASSERT_TRUE(QDir(app).mkpath("data/tdata"));
    ASSERT_TRUE(writeFileBytes(app + "/data/tdata/mytrans.dat", ""));
    const QString ini = app + "/config.ini";
    ASSERT_TRUE(writeFileBytes(app + "/data/tdata/Other Trans.dat", ""));
    ASSERT_TRUE(
        writeFileBytes(ini, "[Main]\nText1=MyTrans.DAT\nText2=Missing One\nText3=Other Trans\n"));

    const auto chosen = ChooseTranslations(ini, app);
    EXPECT_EQ(chosen[0], "mytrans");
    EXPECT_EQ(chosen[1], "English - Dabrel Ostin");
    EXPECT_EQ(chosen[2], "other trans");

    MemorySettingsStore store;
    store.save("D", "TransName", "stored");
    EXPECT_EQ(StoredTranslations(store, chosen),
              (std::array<QString, 3>{"mytrans", "stored", "other trans"}));

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
