#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "mainwindow/frmquicksuraselect.h"
#include "mainwindow/frmquickverseselect.h"
#include "scripteddialogs.h"

using namespace varnelo;

namespace {

// The sura dialog over a recording main window whose verse selecter opens the verse dialog.
class QuickSelectDialogsTest : public testing::Test {
protected:
    QuickSelectDialogsTest() { verseDialog.prepare("Move to Verse", 2, 287); }

    QLineEdit *box(QDialog &dialog) { return dialog.findChild<QLineEdit *>("txtSuraNo"); }
    void type(QDialog &dialog, const QString &keys) { QTest::keyClicks(box(dialog), keys); }
    void enter(QDialog &dialog) { QTest::keyClick(box(dialog), Qt::Key_Return); }

    ScriptedDialogs dialogs;
    QStringList log;
    frmQuickVerseSelect verseDialog{
        dialogs, [this](int verse, bool begin, bool end) {
            log << QString("verse %1 %2%3").arg(verse).arg(begin).arg(end);
        }};
    frmQuickSuraSelect suraDialog{dialogs,
                                  [this](int position) {
                                      log << QString("select %1").arg(position);
                                      // The window then asks about the sura it loaded.
                                      verseDialog.prepare("Move to verse", position + 1, 287);
                                  },
                                  [this] {
                                      log << "verse dialog";
                                      verseDialog.show();
                                  }};
};

}  // namespace

TEST_F(QuickSelectDialogsTest, SuraNumberAndEnterSelectsTheListPosition) {
    EXPECT_EQ(suraDialog.objectName(), "frmQuickSuraSelect");
    suraDialog.show();
    type(suraDialog, "3x6");
    EXPECT_EQ(box(suraDialog)->text(), "36");
    enter(suraDialog);
    EXPECT_FALSE(suraDialog.isVisible());
    EXPECT_EQ(log, QStringList{"select 35"});
    EXPECT_FALSE(verseDialog.isVisible());

    // Shown again, the box starts empty.
    suraDialog.show();
    EXPECT_EQ(box(suraDialog)->text(), "");
}

TEST_F(QuickSelectDialogsTest, SuraNumberAndVOpensTheVerseDialogToo) {
    suraDialog.show();
    type(suraDialog, "36v");
    EXPECT_FALSE(suraDialog.isVisible());
    EXPECT_EQ(log, (QStringList{"select 35", "verse dialog"}));
    ASSERT_TRUE(verseDialog.isVisible());
    EXPECT_EQ(verseDialog.windowTitle(), "Move to verse");
    EXPECT_EQ(box(verseDialog)->text(), "");
    type(verseDialog, "12");
    enter(verseDialog);
    EXPECT_EQ(log.last(), "verse 12 00");
    EXPECT_FALSE(verseDialog.isVisible());
}

TEST_F(QuickSelectDialogsTest, NoSuraNumberSelectsNothing) {
    suraDialog.show();
    type(suraDialog, "0");
    enter(suraDialog);
    EXPECT_TRUE(suraDialog.isVisible());
    QTest::keyClick(box(suraDialog), Qt::Key_Backspace);
    type(suraDialog, "115");
    EXPECT_FALSE(suraDialog.isVisible());
    EXPECT_TRUE(log.isEmpty());
    EXPECT_EQ(dialogs.shown, QStringList{": Only 114 suras"});

    suraDialog.show();
    QTest::keyClick(box(suraDialog), Qt::Key_Escape);
    EXPECT_FALSE(suraDialog.isVisible());
    EXPECT_TRUE(log.isEmpty());
}

TEST_F(QuickSelectDialogsTest, VerseDialogMessageAndEmptyEnter) {
    EXPECT_EQ(verseDialog.objectName(), "frmQuickVerseSelect");
    verseDialog.show();
    type(verseDialog, "288");
    EXPECT_FALSE(verseDialog.isVisible());
    EXPECT_EQ(dialogs.shown, QStringList{": Only 286 verses in this sura"});
    EXPECT_TRUE(log.isEmpty());

    verseDialog.show();
    enter(verseDialog);
    EXPECT_EQ(log, QStringList{"verse 0 00"});
}

TEST_F(QuickSelectDialogsTest, RangeMarkerFlagsLastOneUse) {
    verseDialog.prepare("Set Range End", 2, 287, false, true);
    EXPECT_EQ(verseDialog.windowTitle(), "Set Range End");
    verseDialog.show();
    type(verseDialog, "20");
    enter(verseDialog);
    verseDialog.fields().SetBeginFlag = true;
    verseDialog.show();
    verseDialog.close();  // the window's close button
    verseDialog.setWindowTitle("Move to Verse");
    verseDialog.show();
    type(verseDialog, "5");
    enter(verseDialog);
    EXPECT_EQ(log, (QStringList{"verse 20 01", "verse 5 00"}));
}

TEST_F(QuickSelectDialogsTest, ShownModallyTheDialogReturnsOnceItHides) {
    QTimer::singleShot(0, [this] {
        type(suraDialog, "7");
        enter(suraDialog);
    });
    suraDialog.exec();
    EXPECT_EQ(log, QStringList{"select 6"});
    QTimer::singleShot(0, [this] { type(verseDialog, "999"); });
    verseDialog.exec();
    EXPECT_EQ(dialogs.shown, QStringList{": Only 286 verses in this sura"});
}
