#pragma once

#include <QChar>
#include <QString>

#include <functional>

namespace varnelo {

class MessageBox;

// The number a quick-selection box holds: its leading digits ("" and "v" read as 0). A number
// too long for 32 bits reads as the largest int, so it is too large for any check.
int typedNumber(const QString &text);

// Key characters of the number dialogs, as the box's key filter sees them.
namespace keychar {
inline constexpr char16_t Back = 8, Return = 13, Escape = 27;
}

// The rules of the quick sura dialog: a sura number typed into txtSuraNo, Enter to select it,
// v to select it and go on to the verse dialog, Escape to close.
class QuickSuraSelect {
public:
    struct Actions {
        std::function<void()> hide;
        // Selects sura list position 0..113 and loads that sura, letting pending events run.
        std::function<void(int listPosition)> selectSura;
        // Opens the verse dialog for the sura just selected.
        std::function<void()> CallVerseSelecter;
    };

    static constexpr char kTooLargeMessage[] = "Only 114 suras";

    QuickSuraSelect(MessageBox &messages, Actions actions);

    // A character typed into the box with its text before the key; true when the box should take
    // it. Command keys are handled here and never reach the box.
    bool KeyPress(QChar key, const QString &text);
    // The box's text changed: a number above 114 closes the dialog with a message.
    void Change(const QString &text);

private:
    MessageBox &m_messages;
    Actions m_actions;
};

}  // namespace varnelo
