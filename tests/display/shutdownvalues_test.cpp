#include <gtest/gtest.h>

#include <QStringList>

#include "display/shutdownvalues.h"
#include "platform/memorysettingsstore.h"

using namespace varnelo;

namespace {

// Keeps every save in order, as "section/key=value".
class RecordingStore : public MemorySettingsStore {
public:
    void save(const QString &section, const QString &key, const QString &value) override {
        saves.append(section + '/' + key + '=' + value);
        MemorySettingsStore::save(section, key, value);
    }
    QStringList saves;
};

ShutdownValues sample() {
    ShutdownValues values;
    values.arabic = {16777215, 255, 2};
    values.translations[0] = {1, 2, 3};            // T
    values.translations[1] = {4, 5, 2.5};          // D
    values.translations[2] = {0x80000005u, 6, 7};  // W: a system colour as background
    values.left = 1234.5;
    values.top = -60;
    values.volume = 730;
    values.panelTags = {"1", "3", "h", "2"};
    values.panelHeights = {3000, 1500, 0, 2250.75};
    values.mainWidth = 4800;
    values.windowWidth = 9600;
    values.sura = 35;
    values.rangeBegin = 1;
    values.rangeEnd = 12;
    values.currentPosition = 4;
    values.currentVerse = 4;
    return values;
}

}  // namespace

TEST(StoreShutdownValues, EveryValueInTheExitOrder) {
    RecordingStore store;
    StoreShutdownValues(store, sample());
    EXPECT_EQ(store.saves, QStringList({
                               "Arabic/Font=255", "Arabic/Back=16777215",
                               "D/Font=5",        "D/Back=4",
                               "D/Size=2.5",      "T/Font=2",
                               "T/Back=1",        "T/Size=3",
                               "W/Font=6",        "W/Back=-2147483643",
                               "W/Size=7",        "Main/Left=1234.5",
                               "Main/Top=-60",    "Vol/Pos=730",
                               "Arabic/p=1",      "T/p=3",
                               "D/p=h",           "W/p=2",
                               "Arabic/h=3000",   "T/h=1500",
                               "D/h=0",           "W/h=2250.75",
                               "Main/width=4800", "Me/width=9600",
                               "Main/Sura=35",    "Main/RB=1",
                               "Main/RE=12",      "Main/CurPos=4",
                               "Main/CurVerse=4",
                           }));
    EXPECT_EQ(store.size(), store.saves.size());

    ShutdownValues none;
    RecordingStore empty;
    StoreShutdownValues(empty, none);
    EXPECT_EQ(empty.get("Main", "Sura", "x"), "-1");
}

TEST(StoreShutdownValues, StartupReadsBackWhatExitWrote) {
    MemorySettingsStore store;
    const ShutdownValues values = sample();
    StoreShutdownValues(store, values);
    const auto read = ReadStartupSettings(store);
    ASSERT_TRUE(std::holds_alternative<StartupSettings>(read));
    const StartupSettings &settings = std::get<StartupSettings>(read);
    EXPECT_EQ(settings.top, -60);
    EXPECT_EQ(settings.left, 1234);  // half to even
    EXPECT_EQ(settings.volume, 730);
    EXPECT_EQ(settings.arabic.back, values.arabic.back);
    EXPECT_EQ(settings.arabic.font, values.arabic.font);
    EXPECT_EQ(settings.translations, values.translations);
}
