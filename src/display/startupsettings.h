#pragma once

#include <QtGlobal>

#include <array>
#include <optional>
#include <variant>

#include "platform/storedtext.h"
#include "recitation/equalizer.h"
#include "recitation/rangemodeoptions.h"

namespace varnelo {

class SettingsStore;

// Colours and text size of one text window.
struct WindowPresentation {
    quint32 back = 14937827;  // RGB(227, 238, 227)
    quint32 font = 0;
    double size = 2;  // translation windows only

    bool operator==(const WindowPresentation &) const = default;
};

// The stored values start-up reads, after their defaults and conversions.
struct StartupSettings {
    std::optional<int> top;  // window top and left in twips; nothing: centre the window
    int left = 0;
    bool AlwaysOnTop = false;
    std::array<WindowPresentation, 3> translations;  // windows 2, 3, 4: sections T, D, W
    WindowPresentation arabic;
    bool firstTime = true;  // Main/FirstTime is "1"
    RangeModeOptions rangeMode;
    EqualizerSettings equalizer;
    bool OnscreenHelpEnabled = true;
    int volume = 500;       // Vol/Pos
    bool showAbout = true;  // About/Show3 is "1"

    bool operator==(const StartupSettings &) const = default;
};

// Reads StartupSettings from store in the order of the start-up steps, or the first value that
// does not convert.
std::variant<StartupSettings, SettingsError> ReadStartupSettings(const SettingsStore &store);

}  // namespace varnelo
