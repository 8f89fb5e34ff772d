#pragma once

#include <QString>

#include <array>

#include "display/startupsettings.h"

namespace varnelo {

class SettingsStore;

// What the main window hands over at exit: the window position in twips, panel sizes in pixels.
struct ShutdownValues {
    WindowPresentation arabic;                       // size unused
    std::array<WindowPresentation, 3> translations;  // windows 2, 3, 4: sections T, D, W
    double left = 0;
    double top = 0;
    int volume = 500;
    std::array<QString, 4> panelTags;  // panels 1..4: Arabic, T, D, W
    std::array<double, 4> panelHeights{};
    double mainWidth = 0;    // panel 0
    double windowWidth = 0;  // the whole window
    int sura = -1;           // list position of the current sura, -1 when none
    int rangeBegin = 0;
    int rangeEnd = 0;
    int currentPosition = 0;
    int currentVerse = 0;
};

// Saves every value to store, in the order start-up and the last-position command expect them
// written; a store that cannot keep a value is the store's affair.
void StoreShutdownValues(SettingsStore &store, const ShutdownValues &values);

}  // namespace varnelo
