#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>

#include <map>

#include "controls/animatedgifctl.h"
#include "controls/cbutton.h"
#include "controls/ucslider.h"
#include "controls/usercontrol1.h"
#include "data/suracatalogue.h"
#include "display/qthtmlview.h"
#include "mainwindow/frmmain.h"
#include "mainwindowfixture.h"

using namespace varnelo;
using namespace varnelo::test;

namespace {

// The window over the program folder of the shared fixture.
class frmMainTest : public MainWindowFixture {};

}  // namespace

TEST_F(frmMainTest, FirstStartWipesOldSettingsFitsTheScreenAndShowsAbout) {
    m_store.save("version", "version", "4.0 beta1");
    m_store.save("Main", "FirstTime", "0");
    m_store.save("Main", "Top", "3000");
    writeFile("mp3/002.mp3", "");
    ASSERT_TRUE(load());
    // A work folder of this instance's own, inside the private "VX" folder.
    EXPECT_TRUE(QDir(window().TempFolder()).exists());
    EXPECT_TRUE(window().TempFolder().contains("/VX/"));
    EXPECT_EQ(m_store.get("version", "version", ""), "4.0 beta2");
    EXPECT_EQ(m_store.get("Main", "FirstTime", ""), "0");
    EXPECT_EQ(m_store.get("Main", "Top", "NO"), "NO");

    const QRect area = window().screen()->availableGeometry();
    EXPECT_EQ(window().pos(), area.topLeft());
    EXPECT_EQ(window().width(), area.width());
    EXPECT_EQ(window().height(), area.height());
    EXPECT_EQ(list()->currentIndex(), -1);
    EXPECT_EQ(list()->itemText(0), "1. AL-FATIHA (mp3 missing)");
    EXPECT_EQ(list()->itemText(1), "2. AL-BAQARA");
    EXPECT_EQ(m_aboutShown, 1);
    EXPECT_TRUE(window().StartupDone());
    for (int w = 2; w <= 4; ++w) {
        EXPECT_EQ(get<QLabel>(QString("Label1_%1").arg(w))->text(), Translations[w - 2][2]);
        EXPECT_EQ(get<cButton>(QString("chkVisible_%1").arg(w))->caption(), Translations[w - 2][1]);
    }
}

TEST_F(frmMainTest, SecondStartRestoresWhatTheFirstRunStored) {
    ASSERT_TRUE(load());
    get<QPushButton>("imgClose_3")->click();
    window().move(100, 50);
    window().close();
    ASSERT_EQ(m_ended, 1);
    const PanelStack first = window().panelStack();
    EXPECT_FALSE(first.isShown(3));

    restart();
    m_store.save("T", "h", "180");
    m_store.save("T", "Back", QString::number(0x0000FF));  // red, in BGR order
    m_store.save("About", "Show3", "0");
    m_store.save("Vol", "Pos", "700");
    m_store.save("W", "TransName", "Alpha");  // names match whatever their letter case
    ASSERT_TRUE(load());
    EXPECT_EQ(window().volume(), 700);
    EXPECT_EQ(window().page(4).TransName(), "Alpha");
    EXPECT_EQ(get<QLabel>("Label1_4")->text(), "Alpha window");
    EXPECT_EQ(get<cButton>("chkVisible_4")->caption(), "Al");
    EXPECT_EQ(window().pos(), QPoint(100, 50));
    EXPECT_EQ(window().panelStack().tags, first.tags);
    EXPECT_FALSE(get<QWidget>("Picture1_3")->isVisible());
    EXPECT_EQ(get<QWidget>("Picture1_2")->height(), 180);
    EXPECT_EQ(get<QWidget>("Picture1_1")->height(), first.heights[1]);
    EXPECT_EQ(window().page(2).BackColourHex, "FF0000");
    EXPECT_EQ(window().width(), first.width);
    EXPECT_EQ(m_aboutShown, 0);
}

TEST_F(frmMainTest, BadStoredLayoutFallsBackOrEndsStartUp) {
    m_store.save("version", "version", "4.0 beta2");
    m_store.save("Main", "FirstTime", "0");
    for (const char *section : {"Arabic", "T", "D", "W"})
        m_store.save(section, "p", "3");
    ASSERT_TRUE(load());
    EXPECT_EQ(window().panelStack().tags, PanelStack().tags);

    restart();
    m_store.save("D", "h", "tall");
    EXPECT_FALSE(load());
    EXPECT_TRUE(window().failureMessage().startsWith("Type mismatch (D/h = \"tall\")\n\nError "))
        << window().failureMessage().toStdString();
    EXPECT_EQ(m_store.size(), 0);
    // Closing what is left of the window must not undo the wipe.
    window().close();
    EXPECT_EQ(m_store.size(), 0);
    EXPECT_EQ(m_ended, 1);
}

TEST_F(frmMainTest, SelectingASuraFillsSlidersPagesAndTheArabicPage) {
    ASSERT_TRUE(load());
    select(2);
    const int last = lastIndexOf(2);
    EXPECT_EQ(slider(0).Max(), last);
    EXPECT_EQ(slider(1).Max(), last);
    EXPECT_EQ(slider(2).Max(), last);
    EXPECT_EQ(slider(0).Value(), 0);
    EXPECT_EQ(slider(1).Value(), last);
    EXPECT_EQ(sliderTip(0), "0");
    EXPECT_EQ(sliderTip(1), QString::number(last));
    EXPECT_EQ(get<UserControl1>("UserControl11")->Verses(), last);
    EXPECT_EQ(window().CurrentVerse(), 0);
    EXPECT_TRUE(view(2)->plainText().contains("bismi alpha"));
    EXPECT_TRUE(view(4)->plainText().contains("bismi gamma"));
    EXPECT_EQ(page()->NumberofFrames(), 2);
    EXPECT_EQ(page()->CurrentFrame(), 0);
    EXPECT_TRUE(get<QLabel>("Label1_5")->isVisible());
    EXPECT_EQ(window().loader().WordCount(), 2);

    // Across the end of part "a" the page of part "b" loads and shows its first frame.
    const TextPart a = textPartsOf(2)[0];
    ASSERT_FALSE(slider(2).setValue(a.last).has_value());
    EXPECT_EQ(page()->NumberofFrames(), 2);
    ASSERT_FALSE(slider(2).setValue(a.last + 1).has_value());
    EXPECT_EQ(window().CurrentVerse(), a.last + 1);
    EXPECT_EQ(page()->NumberofFrames(), 3);
    EXPECT_EQ(page()->CurrentFrame(), 0);
    ASSERT_FALSE(slider(2).setValue(a.last + 2).has_value());
    EXPECT_EQ(page()->CurrentFrame(), 1);
    EXPECT_TRUE(view(3)->plainText().contains(QString("v%1").arg(a.last + 2)));

    // Sura 9 has no opening entry: index 0 is verse 1.
    select(9);
    EXPECT_EQ(sliderTip(0), "1");
    EXPECT_EQ(sliderTip(1), QString::number(lastIndexOf(9) + 1));
    EXPECT_EQ(sliderTip(2), "1");
    EXPECT_EQ(window().CurrentVerse(), 0);
    EXPECT_EQ(slider(2).Value(), 0);
    EXPECT_TRUE(view(2)->plainText().contains("v1"));

    // Sura 67 still has words; its one page comes from a.dat. Sura 1 has no words.
    select(67);
    EXPECT_EQ(slider(1).Value(), lastIndexOf(67));
    EXPECT_EQ(slider(2).Max(), lastIndexOf(67));
    EXPECT_TRUE(get<QLabel>("Label1_5")->isVisible());
    EXPECT_EQ(page()->NumberofFrames(), 2);
    EXPECT_TRUE(page()->isVisible());
    EXPECT_FALSE(notInstalled()->isVisible());
    select(1);
    EXPECT_FALSE(get<QLabel>("Label1_5")->isVisible());
    EXPECT_EQ(window().loader().WordCount(), 0);
    EXPECT_TRUE(m_messages.shown.isEmpty()) << m_messages.shown.join('|').toStdString();
}

TEST_F(frmMainTest, MissingArabicTextSaysSoAndTheRestLoads) {
    ASSERT_TRUE(QFile::remove(dataPath("data/036.dat")));
    ASSERT_TRUE(writeArchive(dataPath("data/a.dat"), {{"001.vxf", "GIF89a"}}));
    ASSERT_TRUE(load());
    for (int sura : {36, 67}) {
        select(sura);
        EXPECT_TRUE(notInstalled()->isVisible()) << sura;
        EXPECT_TRUE(notInstalled()->toPlainText().contains("not installed")) << sura;
        EXPECT_FALSE(page()->isVisible()) << sura;
        EXPECT_EQ(slider(2).Max(), lastIndexOf(sura));
        EXPECT_EQ(window().loader().loadedSura(), sura);
    }
    select(2);
    EXPECT_FALSE(notInstalled()->isVisible());
    EXPECT_TRUE(page()->isVisible());
}

TEST_F(frmMainTest, MissingTimingsGiveOneMessageAndTheNextSelectionLoads) {
    ASSERT_TRUE(QFile::rename(dataPath("data/pos.dat"), dataPath("pos.dat")));
    ASSERT_TRUE(load());
    select(2);
    ASSERT_EQ(m_messages.shown.size(), 1);
    EXPECT_TRUE(m_messages.shown[0].contains("pos.dat")) << m_messages.shown[0].toStdString();
    EXPECT_EQ(window().loader().loadedSura(), 0);

    ASSERT_TRUE(QFile::rename(dataPath("pos.dat"), dataPath("data/pos.dat")));
    select(36);
    EXPECT_EQ(window().loader().loadedSura(), 36);
    EXPECT_EQ(slider(2).Max(), lastIndexOf(36));
    EXPECT_EQ(m_messages.shown.size(), 1);
}

TEST_F(frmMainTest, ClipboardReferencesSelectAndRecite) {
    VARNELO_SKIP_WITHOUT_LAME();
    ASSERT_TRUE(installMp3());
    // Neither before start-up nor while the About window is open.
    m_clipboard.setText("2:5");
    m_duringAbout = [this] { m_clipboard.setText("2:6"); };
    ASSERT_TRUE(load());
    EXPECT_EQ(list()->currentIndex(), -1);

    m_clipboard.setText(" 36:1-12 ");
    EXPECT_EQ(list()->currentIndex(), 35);
    EXPECT_EQ(slider(0).Value(), 1);
    EXPECT_EQ(slider(1).Value(), 12);
    EXPECT_EQ(window().CurrentVerse(), 1);

    m_clipboard.setText("2:255");
    EXPECT_EQ(list()->currentIndex(), 1);
    EXPECT_EQ(window().CurrentVerse(), 255);
    for (int i : {0, 1, 2})
        EXPECT_EQ(slider(i).Value(), 255) << i;
    EXPECT_EQ(m_audio.startCount(), 1);
    EXPECT_EQ(window().Fmod().EndPosition(), verseEnd(255));

    const QString beyond = QString("2:%1").arg(lastIndexOf(2) + 1);
    for (const QString &ignored : {QString("0:5"), QString("2:0"), QString("2:3-0"), QString("abc"),
                                   QString("115:1"), beyond}) {
        m_clipboard.setText(ignored);
        EXPECT_EQ(list()->currentIndex(), 1) << ignored.toStdString();
        for (int i : {0, 1, 2})
            EXPECT_EQ(slider(i).Value(), 255) << ignored.toStdString();
        EXPECT_EQ(window().CurrentVerse(), 255) << ignored.toStdString();
    }
    EXPECT_EQ(m_audio.startCount(), 1);
}

TEST_F(frmMainTest, ClosingStoresEveryValueOnce) {
    ASSERT_TRUE(load());
    select(2);
    window().CallSetTextAndRange(3, 9);
    ASSERT_FALSE(slider(2).setValue(5).has_value());
    window().move(30, 40);
    // Closing the taskbar button closes the program.
    window().titleWindow()->close();
    EXPECT_EQ(m_ended, 1);

    const PanelStack &stack = window().panelStack();
    const std::map<QString, QString> expected = {
        {"Arabic/Font", "0"},
        {"Arabic/Back", "14937827"},
        {"T/Back", QString::number(window().page(2).BackColour())},
        {"D/Font", "0"},
        {"W/Size", "2"},
        {"Main/Left", "450"},
        {"Main/Top", "600"},
        {"Vol/Pos", "500"},
        {"Arabic/p", "2"},
        {"W/p", "5"},
        {"Arabic/h", QString::number(stack.heights[1])},
        {"D/h", QString::number(stack.heights[3])},
        {"Main/width", QString::number(stack.width)},
        {"Me/width", QString::number(window().width() * 15)},  // twips
        {"Main/Sura", "1"},
        {"Main/RB", "3"},
        {"Main/RE", "9"},
        {"Main/CurPos", "5"},
        {"Main/CurVerse", "5"},
    };
    for (const auto &[key, value] : expected) {
        const QStringList parts = key.split('/');
        EXPECT_EQ(m_store.get(parts[0], parts[1], "absent"), value) << key.toStdString();
    }

    m_store.save("Main", "Sura", "later");
    window().close();
    window().Form_Unload();
    EXPECT_EQ(m_store.get("Main", "Sura", ""), "later");
    EXPECT_EQ(m_ended, 1);
}

TEST_F(frmMainTest, AHiddenArabicWindowLoadsThePageOfTheCurrentVerseWhenShown) {
    ASSERT_TRUE(load());
    auto *shown = get<cButton>("chkVisible_1");
    QTest::mouseClick(shown, Qt::LeftButton);
    EXPECT_FALSE(window().panelStack().isShown(1));
    select(2);
    ASSERT_FALSE(slider(2).setValue(textPartsOf(2)[0].last + 2).has_value());
    EXPECT_TRUE(page()->strGifFileName().isEmpty());

    QTest::mouseClick(shown, Qt::LeftButton);
    EXPECT_TRUE(get<QWidget>("Picture1_1")->isVisible());
    EXPECT_EQ(page()->NumberofFrames(), 3);
    EXPECT_EQ(page()->CurrentFrame(), 1);
}

TEST_F(frmMainTest, NoArabicLoadsNoPage) {
    window().setNoArabicArgument(true);
    ASSERT_TRUE(load());
    select(2);
    ASSERT_FALSE(slider(2).setValue(textPartsOf(2)[0].last + 1).has_value());
    select(36);
    EXPECT_TRUE(page()->strGifFileName().isEmpty());
    EXPECT_EQ(page()->NumberofFrames(), 0);
    EXPECT_FALSE(notInstalled()->isVisible());
    EXPECT_TRUE(view(2)->plainText().contains("bismi alpha"));
    EXPECT_TRUE(m_messages.shown.isEmpty());
}

TEST_F(frmMainTest, PageClicksReciteAndTheWordMarkerFollowsTheCurrentVerse) {
    VARNELO_SKIP_WITHOUT_LAME();
    ASSERT_TRUE(installMp3());
    ASSERT_TRUE(load());
    selectVerseMode();
    window().pageMouseDown(1);  // no sura yet
    EXPECT_EQ(m_audio.startCount(), 0);
    select(2);
    ASSERT_FALSE(slider(2).setValue(5).has_value());

    QTest::mouseClick(view(2)->viewport(), Qt::LeftButton);
    EXPECT_EQ(m_audio.startCount(), 1);
    EXPECT_EQ(window().Fmod().EndPosition(), verseEnd(5));
    EXPECT_EQ(window().CurrentVerse(), 5);

    QTest::mouseClick(view(3)->viewport(), Qt::RightButton);
    EXPECT_EQ(m_audio.startCount(), 2);
    EXPECT_EQ(window().Fmod().EndPosition(), verseEnd(6));
    EXPECT_EQ(window().CurrentVerse(), 6);
    EXPECT_EQ(slider(2).Value(), 6);
    EXPECT_TRUE(view(4)->plainText().contains("v6"));

    ASSERT_FALSE(slider(2).setValue(0).has_value());
    auto *marker = get<QLabel>("picWord");
    window().pageMouseMove(5, 5);
    EXPECT_TRUE(marker->isVisible());
    EXPECT_EQ(marker->geometry(), QRect(2, 2, 18, 8));
    EXPECT_EQ(marker->toolTip(), "first");
    window().pageMouseMove(30, 5);  // a word of verse 1
    EXPECT_TRUE(marker->size().isEmpty());

    ASSERT_FALSE(slider(2).setValue(1).has_value());
    window().pageMouseMove(30, 5);
    EXPECT_EQ(marker->geometry(), QRect(22, 2, 18, 8));
    EXPECT_EQ(marker->toolTip(), "second");
}

TEST_F(frmMainTest, RecitingWaitsForTheSuraLoadOrIsDropped) {
    VARNELO_SKIP_WITHOUT_LAME();
    ASSERT_TRUE(installMp3());
    ASSERT_TRUE(load());
    select(2);
    ASSERT_FALSE(slider(2).setValue(5).has_value());

    // Halfway through loading sura 36 its times are in while 002.mp3 is still open: a page
    // click or C would play the wrong file.
    bool pressed = false;
    whileLoading(36, [&] {
        pressed = true;
        window().pageMouseDown(1);
        window().pageMouseDown(2);
        window().Form_KeyDown(Qt::Key_C, Qt::NoModifier);
    });
    select(36);
    ASSERT_TRUE(pressed);
    EXPECT_EQ(m_audio.startCount(), 0);
    EXPECT_EQ(window().CurrentVerse(), 0);
    EXPECT_EQ(slider(2).Value(), 0);

    // A reference arriving during a load waits for its own sura and then recites.
    bool copied = false;
    whileLoading(67, [&] {
        copied = true;
        m_clipboard.setText("2:7");
    });
    select(67);
    ASSERT_TRUE(copied);
    EXPECT_EQ(list()->currentIndex(), 1);
    EXPECT_EQ(window().loader().loadedSura(), 2);
    EXPECT_EQ(window().CurrentVerse(), 7);
    for (int i : {0, 1, 2})
        EXPECT_EQ(slider(i).Value(), 7) << i;
    EXPECT_EQ(m_audio.startCount(), 1);
    EXPECT_EQ(window().Fmod().EndPosition(), verseEnd(7));

    // One naming the sura being loaded applies once that load ends; a newer one replaces it.
    whileLoading(36, [&] {
        m_clipboard.setText("36:3");
        m_clipboard.setText("36:4-6");
    });
    select(36);
    EXPECT_EQ(window().loader().loadedSura(), 36);
    EXPECT_EQ(window().CurrentVerse(), 4);
    EXPECT_EQ(slider(0).Value(), 4);
    EXPECT_EQ(slider(1).Value(), 6);
}

TEST_F(frmMainTest, ANestedStepWhileAPagePartLoadsLeavesTheNewestVerseMarked) {
    ASSERT_TRUE(load());
    select(2);
    const TextPart a = textPartsOf(2)[0];
    ASSERT_FALSE(slider(2).setValue(a.last).has_value());

    // Part "b" lets events run while it loads; a step to the next verse comes in meanwhile.
    bool stepped = false;
    QMetaObject::invokeMethod(
        &window(),
        [&] {
            stepped = true;
            (void)slider(2).setValue(a.last + 2);
        },
        Qt::QueuedConnection);
    ASSERT_FALSE(slider(2).setValue(a.last + 1).has_value());
    ASSERT_TRUE(stepped);
    EXPECT_EQ(window().CurrentVerse(), a.last + 2);
    EXPECT_EQ(page()->NumberofFrames(), 3);
    EXPECT_EQ(page()->CurrentFrame(), 1);
    EXPECT_EQ(window().loader().textParts().CurrentTextPart(), "b");

    // Another sura selected while a part loads: its own first part and verse stay marked.
    ASSERT_FALSE(slider(2).setValue(a.last).has_value());
    QMetaObject::invokeMethod(
        &window(), [&] { select(36); }, Qt::QueuedConnection);
    ASSERT_FALSE(slider(2).setValue(a.last + 2).has_value());
    EXPECT_EQ(window().loader().loadedSura(), 36);
    EXPECT_EQ(window().CurrentVerse(), 0);
    EXPECT_EQ(page()->CurrentFrame(), 0);
    EXPECT_EQ(window().loader().textParts().CurrentTextPart(), "a");
}

TEST_F(frmMainTest, ClosingWhileAClipboardReferenceLoadsItsSuraEndsCleanly) {
    ASSERT_TRUE(load());
    QMetaObject::invokeMethod(
        &window(), [&] { window().close(); }, Qt::QueuedConnection);
    m_clipboard.setText("36:2");
    EXPECT_EQ(m_ended, 1);
    EXPECT_EQ(window().CurrentVerse(), 0);  // nothing recited once the sound was closed
    EXPECT_FALSE(m_clipboard.hasCallback());
    m_clipboard.setText("2:5");
    EXPECT_EQ(list()->currentIndex(), 35);
}

TEST_F(frmMainTest, ChoosingAFailedSuraAgainRetriesItsLoad) {
    ASSERT_TRUE(QFile::rename(dataPath("data/pos.dat"), dataPath("pos.dat")));
    ASSERT_TRUE(load());
    choose(2);
    ASSERT_EQ(list()->currentIndex(), 1);
    EXPECT_EQ(m_messages.shown.size(), 1);  // one choice, one attempt
    EXPECT_EQ(window().loader().loadedSura(), 0);

    ASSERT_TRUE(QFile::rename(dataPath("pos.dat"), dataPath("data/pos.dat")));
    choose(2);
    EXPECT_EQ(window().loader().loadedSura(), 2);
    EXPECT_EQ(slider(2).Max(), lastIndexOf(2));
    EXPECT_EQ(m_messages.shown.size(), 1);

    // A loaded sura chosen again stays as it is.
    ASSERT_FALSE(slider(2).setValue(5).has_value());
    choose(2);
    EXPECT_EQ(window().CurrentVerse(), 5);
}
