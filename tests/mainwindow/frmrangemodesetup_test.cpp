#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "mainwindow/frmrangemodesetup.h"
#include "platform/memorysettingsstore.h"
#include "scripteddialogs.h"

using namespace varnelo;

namespace {

class RangeModeWindowTest : public testing::Test {
protected:
    void SetUp() override {
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    template <typename T = QWidget>
    T *child(const char *name) {
        T *widget = window.findChild<T *>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QLineEdit *box(const char *name) { return child<QLineEdit>(name); }
    // Types text over the box's whole entry, then tabs to the next control.
    void enterAndLeave(const char *name, const QString &text) {
        QLineEdit *edit = box(name);
        edit->setFocus(Qt::TabFocusReason);
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Tab);
    }

    MemorySettingsStore store;
    ScriptedDialogs dialogs;
    RangeModeOptions options;
    frmRangeModeSetup window{store, dialogs, options};
};

}  // namespace

TEST_F(RangeModeWindowTest, ShowsTheOptionsUnderTheirNames) {
    EXPECT_EQ(window.objectName(), "frmRangeModeSetup");
    EXPECT_TRUE(child<QRadioButton>("optTimes_1")->isChecked());
    EXPECT_EQ(child<QRadioButton>("optTimes_0")->text(), "Unlimited times");
    EXPECT_EQ(box("txtTimes")->text(), "1");
    EXPECT_EQ(box("txtPause")->text(), "1");
    EXPECT_EQ(box("txtPauseBetweenVerses")->text(), "0");
    EXPECT_TRUE(child<QCheckBox>("chkNextRange")->isChecked());
    EXPECT_TRUE(child<QRadioButton>("optSuraComplete_0")->isChecked());
    EXPECT_EQ(child<QRadioButton>("optSuraComplete_2")->text(), "Stop Recitation");
    EXPECT_EQ(child<QPushButton>("cmdOK")->text(), "&OK");
    EXPECT_EQ(child<QPushButton>("cmdCancel")->text(), "&Cancel");
    for (const char *help : {"cmdHelp_0", "cmdHelp_1", "cmdHelp_2", "cmdHelp_3"})
        EXPECT_EQ(child<QPushButton>(help)->text(), "Help");
}

TEST_F(RangeModeWindowTest, ABadCountKeepsTheFocusUntilFixed) {
    for (const char *bad : {"0", "abc"}) {
        dialogs.shown.clear();
        enterAndLeave("txtTimes", bad);
        EXPECT_EQ(dialogs.shown, QStringList{": please enter a number greater than 0 "}) << bad;
        EXPECT_EQ(QApplication::focusWidget(), box("txtTimes")) << bad;
    }
    dialogs.shown.clear();
    enterAndLeave("txtTimes", "-2");
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_NE(QApplication::focusWidget(), box("txtTimes"));

    enterAndLeave("txtPause", "x");
    EXPECT_EQ(dialogs.shown, QStringList{": please enter a number"});
    EXPECT_EQ(QApplication::focusWidget(), box("txtPause"));
    // The pause between verses is not checked.
    dialogs.shown.clear();
    enterAndLeave("txtPause", "4");
    enterAndLeave("txtPauseBetweenVerses", "x");
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(RangeModeWindowTest, EnteringABoxSelectsItsText) {
    box("txtPause")->setText("15");
    box("txtPause")->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(box("txtPause")->selectedText(), "15");
}

TEST_F(RangeModeWindowTest, OkStoresTheKeys) {
    child<QRadioButton>("optTimes_0")->click();
    enterAndLeave("txtPause", "3");
    enterAndLeave("txtPauseBetweenVerses", "2");
    child<QCheckBox>("chkNextRange")->click();
    child<QRadioButton>("optSuraComplete_1")->click();
    QTest::mouseClick(child<QPushButton>("cmdOK"), Qt::LeftButton);
    EXPECT_EQ(window.result(), QDialog::Accepted);
    ASSERT_TRUE(window.saved());
    EXPECT_EQ(window.saved()->NoofTimes, 0);
    EXPECT_EQ(window.saved()->Pause, 3);
    EXPECT_TRUE(window.saved()->RestartSura);
    const char *keys[][2] = {{"NoofTimes", "0"},     {"Pause", "3"},    {"PauseBetweenVerses", "2"},
                             {"NextRange", "0"},     {"NextSura", "0"}, {"RestartSura", "1"},
                             {"StopRecitation", "0"}};
    for (const auto &[key, value] : keys)
        EXPECT_EQ(store.get("RangeModeSetup", key, "missing"), value) << key;
}

TEST_F(RangeModeWindowTest, OkWaitsForABadEntryToBeFixed) {
    box("txtTimes")->setText("0");
    QTest::mouseClick(child<QPushButton>("cmdOK"), Qt::LeftButton);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(store.size(), 0);
    EXPECT_EQ(QApplication::focusWidget(), box("txtTimes"));
    EXPECT_EQ(dialogs.shown.last(), ": please enter a number greater than 0 ");
}

TEST_F(RangeModeWindowTest, CancelStoresNothing) {
    enterAndLeave("txtPause", "9");
    child<QRadioButton>("optSuraComplete_2")->click();
    // Leaving a bad entry for Cancel asks nothing either.
    box("txtTimes")->setFocus(Qt::TabFocusReason);
    box("txtTimes")->setText("abc");
    QTest::mouseClick(child<QPushButton>("cmdCancel"), Qt::LeftButton);
    EXPECT_EQ(window.result(), QDialog::Rejected);
    EXPECT_FALSE(window.saved());
    EXPECT_EQ(store.size(), 0);
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(RangeModeWindowTest, HelpButtons) {
    child<QPushButton>("cmdHelp_2")->click();
    EXPECT_EQ(dialogs.shown, QStringList{"Range mode settings - Help: No of seconds to be paused "
                                         "after completing a range."});
}

TEST(RangeModeWindow, EditReturnsTheOptionsOkStored) {
    MemorySettingsStore store;
    ScriptedDialogs dialogs;
    RangeModeOptions options;
    options.NoofTimes = 4;
    const auto press = [](const char *button) {
        QTimer::singleShot(0, [button] {
            QWidget *window = QApplication::activeModalWidget();
            ASSERT_NE(window, nullptr);
            window->findChild<QLineEdit *>("txtPause")->setText("7");
            window->findChild<QPushButton *>(button)->click();
        });
    };
    press("cmdCancel");
    EXPECT_FALSE(frmRangeModeSetup::edit(nullptr, store, dialogs, options));
    EXPECT_EQ(options.Pause, 1);
    press("cmdOK");
    EXPECT_TRUE(frmRangeModeSetup::edit(nullptr, store, dialogs, options));
    EXPECT_EQ(options.Pause, 7);
    EXPECT_EQ(options.NoofTimes, 4);
    EXPECT_EQ(store.get("RangeModeSetup", "NoofTimes", ""), "4");
}
