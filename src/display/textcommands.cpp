#include "display/textcommands.h"

#include <cmath>

#include "display/clswbproperty.h"
#include "platform/clipboard.h"

namespace varnelo {

namespace {

constexpr int TwipsPerPixel = 15;
constexpr int LabelGapTwips = 100;
constexpr int ButtonGapTwips = 20;

}  // namespace

void TextCommands::cmdPlus_Click(int window) {
    if (!isTranslation(window))
        return;
    clsWBProperty &page = m_view.translationPage(window);
    if (page.FontSize >= MaxFontSize)
        return;
    page.FontSize += 1;
    m_view.SetText();
}

void TextCommands::cmdMinus_Click(int window) {
    if (!isTranslation(window))
        return;
    clsWBProperty &page = m_view.translationPage(window);
    if (page.FontSize <= MinFontSize)
        return;
    page.FontSize -= 1;
    m_view.SetText();
}

void TextCommands::cmdCopy_Click(int window) {
    if (!isTranslation(window))
        return;
    const HtmlView *browser = m_view.translationPage(window).Browser;
    if (!browser)
        return;
    // One replacement, so the clipboard never stands empty between clearing and filling.
    m_clipboard.setText(foldLineBreaks(browser->plainText()));
}

void TextCommands::cmdInfo_Click(int window) {
    if (!isTranslation(window))
        return;
    const QString html = m_view.translationPage(window).AdditionalInfo();
    m_view.ShowTitleWindow(false);
    m_view.showTextInfo(html);
    m_view.ShowTitleWindow(true);
}

void TextCommands::cmdTransMenu_Click(int window) {
    if (isTranslation(window))
        m_view.openWindowMenu(window);
}

QString TextCommands::foldLineBreaks(QString text) {
    return text.replace(QLatin1String("\r\n\r\n"), QLatin1String("\r\n"));
}

std::array<int, CaptionButtonCount> CaptionButtonLefts(
    int labelLeft, int labelWidth, const std::array<int, CaptionButtonCount> &widths) {
    std::array<int, CaptionButtonCount> lefts{};
    // Added up in twips, as the gaps are finer than a pixel.
    int twips = (labelLeft + labelWidth) * TwipsPerPixel + LabelGapTwips;
    for (int i = 0; i < CaptionButtonCount; ++i) {
        if (i > 0)
            twips += widths[size_t(i - 1)] * TwipsPerPixel + ButtonGapTwips;
        lefts[size_t(i)] = int(std::lround(double(twips) / TwipsPerPixel));
    }
    return lefts;
}

}  // namespace varnelo
