#include <gtest/gtest.h>

#include "platform/memorysettingsstore.h"

using varnelo::MemorySettingsStore;

TEST(MemorySettingsStore, GetSaveDeleteAll)
{
    MemorySettingsStore store;
    EXPECT_EQ(store.get("Main", "Top", "NO"), "NO");
    store.save("Main", "Top", "120");
    EXPECT_EQ(store.get("main", "TOP", "NO"), "120");
    store.save("EQ", "Val0", "-8");
    store.deleteAll();
    EXPECT_EQ(store.get("Main", "Top", "NO"), "NO");
    EXPECT_EQ(store.size(), 0);
}
