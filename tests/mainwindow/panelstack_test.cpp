#include <gtest/gtest.h>

#include "mainwindow/panelstack.h"

using namespace varnelo;

namespace {

using Tags = std::array<QString, PanelStack::Count>;
using Heights = std::array<int, PanelStack::Count>;

}  // namespace

TEST(PanelStack, ValidTagsAcceptOnlyAStackUnderTheMainPanel) {
    for (const Tags &good : {Tags{"1", "2", "3", "4", "5"}, Tags{"1", "4", "2", "5", "3"},
                             Tags{"1", "h", "2", "h", "3"}, Tags{"1", "h", "h", "h", "h"}})
        EXPECT_TRUE(PanelStack::validTags(good)) << good[1].toStdString();

    const Tags bad[] = {
        {"1", "2", "4", "h", "h"},  // place 3 missing
        {"1", "3", "h", "h", "h"},  // place 2 missing
        {"1", "2", "2", "3", "4"},  // a place taken twice
        {"2", "1", "3", "4", "5"},  // the main panel not on top
        {"h", "1", "2", "3", "4"},  // the main panel hidden
        {"1", "2", "x", "3", "4"}, {"1", "2", "", "3", "4"},  {"1", "2", "3", "4", "6"},
        {"1", "2", "3", "4", "0"}, {"1", "2", "3", "4", "H"},
    };
    for (const Tags &tags : bad)
        EXPECT_FALSE(PanelStack::validTags(tags))
            << tags[1].toStdString() << tags[2].toStdString() << tags[4].toStdString();
}

TEST(PanelStack, HidingClosesTheGapAndMovesStopAtTheEnds) {
    PanelStack stack;
    stack.hide(2);  // place 3 of 5
    EXPECT_EQ(stack.tags, (Tags{"1", "2", "h", "3", "4"}));
    EXPECT_TRUE(PanelStack::validTags(stack.tags));
    EXPECT_EQ(stack.tops()[3], 140 + 300);
    EXPECT_EQ(stack.stackHeight(), 140 + 300 + 150 + 150);
    stack.hide(2);
    stack.hide(0);  // the main panel never hides
    EXPECT_EQ(stack.tags, (Tags{"1", "2", "h", "3", "4"}));

    stack.moveUp(1);    // already under the main panel
    stack.moveDown(4);  // last of the shown panels: no panel below it
    stack.moveUp(2);    // hidden
    EXPECT_EQ(stack.tags, (Tags{"1", "2", "h", "3", "4"}));
    stack.moveUp(3);
    EXPECT_EQ(stack.tags, (Tags{"1", "3", "h", "2", "4"}));
    stack.show(2);
    EXPECT_EQ(stack.tags, (Tags{"1", "3", "5", "2", "4"}));
    stack.moveDown(2);  // place 5
    EXPECT_EQ(stack.tags, (Tags{"1", "3", "5", "2", "4"}));
    stack.moveDown(1);
    EXPECT_EQ(stack.tags, (Tags{"1", "4", "5", "2", "3"}));
}

TEST(PanelStack, FitHeightShrinksTheTallestInFiveThenOnePixelSteps) {
    PanelStack stack;  // 140 + 300 + 3 x 150 = 890
    EXPECT_FALSE(stack.fitHeight(890));
    EXPECT_EQ(stack.heights, (Heights{140, 300, 150, 150, 150}));

    // 4 pixels (60 twips) too tall: one step of 5.
    EXPECT_TRUE(stack.fitHeight(886));
    EXPECT_EQ(stack.heights[1], 295);
    // 13 too tall: 5, 5, then 1, 1, 1 once no more than 50 twips remain.
    EXPECT_TRUE(stack.fitHeight(872));
    EXPECT_EQ(stack.heights, (Heights{140, 282, 150, 150, 150}));
    EXPECT_EQ(stack.stackHeight(), 872);

    // Equal heights: the one higher in the stack shrinks.
    stack.heights = {140, 150, 150, 150, 150};
    stack.tags = {"1", "3", "4", "2", "5"};
    EXPECT_TRUE(stack.fitHeight(739));
    EXPECT_EQ(stack.heights, (Heights{140, 150, 150, 149, 150}));
}

TEST(PanelStack, FitHeightEndsWhenNothingCanShrink) {
    PanelStack stack;
    stack.tags = {"1", "h", "h", "h", "h"};
    stack.heights[0] = 3;
    EXPECT_TRUE(stack.fitHeight(0));
    EXPECT_EQ(stack.heights[0], 1);
    EXPECT_FALSE(stack.fitHeight(-100));
    EXPECT_EQ(stack.heights[0], 1);
}

TEST(PanelStack, ShareHeightGivesTheRestToTheArabicWindowOnly) {
    PanelStack stack;
    stack.shareHeight(501);  // 125 each, rest 1
    EXPECT_EQ(stack.heights, (Heights{140, 126, 125, 125, 125}));

    stack.shareHeight(502);  // 125.5 rounds up: the Arabic window pays for it
    EXPECT_EQ(stack.heights, (Heights{140, 124, 126, 126, 126}));

    stack.heights = {140, 300, 150, 150, 150};
    stack.hide(1);
    stack.shareHeight(301);  // the rest 1 goes to no one
    EXPECT_EQ(stack.heights, (Heights{140, 300, 100, 100, 100}));

    for (int panel : {2, 3, 4})
        stack.hide(panel);
    stack.shareHeight(900);
    EXPECT_EQ(stack.heights, (Heights{140, 300, 100, 100, 100}));
}
