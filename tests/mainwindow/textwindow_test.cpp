#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include "controls/cbutton.h"
#include "display/qthtmlview.h"
#include "mainwindow/frmmain.h"
#include "mainwindow/frmtitle.h"
#include "mainwindowfixture.h"

using namespace varnelo;
using namespace varnelo::test;

namespace {

// The font size of the page's text as the view shows it.
qreal shownFontSize(const QtHtmlView &view) {
    QTextCursor cursor(view.document());
    cursor.movePosition(QTextCursor::NextCharacter);
    const QFont font = cursor.charFormat().font();
    return font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF();
}

// The caption-bar commands of the translation windows, clicked as the user clicks them.
class TextWindowTest : public MainWindowFixture {
protected:
    void click(const char *name, int window) {
        QTest::mouseClick(get<cButton>(QString("%1_%2").arg(name).arg(window)), Qt::LeftButton);
    }
};

}  // namespace

TEST_F(TextWindowTest, CopyPutsTheRenderedTextOfTheCurrentVerseOnTheClipboard) {
    ASSERT_TRUE(load());
    select(2);
    window().CallSetTextAndRange(3, 9);
    click("cmdCopy", 3);
    EXPECT_EQ(m_clipboard.text(), "v3");
    // The copy is no verse reference: the current verse stays.
    EXPECT_EQ(window().CurrentVerse(), 3);

    select(9);  // no opening formula: the first record is verse 1
    click("cmdCopy", 4);
    EXPECT_EQ(m_clipboard.text(), "v1");
}

TEST_F(TextWindowTest, SizeButtonsStopAtOneAndSevenRewriteThePageAndAreStored) {
    ASSERT_TRUE(load());
    select(2);
    QTextDocument *document = view(2)->document();
    int rewrites = 0;
    QObject::connect(document, &QTextDocument::contentsChanged, [&] { ++rewrites; });
    const qreal startSize = shownFontSize(*view(2));

    for (int i = 0; i < 5; ++i)
        click("cmdPlus", 2);
    EXPECT_EQ(window().page(2).FontSize, 7);
    EXPECT_GT(rewrites, 0);
    EXPECT_GT(shownFontSize(*view(2)), startSize);
    EXPECT_TRUE(view(2)->plainText().contains("bismi alpha"));
    rewrites = 0;
    click("cmdPlus", 2);
    EXPECT_EQ(window().page(2).FontSize, 7);
    EXPECT_EQ(rewrites, 0);

    for (int i = 0; i < 7; ++i)
        click("cmdMinus", 4);
    EXPECT_EQ(window().page(4).FontSize, 1);
    EXPECT_EQ(window().page(3).FontSize, 2);

    window().close();
    EXPECT_EQ(m_store.get("T", "Size", ""), "7");
    EXPECT_EQ(m_store.get("W", "Size", ""), "1");
    restart();
    ASSERT_TRUE(load());
    EXPECT_EQ(window().page(2).FontSize, 7);
    EXPECT_EQ(window().page(4).FontSize, 1);
}

TEST_F(TextWindowTest, InfoShowsTheInformationPageInAModalWindow) {
    ASSERT_TRUE(load());
    ASSERT_TRUE(window().titleWindow()->isVisible());
    QString shown;
    bool titleHidden = false;
    QTimer::singleShot(0, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        ASSERT_TRUE(modal);
        EXPECT_EQ(modal->objectName(), "frmTextInfo");
        shown = modal->findChild<QtHtmlView *>("wbTextInfo")->plainText();
        titleHidden = !window().titleWindow()->isVisible();
        QTest::mouseClick(modal->findChild<QPushButton *>("cmdClose"), Qt::LeftButton);
    });
    click("cmdInfo", 3);
    // The heading drops single blanks from the caption "Beta window".
    EXPECT_TRUE(shown.contains("Betawindow")) << shown.toStdString();
    EXPECT_TRUE(shown.contains("beta archive"));
    EXPECT_TRUE(shown.contains("2021"));
    EXPECT_TRUE(titleHidden);
    EXPECT_TRUE(window().titleWindow()->isVisible());
    EXPECT_FALSE(window().findChild<QDialog *>("frmTextInfo"));
}

TEST_F(TextWindowTest, CaptionBarButtonsFollowTheCaptionInOrder) {
    ASSERT_TRUE(load());
    for (int w = 2; w <= 4; ++w) {
        const QLabel *label = get<QLabel>(QString("Label1_%1").arg(w));
        int right = label->geometry().right();
        for (const char *name : {"cmdTransMenu", "cmdPlus", "cmdMinus", "cmdCopy", "cmdInfo"}) {
            const cButton *button = get<cButton>(QString("%1_%2").arg(name).arg(w));
            EXPECT_TRUE(button->isVisible()) << name;
            EXPECT_GT(button->x(), right) << name << " in window " << w;
            EXPECT_LE(button->geometry().bottom(), ArabicPage::CaptionHeight) << name;
            right = button->geometry().right();
        }
        EXPECT_LT(right, get<QPushButton>(QString("imgMax_%1").arg(w))->x());
    }
}
