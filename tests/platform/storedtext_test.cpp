#include <gtest/gtest.h>

#include "platform/storedtext.h"

using namespace varnelo;

TEST(SettingsConversions, FailOnGarbage) {
    // 2.5 and 3.5: half to even.
    const std::pair<const char *, std::optional<int>> integers[] = {
        {" 42 ", 42}, {"-7", -7},    {"2.5", 2}, {"3.5", 4},
        {"", {}},     {"12abc", {}}, {"NO", {}}, {"99999999999", {}}};
    for (const auto &[text, value] : integers)
        EXPECT_EQ(toInteger(text), value) << text;

    EXPECT_EQ(toDouble("-10.5"), -10.5);
    EXPECT_EQ(toDouble("inf"), std::nullopt);
    EXPECT_EQ(toDouble("x"), std::nullopt);
    EXPECT_EQ(toDouble(numberText(-0.1)), -0.1);
    EXPECT_EQ(numberText(2), "2");

    const std::pair<const char *, std::optional<bool>> booleans[] = {
        {"True", true}, {"fALSE", false}, {"1", true}, {"-3", true},
        {"0", false},   {"yes", {}},      {"", {}}};
    for (const auto &[text, value] : booleans)
        EXPECT_EQ(toBoolean(text), value) << text;

    EXPECT_EQ(toColour("14937827"), 14937827u);
    EXPECT_EQ(toColour("-2147483643"), 0x80000005u);  // a system colour stored as signed
    EXPECT_EQ(toColour("4294967296"), std::nullopt);
    EXPECT_EQ(toColour("1.5"), std::nullopt);
}

TEST(SettingsError, DescriptionNamesTheKeyAndTheStartOfALongValue) {
    EXPECT_EQ((SettingsError{"Vol", "Pos", "loud"}.description()),
              "Type mismatch (Vol/Pos = \"loud\")");
    const QString shown = SettingsError{"EQ", "Val3", QString(5000, 'x')}.description();
    EXPECT_EQ(shown, "Type mismatch (EQ/Val3 = \"" + QString(80, 'x') + "...\")");
}
