#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <optional>
#include <vector>

#include "controls/animatedgifctl.h"
#include "controls/cbutton.h"
#include "controls/picturebutton.h"
#include "controls/sliderpic.h"
#include "controls/ucslider.h"
#include "controls/usercontrol1.h"
#include "display/qthtmlview.h"
#include "mainwindowfixture.h"
#include "platform/documentopener.h"
#include "recitation/recitationcontroller.h"

using namespace varnelo;
using namespace varnelo::test;

namespace {

// An opener that records the files it was asked to open and opens nothing.
class RecordingOpener : public DocumentOpener {
public:
    bool openFile(const QString &path) override {
        files.append(path);
        return opens;
    }
    bool openAddress(const QString &) override { return false; }

    QStringList files;
    bool opens = true;
};

// The shown and active window over the shared program folder, with 002.mp3 installed and a page
// tall enough to scroll. Keys go to whichever control has the focus, as the user types them.
class MainCommandsTest : public MainWindowFixture {
protected:
    MainCommandsTest() {
        m_pageHeight = 1200;
        m_saveDialog = &m_messages;
        m_opener = &m_recordingOpener;
    }

    // Starts the window with sura (0: none) selected; 002.mp3 is made of pcm when given.
    void start(int sura = 2, const std::optional<Pcm> &pcm = std::nullopt) {
        ASSERT_TRUE(pcm ? installMp3(*pcm) : installMp3());
        ASSERT_TRUE(load());
        activate();
        if (sura)
            select(sura);
        ASSERT_EQ(window().loader().loadedSura(), sura);
    }
    // The window goes before the fakes it was handed.
    void TearDown() override { m_window.reset(); }

    // Runs answer on the next modal window to open (of that name, when given), once it is up.
    void onModal(std::function<void(QWidget *)> answer, const QString &name = {}, int tries = 50) {
        QTimer::singleShot(0, [this, answer, name, tries] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal || (!name.isEmpty() && modal->objectName() != name)) {
                if (tries > 0)
                    onModal(answer, name, tries - 1);  // not up yet
                return;
            }
            m_modals.append(modal->objectName());
            answer(modal);
        });
    }
    // Types text into the quick dialog's number box, then Enter unless the text ends the entry.
    void answerNumber(const QString &text, const QString &name = {}, bool enter = true) {
        onModal(
            [text, enter](QWidget *dialog) {
                auto *box = dialog->findChild<QLineEdit *>("txtSuraNo");
                ASSERT_NE(box, nullptr);
                QTest::keyClicks(box, text);
                if (enter)
                    QTest::keyClick(box, Qt::Key_Return);
            },
            name);
    }
    void cancelModal() {
        onModal([](QWidget *dialog) { static_cast<QDialog *>(dialog)->reject(); });
    }

    QWidget *pageWidget() { return get<QWidget>("AnimatedGifCtl1"); }
    RecitationController &controller() { return window().controller(); }
    VerseRange range() { return controller().range(); }
    void setRange(int begin, int end) {
        ASSERT_FALSE(slider(0).setValue(begin).has_value());
        ASSERT_FALSE(slider(1).setValue(end).has_value());
    }
    QString status() { return get<QLabel>("lblStatus")->text(); }
    void click(const char *name) { QTest::mouseClick(get<QWidget>(name), Qt::LeftButton); }

    RecordingOpener m_recordingOpener;
    QStringList m_modals;
};

// Controls of the main window that can hold the focus: the page, the verse ticks, the sura list,
// a slider, a translation view and owner-drawn buttons.
const std::array<const char *, 9> FocusTargets = {
    "AnimatedGifCtl1", "UserControl11", "cmbSura",      "ucSlider1_2",
    "wbTamsen",        "cmdRangeBegin", "chkVisible_2", "cmdRangeMoveForward",
    "SliderPic1"};

}  // namespace

// ---- Keys reach the commands once, whichever control has the focus ----------------------------

TEST_F(MainCommandsTest, DigitsHomeAndXActOnceWhicheverControlHasTheFocus) {
    VARNELO_SKIP_WITHOUT_LAME();
    start();
    int starts = m_audio.startCount();
    for (const char *name : FocusTargets) {
        SCOPED_TRACE(name);
        QWidget *target = get<QWidget>(name);
        setRange(10, 40);

        press(target, Qt::Key_3);
        EXPECT_EQ(range().RE, 12);
        EXPECT_EQ(m_audio.startCount(), ++starts);
        EXPECT_EQ(window().Fmod().EndPosition(), verseEnd(12));
        EXPECT_EQ(list()->currentIndex(), 1);  // the digit did not jump to sura 3

        press(target, Qt::Key_5, Qt::KeypadModifier);
        EXPECT_EQ(range().RE, 14);
        EXPECT_EQ(m_audio.startCount(), ++starts);

        press(target, Qt::Key_Home);
        EXPECT_EQ(range().RB, 0);
        EXPECT_EQ(range().RE, lastIndexOf(2));
        EXPECT_EQ(range().CV, 0);
        EXPECT_EQ(m_audio.startCount(), ++starts);

        setRange(4, 6);
        press(target, Qt::Key_X);
        EXPECT_EQ(m_audio.startCount(), ++starts);
        EXPECT_EQ(window().Fmod().EndPosition(), verseEnd(6));
        EXPECT_EQ(window().CurrentVerse(), 4);
    }
    EXPECT_TRUE(m_messages.shown.isEmpty()) << m_messages.shown.join('|').toStdString();
}

TEST_F(MainCommandsTest, UpAndDownScrollThePageOneStepUnlessATranslationHasTheFocus) {
    VARNELO_SKIP_WITHOUT_LAME();
    start();
    for (const char *name : {"AnimatedGifCtl1", "UserControl11", "cmbSura", "ucSlider1_2",
                             "cmdRangeEnd", "optVerseAdvance_0", "SliderPic1"}) {
        SCOPED_TRACE(name);
        QWidget *target = get<QWidget>(name);
        press(target, Qt::Key_Down);
        EXPECT_EQ(window().pageTop(), -100);
        press(target, Qt::Key_Down);
        EXPECT_EQ(window().pageTop(), -200);
        press(target, Qt::Key_Up);
        EXPECT_EQ(window().pageTop(), -100);
        press(target, Qt::Key_Up);
        EXPECT_EQ(window().pageTop(), 0);
        // The arrows went to the page only: no sura, slider or mode moved.
        EXPECT_EQ(list()->currentIndex(), 1);
        EXPECT_EQ(slider(2).Value(), 0);
        EXPECT_TRUE(controller().Auto());
    }
    press(view(2), Qt::Key_Down);
    EXPECT_EQ(window().pageTop(), 0);

    // Sura 1's page does not scroll.
    select(1);
    press(pageWidget(), Qt::Key_Down);
    EXPECT_EQ(window().pageTop(), 0);
}

TEST_F(MainCommandsTest, TheVolumeSliderSetsTheEngineAndFollowsTheKeys) {
    VARNELO_SKIP_WITHOUT_LAME();
    start();
    SliderPic *volume = get<SliderPic>("SliderPic1");
    EXPECT_EQ(volume->model().CurPosition(), 500);  // nothing stored
    const int start = volume->model().trackStart();
    const int length = volume->model().trackLength();
    ASSERT_EQ(length % 2, 0);

    QTest::mouseClick(volume, Qt::LeftButton, {}, QPoint(start + length, 10));
    EXPECT_EQ(window().volume(), 1000);
    EXPECT_EQ(window().Fmod().masterVolume(), 255);
    // Dragging sets the engine at every step.
    QTest::mousePress(volume, Qt::LeftButton, {}, QPoint(start + length / 10, 10));
    EXPECT_EQ(window().volume(), 100);
    EXPECT_EQ(window().Fmod().masterVolume(), 26);
    QMouseEvent move(QEvent::MouseMove, QPointF(start + length / 2, 10),
                     volume->mapToGlobal(QPointF(start + length / 2, 10)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(volume, &move);
    QTest::mouseRelease(volume, Qt::LeftButton, {}, QPoint(start + length / 2, 10));
    EXPECT_EQ(window().volume(), 500);
    EXPECT_EQ(window().Fmod().masterVolume(), 128);

    // Keypad + and - move the slider too, and stop at its ends.
    press(volume, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(volume->model().CurPosition(), 600);
    for (int i = 0; i < 6; ++i)
        press(list(), Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(volume->model().CurPosition(), 1000);
    EXPECT_EQ(window().volume(), 1000);
    EXPECT_EQ(window().Fmod().masterVolume(), 255);

    // Each Play applies the slider's volume again.
    QTest::mouseClick(volume, Qt::LeftButton, {}, QPoint(start, 10));
    EXPECT_EQ(window().Fmod().masterVolume(), 0);
    press(pageWidget(), Qt::Key_X);
    EXPECT_EQ(window().Fmod().masterVolume(), 0);
}

TEST_F(MainCommandsTest, TheEqualizerWindowSwitchesAndShapesTheSoundAndStoresOnClosing) {
    VARNELO_SKIP_WITHOUT_LAME();
    start();
    auto *button = get<cButton>("cmdEqualizer");
    EXPECT_EQ(button->caption(), "Equalizer ON");
    EXPECT_TRUE(window().Fmod().isEqualizerEnabled());

    bool titleShown = true;
    onModal([&](QWidget *dialog) {
        titleShown = window().titleWindow()->isVisible();
        auto *check = dialog->findChild<QCheckBox *>("chkDSP");
        ASSERT_NE(check, nullptr);
        EXPECT_TRUE(check->isChecked());
        QTest::mouseClick(check, Qt::LeftButton);
        EXPECT_EQ(button->caption(), "Equalizer OFF");
        EXPECT_FALSE(window().Fmod().isEqualizerEnabled());
        auto *band = dialog->findChild<ucSlider *>("ucSlider1_4");
        ASSERT_NE(band, nullptr);
        ASSERT_FALSE(band->model().setValue(-12));
        EXPECT_EQ(window().Fmod().equalizerGains()[4], -12);
        QTest::mouseClick(dialog->findChild<cButton *>("cmdClose"), Qt::LeftButton);
    });
    click("cmdEqualizer");
    EXPECT_FALSE(titleShown);
    EXPECT_TRUE(window().titleWindow()->isVisible());
    EXPECT_EQ(m_store.get("EQ", "EQEnabled", ""), "False");
    EXPECT_EQ(m_store.get("EQ", "Val4", ""), "-12");
    EXPECT_EQ(m_store.get("EQ", "Val0", ""), "-8");
}

TEST_F(MainCommandsTest, VolumeAboutAndTheTaskbarButtonsKeys) {
    VARNELO_SKIP_WITHOUT_LAME();
    start();
    const int about = m_aboutShown;
    press(view(3), Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(window().volume(), 600);
    EXPECT_EQ(window().Fmod().masterVolume(), 600 * 255 / 1000);  // the engine's scale
    press(list(), Qt::Key_Minus, Qt::KeypadModifier);
    press(list(), Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(window().volume(), 400);
    EXPECT_EQ(window().Fmod().masterVolume(), 400 * 255 / 1000);
    press(pageWidget(), Qt::Key_F1);
    EXPECT_EQ(m_aboutShown, about + 1);

    // The taskbar button hands its keys on, each once.
    setRange(10, 40);
    QTest::keyClick(window().titleWindow(), Qt::Key_4);
    EXPECT_EQ(range().RE, 13);
    EXPECT_EQ(m_audio.startCount(), 1);
    QTest::keyClick(window().titleWindow(), Qt::Key_P);
    EXPECT_TRUE(m_audio.isPaused());
}

// ---- The sura list ----------------------------------------------------------------------------

TEST_F(MainCommandsTest, ClosedSuraListKeepsItsSuraOnArrowsAndDigits) {
    VARNELO_SKIP_WITHOUT_LAME();
    start(1);  // no page scrolling: the arrows reach the list itself
    for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_Right, Qt::Key_Left}) {
        press(list(), key);
        EXPECT_EQ(list()->currentIndex(), 0) << key;
    }
    select(2);
    for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Right, Qt::Key_Up, Qt::Key_Left}) {
        press(list(), key);
        EXPECT_EQ(list()->currentIndex(), 1) << key;
    }
    const int starts = m_audio.startCount();
    press(list(), Qt::Key_7);
    EXPECT_EQ(list()->currentIndex(), 1);
    EXPECT_EQ(range().RE, 6);
    EXPECT_EQ(m_audio.startCount(), starts + 1);
    press(list(), Qt::Key_0);
    EXPECT_EQ(list()->currentIndex(), 1);
    EXPECT_EQ(window().loader().loadedSura(), 2);
}

TEST_F(MainCommandsTest, OpenSuraListMovesOnArrowsButDigitsStillOnlySetTheRange) {
    VARNELO_SKIP_WITHOUT_LAME();
    start();
    setRange(10, 40);
    list()->showPopup();
    QAbstractItemView *entries = list()->view();
    ASSERT_TRUE(entries->isVisible());
    const int starts = m_audio.startCount();
    QTest::keyClick(entries, Qt::Key_3);
    EXPECT_EQ(entries->currentIndex().row(), 1);  // no jump to sura 3
    EXPECT_EQ(range().RE, 12);
    EXPECT_EQ(m_audio.startCount(), starts + 1);

    // Arrows move in the open list, and the page stays.
    const int top = window().pageTop();
    QTest::keyClick(entries, Qt::Key_Down);
    EXPECT_EQ(entries->currentIndex().row(), 2);
    EXPECT_EQ(window().pageTop(), top);
    QTest::keyClick(entries, Qt::Key_Up);
    QTest::keyClick(entries, Qt::Key_Return);
    EXPECT_FALSE(entries->isVisible());
    EXPECT_EQ(list()->currentIndex(), 1);
}

TEST_F(MainCommandsTest, WithNoSuraOnlyRangeSetupSuraDialogAndRestoreAct) {
    VARNELO_SKIP_WITHOUT_LAME();
    start(0);
    QWidget *target = pageWidget();
    const std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>> ignored = {
        {Qt::Key_X, {}},
        {Qt::Key_3, {}},
        {Qt::Key_Home, {}},
        {Qt::Key_PageDown, {}},
        {Qt::Key_PageUp, {}},
        {Qt::Key_M, {}},
        {Qt::Key_N, {}},
        {Qt::Key_P, {}},
        {Qt::Key_B, {}},
        {Qt::Key_E, {}},
        {Qt::Key_V, {}},
        {Qt::Key_A, Qt::AltModifier},
        {Qt::Key_V, Qt::AltModifier},
        {Qt::Key_W, Qt::AltModifier},
        {Qt::Key_Down, {}},
        {Qt::Key_F1, {}},
        {Qt::Key_Plus, Qt::KeypadModifier}};
    for (const auto &[key, modifiers] : ignored)
        press(target, key, modifiers);
    EXPECT_EQ(list()->currentIndex(), -1);
    EXPECT_EQ(m_audio.startCount(), 0);
    EXPECT_TRUE(controller().Auto());
    EXPECT_TRUE(window().panelStack().isShown(1));
    EXPECT_TRUE(window().panelStack().isShown(4));
    EXPECT_EQ(window().volume(), 500);
    EXPECT_EQ(m_aboutShown, 1);  // the first start's, no other
    EXPECT_TRUE(m_modals.isEmpty());

    cancelModal();
    press(target, Qt::Key_R, Qt::ControlModifier);
    cancelModal();
    press(target, Qt::Key_S);
    EXPECT_EQ(m_modals, (QStringList{"frmRangeModeSetup", "frmQuickSuraSelect"}));
    EXPECT_EQ(list()->currentIndex(), -1);

    // L with nothing stored selects the first sura.
    press(target, Qt::Key_L);
    EXPECT_EQ(list()->currentIndex(), 0);
    EXPECT_EQ(window().loader().loadedSura(), 1);
}

// ---- Mode buttons and window checks ----------------------------------------------------------

TEST_F(MainCommandsTest, ModeButtonsSwallowKeysAndAltSwitchesTheMode) {
    VARNELO_SKIP_WITHOUT_LAME();
    start();
    auto *range = get<QRadioButton>("optVerseAdvance_0");
    auto *verse = get<QRadioButton>("optVerseAdvance_1");
    for (QRadioButton *option : {range, verse}) {
        for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Right, Qt::Key_Left, Qt::Key_Q})
            press(option, key);
    }
    EXPECT_TRUE(range->isChecked());
    EXPECT_FALSE(verse->isChecked());
    EXPECT_TRUE(controller().Auto());
    EXPECT_EQ(m_audio.startCount(), 0);

    auto *play = get<PictureButton>("cmdPlay");
    EXPECT_EQ(play->toolTip(), "Recite Range");
    press(pageWidget(), Qt::Key_V, Qt::AltModifier);
    EXPECT_TRUE(verse->isChecked());
    EXPECT_FALSE(range->isChecked());
    EXPECT_TRUE(controller().Keyboard());
    EXPECT_EQ(play->toolTip(), "Recite Verse");
    EXPECT_EQ(m_audio.startCount(), 1);  // the new mode plays at once
    EXPECT_TRUE(m_modals.isEmpty());     // V with Alt is not the verse dialog

    // A key on the mode button still acts as a command.
    press(verse, Qt::Key_R, Qt::AltModifier);
    EXPECT_TRUE(range->isChecked());
    EXPECT_TRUE(controller().Auto());
    EXPECT_EQ(play->toolTip(), "Recite Range");
    EXPECT_EQ(m_audio.startCount(), 2);

    // The mouse still switches.
    QTest::mouseClick(verse, Qt::LeftButton);
    EXPECT_TRUE(controller().Keyboard());
    EXPECT_EQ(play->toolTip(), "Recite Verse");
}

TEST_F(MainCommandsTest, AltAHidesTheArabicWindowAndItsCheckButtonShowsIt) {
    VARNELO_SKIP_WITHOUT_LAME();
    start();
    auto *check = get<cButton>("chkVisible_1");
    ASSERT_TRUE(check->checked());
    press(list(), Qt::Key_A, Qt::AltModifier);
    EXPECT_FALSE(window().panelStack().isShown(1));
    EXPECT_FALSE(get<QWidget>("Picture1_1")->isVisible());
    EXPECT_FALSE(check->checked());

    QTest::mouseClick(check, Qt::LeftButton);
    EXPECT_TRUE(window().panelStack().isShown(1));
    EXPECT_TRUE(get<QWidget>("Picture1_1")->isVisible());
    EXPECT_TRUE(check->checked());
    EXPECT_TRUE(page()->isVisible());

    press(list(), Qt::Key_A, Qt::AltModifier);
    press(list(), Qt::Key_A, Qt::AltModifier);
    EXPECT_TRUE(window().panelStack().isShown(1));
    EXPECT_TRUE(check->checked());
}

TEST_F(MainCommandsTest, AltWTogglesTheThirdTranslationOnly) {
    VARNELO_SKIP_WITHOUT_LAME();
    start();
    setRange(3, 9);
    const VerseRange before = range();
    press(pageWidget(), Qt::Key_W, Qt::AltModifier);
    EXPECT_FALSE(window().panelStack().isShown(4));
    EXPECT_FALSE(get<cButton>("chkVisible_4")->checked());
    for (int w : {1, 2, 3})
        EXPECT_TRUE(window().panelStack().isShown(w)) << w;
    EXPECT_EQ(range(), before);
    EXPECT_EQ(m_audio.startCount(), 0);
    EXPECT_TRUE(controller().Auto());
    EXPECT_TRUE(m_modals.isEmpty());

    press(pageWidget(), Qt::Key_W, Qt::AltModifier);
    EXPECT_TRUE(window().panelStack().isShown(4));
    EXPECT_TRUE(get<cButton>("chkVisible_4")->checked());
}

TEST_F(MainCommandsTest, PageKeysChangeTheSuraAndAltF4ClosesTheProgram) {
    VARNELO_SKIP_WITHOUT_LAME();
    start(1);
    press(view(2), Qt::Key_PageDown);
    EXPECT_EQ(list()->currentIndex(), 1);
    EXPECT_EQ(window().loader().loadedSura(), 2);
    EXPECT_EQ(m_audio.startCount(), 1);
    press(list(), Qt::Key_PageUp);
    EXPECT_EQ(list()->currentIndex(), 0);
    press(list(), Qt::Key_PageUp);
    EXPECT_EQ(list()->currentIndex(), 0);
    press(list(), Qt::Key_PageDown);
    ASSERT_EQ(list()->currentIndex(), 1);

    setRange(3, 9);
    press(pageWidget(), Qt::Key_F4, Qt::AltModifier);
    EXPECT_EQ(m_ended, 1);
    EXPECT_FALSE(window().isVisible());
    EXPECT_FALSE(window().Fmod().isPlaying());
    EXPECT_EQ(m_store.get("Main", "Sura", ""), "1");
    EXPECT_EQ(m_store.get("Main", "RB", ""), "3");
    EXPECT_EQ(m_store.get("Main", "RE", ""), "9");
}

// ---- Transport buttons and the status line ----------------------------------------------------

TEST_F(MainCommandsTest, TransportButtonsPlayPauseStopAndChangeTheSura) {
    VARNELO_SKIP_WITHOUT_LAME();
    start();
    setRange(3, 9);
    EXPECT_TRUE(status().isEmpty()) << status().toStdString();

    click("cmdPlay");
    EXPECT_EQ(m_audio.startCount(), 1);
    EXPECT_EQ(window().Fmod().EndPosition(), verseEnd(9));
    EXPECT_EQ(window().CurrentVerse(), 3);
    EXPECT_TRUE(window().Fmod().isPlaying());
    EXPECT_TRUE(status().contains("Verse 3")) << status().toStdString();

    click("cmdPause");
    EXPECT_TRUE(m_audio.isPaused());
    EXPECT_TRUE(controller().Paused());
    EXPECT_EQ(status(), "Paused");
    click("cmdPause");
    EXPECT_FALSE(m_audio.isPaused());
    EXPECT_FALSE(controller().Paused());
    EXPECT_EQ(m_audio.startCount(), 1);  // resumed, not restarted
    // Play while paused resumes as well.
    click("cmdPause");
    click("cmdPlay");
    EXPECT_FALSE(m_audio.isPaused());
    EXPECT_EQ(m_audio.startCount(), 1);

    ASSERT_FALSE(slider(2).setValue(6).has_value());
    click("cmdStop");
    EXPECT_FALSE(window().Fmod().isPlaying());
    EXPECT_FALSE(controller().following());
    EXPECT_EQ(range().CV, 3);
    EXPECT_FALSE(status().contains("Verse")) << status().toStdString();
    EXPECT_FALSE(status().contains("Paus")) << status().toStdString();

    // Previous from sura 2 is sura 1, whose recitation is not installed; next comes back.
    click("cmdPrev");
    EXPECT_EQ(list()->currentIndex(), 0);
    EXPECT_EQ(window().loader().loadedSura(), 1);
    ASSERT_EQ(m_messages.shown.size(), 1);
    EXPECT_TRUE(m_messages.shown[0].startsWith("Audio file not installed: "));
    click("cmdPrev");
    EXPECT_EQ(list()->currentIndex(), 0);
    click("cmdNext");
    EXPECT_EQ(list()->currentIndex(), 1);
    EXPECT_EQ(window().loader().loadedSura(), 2);
    EXPECT_EQ(m_audio.startCount(), 2);
    EXPECT_EQ(window().Fmod().EndPosition(), verseEnd(lastIndexOf(2)));
    EXPECT_TRUE(status().contains("Verse")) << status().toStdString();
}

TEST_F(MainCommandsTest, PlayTipFollowsTheModeAndVerseModePlaysOneVerse) {
    VARNELO_SKIP_WITHOUT_LAME();
    start();
    setRange(3, 9);
    ASSERT_FALSE(slider(2).setValue(5).has_value());
    auto *play = get<PictureButton>("cmdPlay");
    selectVerseMode();
    EXPECT_EQ(play->toolTip(), "Recite Verse");
    click("cmdPlay");
    EXPECT_EQ(window().Fmod().EndPosition(), verseEnd(5));
    EXPECT_FALSE(controller().following());
    EXPECT_TRUE(status().contains("Verse 5")) << status().toStdString();
    // The verse plays out: the status line no longer says it is reciting.
    m_audio.advance(300);
    runEventsFor(20);
    EXPECT_FALSE(window().Fmod().isPlaying());
    EXPECT_FALSE(status().contains("Verse")) << status().toStdString();

    // C and Z step inside the range, wrapping at its ends.
    ASSERT_FALSE(slider(2).setValue(9).has_value());
    press(pageWidget(), Qt::Key_C);
    EXPECT_EQ(window().CurrentVerse(), 3);
    EXPECT_EQ(window().Fmod().EndPosition(), verseEnd(3));
    press(pageWidget(), Qt::Key_Z);
    EXPECT_EQ(window().CurrentVerse(), 9);

    QTest::mouseClick(get<QRadioButton>("optVerseAdvance_0"), Qt::LeftButton);
    EXPECT_EQ(play->toolTip(), "Recite Range");
    EXPECT_TRUE(controller().following());
    const int starts = m_audio.startCount();
    press(pageWidget(), Qt::Key_C);  // nothing in range mode
    EXPECT_EQ(m_audio.startCount(), starts);
}

// ---- Restoring the last position ---------------------------------------------------------------

TEST_F(MainCommandsTest, LRestoresTheStoredPosition) {
    VARNELO_SKIP_WITHOUT_LAME();
    start(36);
    m_store.save("Main", "Sura", "1");
    m_store.save("Main", "RB", "3");
    m_store.save("Main", "RE", "9");
    m_store.save("Main", "CurPos", "5");
    m_store.save("Main", "CurVerse", "5");
    press(list(), Qt::Key_L);
    EXPECT_EQ(list()->currentIndex(), 1);
    EXPECT_EQ(window().loader().loadedSura(), 2);
    EXPECT_EQ(slider(0).Value(), 3);
    EXPECT_EQ(slider(1).Value(), 9);
    EXPECT_EQ(slider(2).Value(), 5);
    EXPECT_EQ(window().CurrentVerse(), 5);
    EXPECT_TRUE(view(2)->plainText().contains("v5"));
    EXPECT_EQ(m_audio.startCount(), 0);

    // A value the sura cannot take leaves its slider as it was.
    m_store.save("Main", "RE", QString::number(lastIndexOf(2) + 1));
    m_store.save("Main", "RB", "4");
    press(pageWidget(), Qt::Key_L);
    EXPECT_EQ(slider(0).Value(), 4);
    EXPECT_EQ(slider(1).Value(), 9);

    // The last exit had no sura selected: the recitation keeps its sura and its keys.
    m_store.save("Main", "Sura", "-1");
    m_store.save("Main", "RB", "0");
    m_store.save("Main", "RE", "0");
    click("cmdPlay");
    press(pageWidget(), Qt::Key_L);
    EXPECT_EQ(list()->currentIndex(), 1);
    EXPECT_EQ(slider(0).Value(), 4);
    EXPECT_EQ(slider(1).Value(), 9);
    EXPECT_TRUE(window().Fmod().isPlaying());
    press(pageWidget(), Qt::Key_P);
    EXPECT_TRUE(m_audio.isPaused());
}

// ---- Range to MP3 and the index ----------------------------------------------------------------

TEST_F(MainCommandsTest, RangeToMp3SavesTheRangeOrSaysTheRangeIsWrong) {
    VARNELO_SKIP_WITHOUT_LAME();
    start(2, noisyTone(3));  // no stretch of it repeats: the saved sound shows where it came from
    setRange(20, 100);
    click("cmdPlay");
    m_messages.chosenPath = dataPath("saved");
    click("cmdRangeToMP3");
    EXPECT_FALSE(window().Fmod().isPlaying());  // saving stops the recitation
    EXPECT_EQ(m_messages.offeredName, "002-020-100.MP3");
    EXPECT_TRUE(m_messages.shown.isEmpty()) << m_messages.shown.join('|').toStdString();
    const std::optional<ClipMatch> match =
        matchClipFile(dataPath("saved.mp3"), dataPath("mp3/002.mp3"), 200, verseEnd(100));
    ASSERT_TRUE(match.has_value());
    EXPECT_EQ(match->mismatched, 0);
    EXPECT_LE(match->extra, 1152);  // at most a frame of lead-in

    setRange(9, 3);
    ASSERT_EQ(range().RB, 9);
    ASSERT_EQ(range().RE, 3);
    m_messages.chosenPath = dataPath("wrong");
    click("cmdRangeToMP3");
    ASSERT_EQ(m_messages.shown.size(), 1);
    EXPECT_TRUE(m_messages.shown[0].startsWith("Incorrect Range: "));
    EXPECT_FALSE(QFileInfo::exists(dataPath("wrong.mp3")));
}

TEST_F(MainCommandsTest, IndexOpensTheIndexFileOrSaysItIsMissing) {
    VARNELO_SKIP_WITHOUT_LAME();
    start(0);
    click("cmdIndex");
    ASSERT_EQ(m_messages.shown.size(), 1);
    EXPECT_TRUE(m_messages.shown[0].startsWith("Quran Index not found: "));
    EXPECT_TRUE(m_recordingOpener.files.isEmpty());

    writeFile("Dozive.chm", "index");
    click("cmdIndex");
    EXPECT_EQ(m_messages.shown.size(), 1);
    ASSERT_EQ(m_recordingOpener.files.size(), 1);
    EXPECT_EQ(QFileInfo(m_recordingOpener.files[0]), QFileInfo(dataPath("Dozive.chm")));

    // Installed but with nothing to open it: said so, not called missing.
    m_recordingOpener.opens = false;
    click("cmdIndex");
    ASSERT_EQ(m_messages.shown.size(), 2);
    EXPECT_TRUE(m_messages.shown[1].startsWith("Quran Index: "));
    EXPECT_TRUE(m_messages.shown[1].contains("Dozive.chm is installed"))
        << qPrintable(m_messages.shown[1]);
}

// ---- Range moves and the quick dialogs ---------------------------------------------------------

TEST_F(MainCommandsTest, RangeMoveButtonsShiftTheRangeByItsLength) {
    VARNELO_SKIP_WITHOUT_LAME();
    start();
    setRange(1, 5);
    click("cmdRangeMoveForward");
    EXPECT_EQ(range().RB, 6);
    EXPECT_EQ(range().RE, 10);
    EXPECT_EQ(window().CurrentVerse(), 6);
    EXPECT_EQ(m_audio.startCount(), 1);
    EXPECT_EQ(window().Fmod().EndPosition(), verseEnd(10));

    click("cmdRangeMoveBackward");
    EXPECT_EQ(range().RB, 1);
    EXPECT_EQ(range().RE, 5);
    EXPECT_EQ(m_audio.startCount(), 2);
    // The keys do the same.
    press(pageWidget(), Qt::Key_M);
    EXPECT_EQ(range().RB, 6);
    press(list(), Qt::Key_N);
    EXPECT_EQ(range().RB, 1);
    EXPECT_EQ(m_audio.startCount(), 4);
}

TEST_F(MainCommandsTest, QuickDialogsSetTheRangeEndsAndMoveToAVerse) {
    VARNELO_SKIP_WITHOUT_LAME();
    start();
    setRange(1, 20);
    answerNumber("3");
    press(pageWidget(), Qt::Key_B);
    EXPECT_EQ(range().RB, 3);
    EXPECT_EQ(range().RE, 20);

    answerNumber("12");
    press(list(), Qt::Key_E);
    EXPECT_EQ(range().RB, 3);
    EXPECT_EQ(range().RE, 12);

    answerNumber("5");
    press(pageWidget(), Qt::Key_V);
    EXPECT_EQ(window().CurrentVerse(), 5);
    EXPECT_EQ(range().CV, 5);
    EXPECT_EQ(range().RB, 3);
    EXPECT_EQ(range().RE, 12);
    EXPECT_EQ(m_audio.startCount(), 1);  // the verse is recited

    answerNumber("36");
    press(get<QWidget>("ucSlider1_2"), Qt::Key_S);
    EXPECT_EQ(list()->currentIndex(), 35);
    EXPECT_EQ(window().loader().loadedSura(), 36);
    EXPECT_EQ(m_modals, (QStringList{"frmQuickVerseSelect", "frmQuickVerseSelect",
                                     "frmQuickVerseSelect", "frmQuickSuraSelect"}));

    // "v" after the sura number goes on to the verse dialog of the sura just loaded.
    answerNumber("2v", "frmQuickSuraSelect", false);
    answerNumber("7", "frmQuickVerseSelect");
    press(pageWidget(), Qt::Key_S);
    EXPECT_EQ(list()->currentIndex(), 1);
    EXPECT_EQ(window().CurrentVerse(), 7);
    EXPECT_EQ(range().CV, 7);
    EXPECT_EQ(m_modals.mid(4), (QStringList{"frmQuickSuraSelect", "frmQuickVerseSelect"}));
    EXPECT_TRUE(m_messages.shown.isEmpty()) << m_messages.shown.join('|').toStdString();
}
