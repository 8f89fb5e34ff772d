#include <gtest/gtest.h>

#include "mainwindow/rangemodesetup.h"
#include "platform/memorysettingsstore.h"
#include "platform/storedtext.h"

using namespace varnelo;

namespace {

RangeModeOptions readBack(const SettingsStore &store) {
    ConvertingReader reader(store);
    const RangeModeOptions options = ReadRangeModeOptions(reader);
    EXPECT_FALSE(reader.error()) << reader.error()->description().toStdString();
    return options;
}

QString stored(const SettingsStore &store, const char *key) {
    return store.get("RangeModeSetup", key, "missing");
}

}  // namespace

TEST(RangeModeSetup, LoadShowsTheOptions) {
    RangeModeEntries entries = RangeModeSetup::load(RangeModeOptions{});
    EXPECT_FALSE(entries.unlimitedTimes);
    EXPECT_EQ(entries.times, "1");
    EXPECT_EQ(entries.pause, "1");
    EXPECT_EQ(entries.pauseBetweenVerses, "0");
    EXPECT_TRUE(entries.nextRange);
    EXPECT_EQ(entries.afterSura, 0);

    RangeModeOptions options;
    options.NoofTimes = 0;
    options.Pause = 12;
    options.NextRange = false;
    options.NextSura = false;
    options.StopRecitation = true;
    entries = RangeModeSetup::load(options);
    EXPECT_TRUE(entries.unlimitedTimes);
    EXPECT_EQ(entries.times, "1");  // the box keeps its own 1
    EXPECT_EQ(entries.pause, "12");
    EXPECT_FALSE(entries.nextRange);
    EXPECT_EQ(entries.afterSura, 2);

    options.StopRecitation = false;
    EXPECT_EQ(RangeModeSetup::load(options).afterSura, -1);
    options.NoofTimes = -2;
    EXPECT_EQ(RangeModeSetup::load(options).times, "-2");
}

TEST(RangeModeSetup, EntriesThatKeepTheFocus) {
    const QString positive = "please enter a number greater than 0 ";
    for (const char *text : {"0", "abc", "", " ", "0.4", "99999999999"})
        EXPECT_EQ(RangeModeSetup::timesError(text), positive) << text;
    for (const char *text : {"-2", "3", " 7 ", "2.6"})
        EXPECT_EQ(RangeModeSetup::timesError(text), std::nullopt) << text;

    for (const char *text : {"abc", "", "1x"})
        EXPECT_EQ(RangeModeSetup::pauseError(text), QString("please enter a number")) << text;
    for (const char *text : {"0", "-1", "15"})
        EXPECT_EQ(RangeModeSetup::pauseError(text), std::nullopt) << text;
}

TEST(RangeModeSetup, OkStoresEveryKeyAsTheNextStartReadsIt) {
    MemorySettingsStore store;
    RangeModeEntries entries;
    entries.times = "3";
    entries.pause = "5";
    entries.pauseBetweenVerses = "2";
    entries.nextRange = false;
    entries.afterSura = 1;
    const auto options = RangeModeSetup::save(entries, store);
    ASSERT_TRUE(options);
    EXPECT_EQ(stored(store, "NoofTimes"), "3");
    EXPECT_EQ(stored(store, "Pause"), "5");
    EXPECT_EQ(stored(store, "PauseBetweenVerses"), "2");
    EXPECT_EQ(stored(store, "NextRange"), "0");
    EXPECT_EQ(stored(store, "NextSura"), "0");
    EXPECT_EQ(stored(store, "RestartSura"), "1");
    EXPECT_EQ(stored(store, "StopRecitation"), "0");
    EXPECT_EQ(store.size(), 7);
    EXPECT_EQ(readBack(store), *options);
    EXPECT_EQ(options->NoofTimes, 3);
    EXPECT_EQ(options->Pause, 5);
    EXPECT_EQ(options->PauseBetweenVerses, 2);
    EXPECT_TRUE(options->RestartSura);

    // Unlimited stores 0 whatever the count box holds, even an entry it would refuse.
    entries.unlimitedTimes = true;
    entries.times = "abc";
    entries.nextRange = true;
    entries.afterSura = 2;
    const auto unlimited = RangeModeSetup::save(entries, store);
    ASSERT_TRUE(unlimited);
    EXPECT_EQ(stored(store, "NoofTimes"), "0");
    EXPECT_EQ(stored(store, "NextRange"), "1");
    EXPECT_EQ(stored(store, "StopRecitation"), "1");
    EXPECT_EQ(readBack(store), *unlimited);
    EXPECT_EQ(unlimited->NoofTimes, 0);
}

TEST(RangeModeSetup, AVersePauseThatIsNoNumberIsStoredAsZero) {
    MemorySettingsStore store;
    RangeModeEntries entries = RangeModeSetup::load(RangeModeOptions{});
    entries.pauseBetweenVerses = "soon";
    const auto options = RangeModeSetup::save(entries, store);
    ASSERT_TRUE(options);
    EXPECT_EQ(options->PauseBetweenVerses, 0);
    EXPECT_EQ(stored(store, "PauseBetweenVerses"), "0");
    // The next start reads the whole section without a complaint.
    EXPECT_EQ(readBack(store), *options);
}

TEST(RangeModeSetup, RefusedEntriesStoreNothing) {
    MemorySettingsStore store;
    RangeModeEntries entries = RangeModeSetup::load(RangeModeOptions{});
    entries.times = "0";
    EXPECT_EQ(RangeModeSetup::firstError(entries)->box, RangeModeBox::Times);
    EXPECT_FALSE(RangeModeSetup::save(entries, store));
    entries.times = "2";
    entries.pause = "later";
    EXPECT_EQ(RangeModeSetup::firstError(entries)->box, RangeModeBox::Pause);
    EXPECT_FALSE(RangeModeSetup::save(entries, store));
    EXPECT_EQ(store.size(), 0);
}

TEST(RangeModeSetup, HelpTexts) {
    EXPECT_TRUE(RangeModeSetup::helpText(0).startsWith(
        "This option determines how many times a range will be recited.\r\nRange is"));
    EXPECT_TRUE(RangeModeSetup::helpText(0).endsWith("to the same verse."));
    EXPECT_EQ(RangeModeSetup::helpText(2), "No of seconds to be paused after completing a range.");
    EXPECT_TRUE(RangeModeSetup::helpText(3).endsWith("selected above. "));
    EXPECT_EQ(RangeModeSetup::helpText(4), "");
}
