#pragma once

#include <QString>

#include <optional>

#include "recitation/rangemodeoptions.h"

namespace varnelo {

class SettingsStore;

// What the range mode settings window shows: the options as its boxes and buttons hold them.
struct RangeModeEntries {
    bool unlimitedTimes = false;  // optTimes(0); optTimes(1) otherwise
    QString times = QStringLiteral("1");
    QString pause;
    QString pauseBetweenVerses;
    bool nextRange = false;
    // The selected "After Current Sura" button: 0 next sura, 1 same sura again, 2 stop; -1 none.
    int afterSura = -1;
};

// A text box whose entry must be fixed before the focus may leave it.
enum class RangeModeBox { Times, Pause };

struct RangeModeEntryError {
    RangeModeBox box;
    QString message;
};

// The rules of the range mode settings window, apart from its widgets.
class RangeModeSetup {
public:
    static constexpr char kNotNumber[] = "please enter a number";
    static constexpr char kNotPositive[] = "please enter a number greater than 0 ";
    static constexpr char kHelpTitle[] = "Range mode settings - Help";

    // The window's contents for options.
    static RangeModeEntries load(const RangeModeOptions &options);
    // The message for an entry of txtTimes or txtPause, or nothing when the entry is fine.
    static std::optional<QString> timesError(const QString &text);
    static std::optional<QString> pauseError(const QString &text);
    // The first entry OK would refuse (txtTimes only counts while optTimes(1) is selected).
    static std::optional<RangeModeEntryError> firstError(const RangeModeEntries &entries);
    // OK: writes every key of section "RangeModeSetup" and returns the new options; nothing is
    // written and nothing is returned while firstError has an error.
    static std::optional<RangeModeOptions> save(const RangeModeEntries &entries,
                                                SettingsStore &store);
    // The text of Help button index 0..3; "" for any other index.
    static QString helpText(int index);
};

}  // namespace varnelo
