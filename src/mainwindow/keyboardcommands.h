#pragma once

namespace varnelo {

// What the keyboard commands act on: the main window's operations, each the same as its button,
// menu or dialog. A fake records the calls in tests.
class KeyboardTarget {
public:
    virtual ~KeyboardTarget() = default;

    // Sura list position, -1 when no sura is selected; the selected sura's number.
    virtual int suraListIndex() const = 0;
    virtual int selectedSura() const = 0;
    // The focus is in one of the three translation windows.
    virtual bool focusInTranslationText() const = 0;
    // Verse mode is selected (Keyboard()).
    virtual bool verseMode() const = 0;

    virtual void openRangeModeSetup() = 0;   // modal, inside the modal bracket
    virtual void openQuickSuraSelect() = 0;  // modal, inside the modal bracket
    virtual void RestoreLastPosition() = 0;  // the position stored at the last exit
    virtual void scrollPage(bool up) = 0;    // the Arabic page, 100 twips
    virtual void togglePause() = 0;          // P
    virtual void selectMode(bool rangeMode) = 0;
    virtual void toggleWindow(int window) = 0;  // 1 Arabic, 2..4 translations
    virtual void closeMainWindow() = 0;
    virtual void reciteNextVerse() = 0;        // C
    virtual void recitePreviousVerse() = 0;    // Z
    virtual void play() = 0;                   // X
    virtual void moveRangeForward() = 0;       // M
    virtual void moveRangeBackward() = 0;      // N
    virtual void setRangeLength(int n) = 0;    // 1..9
    virtual void moveToVerse() = 0;            // V (cmdCurrentVerse)
    virtual void setRangeBegin() = 0;          // B (cmdRangeBegin)
    virtual void setRangeEnd() = 0;            // E (cmdRangeEnd)
    virtual void wholeSura() = 0;              // Home
    virtual void previousSura() = 0;           // Page Up
    virtual void nextSura() = 0;               // Page Down
    virtual void changeVolume(int delta) = 0;  // keypad + and -
    virtual void showAbout() = 0;              // F1
};

// The main window's key handler: runs every step whose key matches, in the program's order.
// keyCode is a virtual-key code, shift the mask 1 Shift, 2 Ctrl, 4 Alt. Returns true when a step
// acted on the key, so the focused control does not get it as well.
bool Form_KeyDown(KeyboardTarget &target, int keyCode, int shift);

}  // namespace varnelo
