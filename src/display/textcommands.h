#pragma once

#include <QString>

#include <array>

namespace varnelo {

class Clipboard;
class clsWBProperty;

// What the text commands need of the main window.
class TextCommandsView {
public:
    virtual ~TextCommandsView() = default;

    // The page of translation window 2, 3 or 4.
    virtual clsWBProperty &translationPage(int window) = 0;
    // Rewrites every page for the current verse.
    virtual void SetText() = 0;
    // The modal bracket: false before a modal window, true after it.
    virtual void ShowTitleWindow(bool show) = 0;
    // Shows html in the information window, modally; returns when it is closed.
    virtual void showTextInfo(const QString &html) = 0;
    // Opens the window menu of a translation window.
    virtual void openWindowMenu(int window) = 0;
};

// The caption-bar commands of translation windows 2, 3 and 4: text size, copy, information page
// and the window menu. Other window numbers do nothing.
class TextCommands {
public:
    static constexpr double MinFontSize = 1;
    static constexpr double MaxFontSize = 7;

    TextCommands(TextCommandsView &view, Clipboard &clipboard)
        : m_view(view), m_clipboard(clipboard) {}

    // One size larger, up to 7, and every page rewritten; at the limit nothing happens.
    void cmdPlus_Click(int window);
    // One size smaller, down to 1, and every page rewritten; at the limit nothing happens.
    void cmdMinus_Click(int window);
    // The page's rendered text, with double line breaks folded, replaces the clipboard's.
    void cmdCopy_Click(int window);
    // The translation's information page in the modal information window.
    void cmdInfo_Click(int window);
    void cmdTransMenu_Click(int window);

    // Every CR LF CR LF made one CR LF, in one pass from the left (three breaks leave two).
    static QString foldLineBreaks(QString text);

private:
    static bool isTranslation(int window) { return window >= 2 && window <= 4; }

    TextCommandsView &m_view;
    Clipboard &m_clipboard;
};

// The caption-bar buttons of a translation window, left to right.
enum CaptionButton { kTransMenu, kPlus, kMinus, kCopy, kInfo, CaptionButtonCount };

// Left edges (pixels) of the caption-bar buttons that follow a label at labelLeft of labelWidth,
// given the buttons' widths: 100 twips after the label, then 20 twips between buttons.
std::array<int, CaptionButtonCount> CaptionButtonLefts(
    int labelLeft, int labelWidth, const std::array<int, CaptionButtonCount> &widths);

}  // namespace varnelo
