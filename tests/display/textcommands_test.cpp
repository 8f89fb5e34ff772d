#include <gtest/gtest.h>

#include <QStringList>

#include <array>

#include "display/clswbproperty.h"
#include "display/textcommands.h"
#include "platform/clipboard.h"
#include "platform/fakehtmlview.h"

using namespace varnelo;

namespace {

// Three translation windows whose SetText rewrites every page, as the main window's does.
class FakeWindow : public TextCommandsView {
public:
    FakeWindow() {
        for (int i = 0; i < 3; ++i)
            pages[i].Browser = &views[i];
    }

    clsWBProperty &translationPage(int window) override {
        calls.append(QString("page %1").arg(window));
        return pages[window - 2];
    }
    void SetText() override {
        calls.append("SetText");
        for (clsWBProperty &page : pages)
            page.setDisplayText(page.DisplayText());
    }
    void ShowTitleWindow(bool show) override { calls.append(QString("title %1").arg(show)); }
    void showTextInfo(const QString &html) override {
        calls.append("info");
        shownInfo = html;
    }
    void openWindowMenu(int window) override { calls.append(QString("menu %1").arg(window)); }

    std::array<FakeHtmlView, 3> views;
    std::array<clsWBProperty, 3> pages;
    QStringList calls;
    QString shownInfo;
};

class TextCommandsTest : public testing::Test {
protected:
    FakeWindow m_window;
    FakeClipboard m_clipboard;
    TextCommands m_commands{m_window, m_clipboard};
};

}  // namespace

TEST_F(TextCommandsTest, SizeStepsByOneBetweenOneAndSevenAndRewritesOnlyWhenItChanged) {
    clsWBProperty &page = m_window.pages[1];
    for (int i = 0; i < 5; ++i)
        m_commands.cmdPlus_Click(3);
    EXPECT_EQ(page.FontSize, 7);
    EXPECT_TRUE(m_window.views[1].html().contains("SIZE = 7"));
    const qsizetype writes = m_window.views[1].writes().size();
    m_commands.cmdPlus_Click(3);
    EXPECT_EQ(page.FontSize, 7);
    EXPECT_EQ(m_window.views[1].writes().size(), writes);

    for (int i = 0; i < 6; ++i)
        m_commands.cmdMinus_Click(3);
    EXPECT_EQ(page.FontSize, 1);
    EXPECT_TRUE(m_window.views[1].html().contains("SIZE = 1"));
    m_window.calls.clear();
    m_commands.cmdMinus_Click(3);
    EXPECT_EQ(page.FontSize, 1);
    EXPECT_FALSE(m_window.calls.contains("SetText"));

    // The other windows keep their size; numbers outside 2..4 are no window of these commands.
    EXPECT_EQ(m_window.pages[0].FontSize, 2);
    EXPECT_EQ(m_window.pages[2].FontSize, 2);
    m_window.calls.clear();
    for (const int w : {0, 1, 5}) {
        m_commands.cmdPlus_Click(w);
        m_commands.cmdMinus_Click(w);
        m_commands.cmdCopy_Click(w);
        m_commands.cmdInfo_Click(w);
        m_commands.cmdTransMenu_Click(w);
    }
    EXPECT_TRUE(m_window.calls.isEmpty()) << m_window.calls.join(", ").toStdString();
    EXPECT_FALSE(m_clipboard.text());
}

TEST_F(TextCommandsTest, CopyPutsThePagesTextWithDoubleBreaksFolded) {
    m_clipboard.setText("before");
    m_window.views[2].setPlainText("Title\r\n\r\nverse one\r\n\r\n\r\nend");
    m_commands.cmdCopy_Click(4);
    // Three breaks in a row leave two: the fold is one pass from the left.
    EXPECT_EQ(m_clipboard.text(), "Title\r\nverse one\r\n\r\nend");

    m_window.views[0].setPlainText("");
    m_commands.cmdCopy_Click(2);
    EXPECT_EQ(m_clipboard.text(), "");

    EXPECT_EQ(TextCommands::foldLineBreaks("\r\n\r\n\r\n\r\n"), "\r\n\r\n");
    EXPECT_EQ(TextCommands::foldLineBreaks("a\n\nb\r\n"), "a\n\nb\r\n");

    // A window with no view yet copies nothing and leaves the clipboard alone.
    m_window.pages[1].Browser = nullptr;
    m_commands.cmdCopy_Click(3);
    EXPECT_EQ(m_clipboard.text(), "");
}

TEST_F(TextCommandsTest, InfoShowsTheWindowsPageInsideTheModalBracket) {
    m_window.pages[1].WindowCaption = "English - Dabrel";
    m_window.pages[1].InfoSection = QString("Updated=2021") + QChar(0);
    m_commands.cmdInfo_Click(3);
    EXPECT_EQ(m_window.calls, QStringList({"page 3", "title 0", "info", "title 1"}));
    EXPECT_EQ(m_window.shownInfo, m_window.pages[1].AdditionalInfo());
    EXPECT_TRUE(m_window.shownInfo.contains("English-Dabrel"));
    EXPECT_TRUE(m_window.shownInfo.contains("2021"));

    m_window.calls.clear();
    m_commands.cmdTransMenu_Click(2);
    EXPECT_EQ(m_window.calls, QStringList({"menu 2"}));
}

TEST(CaptionButtonLefts, GapsAddUpInTwipsBeforeRounding) {
    // 100 twips after the label, 20 between buttons: per-button rounding would drift a pixel.
    const auto lefts = CaptionButtonLefts(8, 80, {30, 16, 16, 30, 30});
    EXPECT_EQ(lefts, (std::array<int, CaptionButtonCount>{95, 126, 143, 161, 192}));
    // An empty caption still keeps the menu button clear of the label's left edge.
    EXPECT_EQ(CaptionButtonLefts(8, 0, {30, 16, 16, 30, 30})[0], 15);
}
