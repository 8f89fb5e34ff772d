#pragma once

#include <array>

#include "display/textcommands.h"

class QLabel;
class QWidget;

namespace varnelo {

class cButton;

// The command buttons in a translation window's caption bar: cmdTransMenu, cmdPlus, cmdMinus,
// cmdCopy and cmdInfo with the window number in their object names, wired to the text commands.
class CaptionButtons {
public:
    CaptionButtons(QWidget *panel, int window, TextCommands &commands);

    // Places the buttons after the caption label, which has its size for its caption.
    void layout(const QLabel &label);
    cButton *button(CaptionButton which) const { return m_buttons[which]; }

private:
    std::array<cButton *, CaptionButtonCount> m_buttons{};
};

}  // namespace varnelo
