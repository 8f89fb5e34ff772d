#include "mainwindow/keyboardcommands.h"

#include "platform/virtualkeys.h"

namespace varnelo {

namespace {

// Shift (1) is part of the mask, but no command looks at it.
constexpr int kCtrl = 2, kAlt = 4;
constexpr int kA = 65, kB = 66, kC = 67, kD = 68, kE = 69, kL = 76, kM = 77, kN = 78, kP = 80,
              kR = 82, kS = 83, kT = 84, kV = 86, kW = 87, kX = 88, kZ = 90;
constexpr int kDigit1 = 49, kDigit9 = 57, kNumpad1 = 97;
constexpr int kVolumeStep = 100;
// Suras whose Arabic page is taller than its viewport and can be scrolled by the arrow keys.
constexpr int kFirstScrolledSura = 2, kLastScrolledSura = 78;

enum class Next { Continue, Stop };

// Alt combinations: modes, window checks and closing.
Next altCommands(KeyboardTarget &target, int keyCode, bool &acted) {
    acted = true;
    switch (keyCode) {
        case kR:
            target.selectMode(true);
            return Next::Continue;
        case kV:
            target.selectMode(false);
            return Next::Continue;
        case kA:
            target.toggleWindow(1);
            return Next::Continue;
        case kT:
            target.toggleWindow(2);
            return Next::Continue;
        case kD:
            target.toggleWindow(3);
            return Next::Continue;
        case kW:
            target.toggleWindow(4);
            return Next::Stop;
        case vk::F4:
            target.closeMainWindow();
            return Next::Continue;
        default:
            acted = false;
            return Next::Continue;
    }
}

// C, X and Z recite; only X acts in range mode.
bool reciteCommands(KeyboardTarget &target, int keyCode) {
    if (keyCode == kX) {
        target.play();
        return true;
    }
    if (!target.verseMode())
        return false;
    if (keyCode == kC)
        target.reciteNextVerse();
    else if (keyCode == kZ)
        target.recitePreviousVerse();
    else
        return false;
    return true;
}

// Steps that need no modifier check or only "without Alt": range moves, range lengths, the
// verse dialogs, the whole sura and the sura changes.
bool rangeCommands(KeyboardTarget &target, int keyCode, bool alt) {
    bool acted = true;
    if (keyCode == kM)
        target.moveRangeForward();
    else if (keyCode == kN)
        target.moveRangeBackward();
    else if (keyCode >= kDigit1 && keyCode <= kDigit9)
        target.setRangeLength(keyCode - kDigit1 + 1);
    else if (keyCode >= kNumpad1 && keyCode <= vk::Numpad9)
        target.setRangeLength(keyCode - kNumpad1 + 1);
    else if (keyCode == kV && !alt)
        target.moveToVerse();
    else if (keyCode == kB && !alt)
        target.setRangeBegin();
    else if (keyCode == kE && !alt)
        target.setRangeEnd();
    else if (keyCode == vk::Home)
        target.wholeSura();
    else if (keyCode == vk::PageUp)
        target.previousSura();
    else if (keyCode == vk::PageDown)
        target.nextSura();
    else
        acted = false;
    return acted;
}

// Volume and the about window, which P reaches as well.
bool lastCommands(KeyboardTarget &target, int keyCode) {
    if (keyCode == vk::Add)
        target.changeVolume(kVolumeStep);
    else if (keyCode == vk::Subtract)
        target.changeVolume(-kVolumeStep);
    else if (keyCode == vk::F1)
        target.showAbout();
    else
        return false;
    return true;
}

}  // namespace

bool Form_KeyDown(KeyboardTarget &target, int keyCode, int shift) {
    const bool ctrl = shift & kCtrl;
    const bool alt = shift & kAlt;
    bool acted = false;

    if (keyCode == kR && ctrl) {
        target.openRangeModeSetup();
        acted = true;
    }
    if (keyCode == kS && !alt) {
        target.openQuickSuraSelect();
        acted = true;
    }
    if (keyCode == kL && !alt) {
        target.RestoreLastPosition();
        acted = true;
    }
    // Everything else works on a selected sura; L above may just have selected one.
    if (target.suraListIndex() == -1)
        return acted;

    const int sura = target.selectedSura();
    if ((keyCode == vk::Up || keyCode == vk::Down) && sura >= kFirstScrolledSura &&
        sura <= kLastScrolledSura && !target.focusInTranslationText()) {
        target.scrollPage(keyCode == vk::Up);
        acted = true;
    }

    if (keyCode == kP && !alt) {
        target.togglePause();
        // Pausing skips the recitation and range steps: only volume and about follow.
        lastCommands(target, keyCode);
        return true;
    }

    if (alt) {
        bool altActed = false;
        const Next next = altCommands(target, keyCode, altActed);
        acted = acted || altActed;
        if (next == Next::Stop)
            return acted;
    }
    acted = reciteCommands(target, keyCode) || acted;
    acted = rangeCommands(target, keyCode, alt) || acted;
    acted = lastCommands(target, keyCode) || acted;
    return acted;
}

}  // namespace varnelo
