#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include "mainwindow/keyboardcommands.h"

using namespace varnelo;

namespace {

constexpr int Shift = 1, Ctrl = 2, Alt = 4;

// Records every operation the handler asks for.
class RecordingTarget : public KeyboardTarget {
public:
    int suraListIndex() const override { return listIndex; }
    int selectedSura() const override { return listIndex + 1; }
    bool focusInTranslationText() const override { return focusInTranslation; }
    bool verseMode() const override { return inVerseMode; }

    void openRangeModeSetup() override { calls << "RangeModeSetup"; }
    void openQuickSuraSelect() override { calls << "QuickSuraSelect"; }
    void RestoreLastPosition() override {
        calls << "RestoreLastPosition";
        listIndex = restoredListIndex;
    }
    void scrollPage(bool up) override { calls << (up ? "scroll up" : "scroll down"); }
    void togglePause() override { calls << "pause"; }
    void selectMode(bool rangeMode) override {
        calls << (rangeMode ? "range mode" : "verse mode");
        inVerseMode = !rangeMode;
    }
    void toggleWindow(int window) override { calls << QString("window %1").arg(window); }
    void closeMainWindow() override { calls << "close"; }
    void reciteNextVerse() override { calls << "next verse"; }
    void recitePreviousVerse() override { calls << "previous verse"; }
    void play() override { calls << "play"; }
    void moveRangeForward() override { calls << "range forward"; }
    void moveRangeBackward() override { calls << "range backward"; }
    void setRangeLength(int n) override { calls << QString("range length %1").arg(n); }
    void moveToVerse() override { calls << "move to verse"; }
    void setRangeBegin() override { calls << "range begin"; }
    void setRangeEnd() override { calls << "range end"; }
    void wholeSura() override { calls << "whole sura"; }
    void previousSura() override { calls << "previous sura"; }
    void nextSura() override { calls << "next sura"; }
    void changeVolume(int delta) override { calls << QString("volume %1").arg(delta); }
    void showAbout() override { calls << "about"; }

    int listIndex = 35;  // sura 36
    int restoredListIndex = -1;
    bool focusInTranslation = false;
    bool inVerseMode = false;
    QStringList calls;
};

// The calls one key press makes on a target prepared by the caller; the handler's answer must
// agree with whether anything was called.
QStringList press(RecordingTarget &target, int keyCode, int shift = 0) {
    target.calls.clear();
    const bool acted = Form_KeyDown(target, keyCode, shift);
    EXPECT_EQ(acted, !target.calls.isEmpty()) << "key " << keyCode << " shift " << shift;
    return target.calls;
}

struct Row {
    int keyCode;
    int shift;
    bool verseMode;
    QStringList expected;
};

}  // namespace

TEST(KeyboardCommands, EveryRowOfTheKeyTableWithASuraSelected) {
    const Row rows[] = {
        {82, Ctrl, false, {"RangeModeSetup"}},
        {82, Alt, true, {"range mode"}},
        {83, 0, false, {"QuickSuraSelect"}},
        {87, Alt, false, {"window 4"}},
        {76, 0, false, {"RestoreLastPosition"}},
        {40, 0, false, {"scroll down"}},
        {38, 0, false, {"scroll up"}},
        {80, 0, false, {"pause"}},
        {84, Alt, false, {"window 2"}},
        {86, Alt, false, {"verse mode"}},
        {86, 0, false, {"move to verse"}},
        {65, Alt, false, {"window 1"}},
        {68, Alt, false, {"window 3"}},
        {115, Alt, false, {"close"}},
        {67, 0, true, {"next verse"}},
        {88, 0, true, {"play"}},
        {88, 0, false, {"play"}},
        {90, 0, true, {"previous verse"}},
        {77, 0, false, {"range forward"}},
        {78, 0, false, {"range backward"}},
        {49, 0, false, {"range length 1"}},
        {53, 0, false, {"range length 5"}},
        {57, 0, false, {"range length 9"}},
        {97, 0, false, {"range length 1"}},
        {101, 0, false, {"range length 5"}},
        {105, 0, false, {"range length 9"}},
        {66, 0, false, {"range begin"}},
        {69, 0, false, {"range end"}},
        {36, 0, false, {"whole sura"}},
        {33, 0, false, {"previous sura"}},
        {34, 0, false, {"next sura"}},
        {107, 0, false, {"volume 100"}},
        {109, 0, false, {"volume -100"}},
        {112, 0, false, {"about"}},
    };
    for (const Row &row : rows) {
        RecordingTarget target;
        target.inVerseMode = row.verseMode;
        EXPECT_EQ(press(target, row.keyCode, row.shift), row.expected)
            << "key " << row.keyCode << " shift " << row.shift;
    }
}

TEST(KeyboardCommands, WithNoSuraOnlyTheDialogsAndTheLastPositionAct) {
    for (int shift = 0; shift < 8; ++shift) {
        for (int keyCode = 0; keyCode < 256; ++keyCode) {
            RecordingTarget target;
            target.listIndex = -1;
            target.inVerseMode = shift & 1;
            QStringList expected;
            if (keyCode == 82 && (shift & Ctrl))
                expected << "RangeModeSetup";
            if (keyCode == 83 && !(shift & Alt))
                expected << "QuickSuraSelect";
            if (keyCode == 76 && !(shift & Alt))
                expected << "RestoreLastPosition";
            EXPECT_EQ(press(target, keyCode, shift), expected)
                << "key " << keyCode << " shift " << shift;
        }
    }
}

TEST(KeyboardCommands, KeysMarkedAnyIgnoreEveryModifier) {
    const std::pair<int, const char *> keys[] = {
        {77, "range forward"},  {78, "range backward"}, {50, "range length 2"},
        {98, "range length 2"}, {36, "whole sura"},     {33, "previous sura"},
        {34, "next sura"},      {107, "volume 100"},    {109, "volume -100"},
        {112, "about"},         {88, "play"},           {40, "scroll down"},
    };
    for (const auto &[keyCode, call] : keys) {
        for (int shift = 0; shift < 8; ++shift) {
            RecordingTarget target;
            EXPECT_EQ(press(target, keyCode, shift), QStringList{call})
                << "key " << keyCode << " shift " << shift;
        }
    }
    for (int shift = 0; shift < 8; ++shift) {
        RecordingTarget target;
        target.inVerseMode = true;
        EXPECT_EQ(press(target, 67, shift), QStringList{"next verse"});
        EXPECT_EQ(press(target, 90, shift), QStringList{"previous verse"});
    }
}

TEST(KeyboardCommands, KeysWithoutAltDoNothingOfTheirsWithAlt) {
    RecordingTarget target;
    EXPECT_EQ(press(target, 83, Alt), QStringList{});
    EXPECT_EQ(press(target, 76, Alt | Ctrl), QStringList{});
    EXPECT_EQ(press(target, 80, Alt), QStringList{});
    EXPECT_EQ(press(target, 66, Alt), QStringList{});
    EXPECT_EQ(press(target, 69, Alt | Shift), QStringList{});
    // Ctrl and Shift do not stop them.
    EXPECT_EQ(press(target, 83, Ctrl | Shift), QStringList{"QuickSuraSelect"});
    EXPECT_EQ(press(target, 86, Ctrl), QStringList{"move to verse"});
    EXPECT_EQ(press(target, 80, Ctrl), QStringList{"pause"});
    // Plain letters that only have Alt meanings do nothing alone.
    for (int keyCode : {65, 68, 84, 87, 115})
        EXPECT_EQ(press(target, keyCode, Ctrl), QStringList{}) << keyCode;
    EXPECT_EQ(press(target, 82, Shift), QStringList{});
}

TEST(KeyboardCommands, OneKeyCanRunSeveralSteps) {
    RecordingTarget target;
    // Ctrl looks past Alt: the settings window opens, then range mode is selected.
    target.inVerseMode = true;
    EXPECT_EQ(press(target, 82, Ctrl | Alt), (QStringList{"RangeModeSetup", "range mode"}));
    // Alt+V picks verse mode but is not the move-to-verse key.
    target.inVerseMode = false;
    EXPECT_EQ(press(target, 86, Alt), QStringList{"verse mode"});
    EXPECT_EQ(press(target, 88, Alt), QStringList{"play"});
    EXPECT_EQ(press(target, 115, Alt | Ctrl), QStringList{"close"});
}

TEST(KeyboardCommands, AltWTogglesTheLastWindowAndNothingElse) {
    for (bool verseMode : {false, true}) {
        RecordingTarget target;
        target.inVerseMode = verseMode;
        EXPECT_EQ(press(target, 87, Alt), QStringList{"window 4"});
        EXPECT_EQ(press(target, 87, Alt | Ctrl | Shift), QStringList{"window 4"});
    }
}

TEST(KeyboardCommands, PausePassesOverTheRecitationAndRangeSteps) {
    RecordingTarget target;
    target.inVerseMode = true;
    EXPECT_EQ(press(target, 80), QStringList{"pause"});
    EXPECT_EQ(press(target, 80, Shift | Ctrl), QStringList{"pause"});
    // With no sura P is no command.
    target.listIndex = -1;
    EXPECT_EQ(press(target, 80), QStringList{});
}

TEST(KeyboardCommands, RangeModeIgnoresCAndZ) {
    RecordingTarget target;
    EXPECT_EQ(press(target, 67), QStringList{});
    EXPECT_EQ(press(target, 90, Alt), QStringList{});
    EXPECT_EQ(press(target, 88), QStringList{"play"});
}

TEST(KeyboardCommands, ArrowKeysScrollOnlyTallPagesOutsideTheTranslations) {
    struct Case {
        int sura;
        bool inTranslation;
        bool scrolls;
    };
    const Case cases[] = {{1, false, false}, {2, false, true},   {36, false, true},
                          {78, false, true}, {79, false, false}, {114, false, false},
                          {36, true, false}};
    for (const Case &c : cases) {
        RecordingTarget target;
        target.listIndex = c.sura - 1;
        target.focusInTranslation = c.inTranslation;
        EXPECT_EQ(press(target, 40, Ctrl), c.scrolls ? QStringList{"scroll down"} : QStringList{})
            << "sura " << c.sura;
        EXPECT_EQ(press(target, 38), c.scrolls ? QStringList{"scroll up"} : QStringList{})
            << "sura " << c.sura;
    }
    // Left and Right are no commands.
    RecordingTarget target;
    EXPECT_EQ(press(target, 37), QStringList{});
    EXPECT_EQ(press(target, 39), QStringList{});
}

TEST(KeyboardCommands, DigitsZeroAndOtherKeysAreNoCommands) {
    RecordingTarget target;
    for (int keyCode : {0, 13, 27, 32, 48, 96, 106, 110, 111, 113, 116, 255})
        EXPECT_EQ(press(target, keyCode), QStringList{}) << keyCode;
}

TEST(KeyboardCommands, TheLastPositionCanSelectTheSuraTheOtherStepsNeed) {
    RecordingTarget target;
    target.listIndex = -1;
    target.restoredListIndex = 1;
    EXPECT_EQ(press(target, 76, Ctrl), QStringList{"RestoreLastPosition"});
    EXPECT_EQ(target.suraListIndex(), 1);
    // Now a sura is selected, the range keys work.
    EXPECT_EQ(press(target, 77), QStringList{"range forward"});
}
