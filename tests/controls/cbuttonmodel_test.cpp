#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QStringList>

#include "controls/cbuttonmodel.h"
#include "platform/virtualkeys.h"

using namespace varnelo;

namespace {

constexpr int kLeft = cButtonModel::kLeftButton;
constexpr int kRight = cButtonModel::kRightButton;

BgrColor bgr(int r, int g, int b) {
    return BgrColor(r) | BgrColor(g) << 8 | BgrColor(b) << 16;
}

// A 60 x 24 button recording its events by name.
class cButtonModelTest : public testing::Test {
protected:
    void SetUp() override {
        m_button.setSize(60, 24);
        QObject::connect(&m_button, &cButtonModel::Click, [this] { m_events << "Click"; });
        QObject::connect(&m_button, &cButtonModel::MouseDown,
                         [this](int b) { m_events << QStringLiteral("Down%1").arg(b); });
        QObject::connect(&m_button, &cButtonModel::MouseUp,
                         [this](int b) { m_events << QStringLiteral("Up%1").arg(b); });
    }

    QStringList take() { return std::exchange(m_events, {}); }
    int state() const { return m_button.drawnState(); }

    cButtonModel m_button;
    QStringList m_events;
};

}  // namespace

TEST(cButtonColors, ShadeClampsEachByteOnItsOwn) {
    EXPECT_EQ(Shade(bgr(200, 100, 50), -64), bgr(136, 36, 0));
    EXPECT_EQ(Shade(bgr(250, 0, 255), 10), bgr(255, 10, 255));
    EXPECT_EQ(Shade(bgr(5, 255, 0), -10), bgr(0, 245, 0));
    EXPECT_EQ(Shade(0xFFFFFF, 47), BgrColor(0xFFFFFF));
}

TEST(cButtonColors, SchemeTwoDerivesFromTheFace) {
    cButtonModel button;
    button.setColorScheme(2);
    button.setBackColor(bgr(200, 100, 50));
    button.setForeColor(bgr(1, 2, 3));
    button.setForeColorChecked(bgr(4, 5, 6));

    cButtonColors c = button.colors();
    EXPECT_EQ(c.face, bgr(200, 100, 50));
    EXPECT_EQ(c.shadow, bgr(136, 36, 0));
    EXPECT_EQ(c.light, bgr(231, 131, 81));
    EXPECT_EQ(c.highlight, bgr(247, 147, 97));
    EXPECT_EQ(c.darkShadow, bgr(8, 0, 0));
    EXPECT_EQ(c.text, bgr(1, 2, 3));
    EXPECT_EQ(c.checkedText, bgr(4, 5, 6));

    // A check button lightens its shadow and uses white for both highlights.
    button.setIsCheckBox(true);
    c = button.colors();
    EXPECT_EQ(c.shadow, bgr(247, 147, 97));
    EXPECT_EQ(c.light, bgr(231, 131, 81));
    EXPECT_EQ(c.highlight, BgrColor(0xFFFFFF));
    EXPECT_EQ(c.darkShadow, BgrColor(0xFFFFFF));
}

TEST(cButtonColors, SystemAndFixedSchemes) {
    cButtonModel button;
    cButtonSystemColors system;
    system.face = bgr(10, 20, 30);
    system.text = bgr(40, 50, 60);
    system.shadow = bgr(70, 80, 90);
    button.setSystemColors(system);
    button.setBackColor(bgr(200, 100, 50));

    // Scheme 1 (the default) ignores BackColor and takes the platform's colours.
    EXPECT_EQ(button.colors().face, bgr(10, 20, 30));
    EXPECT_EQ(button.colors().shadow, bgr(70, 80, 90));
    EXPECT_EQ(button.colors().checkedText, bgr(40, 50, 60));

    button.setColorScheme(3);
    EXPECT_EQ(button.colors().face, BgrColor(0xC0C0C0));
    EXPECT_EQ(button.colors().shadow, BgrColor(0x808080));
    EXPECT_EQ(button.colors().text, BgrColor(0));

    // The default colours are system colour indexes: shaded as the colour they stand for, not
    // as the index's bytes.
    cButtonModel defaults;
    defaults.setSystemColors(system);
    defaults.setColorScheme(2);
    EXPECT_EQ(defaults.colors().face, bgr(10, 20, 30));
    EXPECT_EQ(defaults.colors().light, bgr(41, 51, 61));
    EXPECT_EQ(defaults.colors().text, bgr(40, 50, 60));
}

TEST(cButtonModel, Defaults) {
    cButtonModel button;
    EXPECT_EQ(button.ButtonType(), 2);
    EXPECT_EQ(button.ColorScheme(), 1);
    EXPECT_FALSE(button.IsCheckBox());
    EXPECT_FALSE(button.Checked());
    EXPECT_TRUE(button.Caption().isEmpty());
    EXPECT_TRUE(button.Enabled());
    EXPECT_TRUE(button.ShowFocusRect());
    EXPECT_EQ(button.BackColor(), kSysButtonFace);
    EXPECT_EQ(button.ForeColor(), kSysButtonText);
}

TEST(cButtonModel, AccessKeys) {
    EXPECT_TRUE(cButtonModel::accessKeyOf("Save && Exit").isNull());
    EXPECT_EQ(cButtonModel::accessKeyOf("E&xit"), QChar(u'x'));
    EXPECT_EQ(cButtonModel::accessKeyOf("&Open"), QChar(u'o'));
    EXPECT_EQ(cButtonModel::accessKeyOf("Fish && &Chips"), QChar(u'c'));
    EXPECT_EQ(cButtonModel::accessKeyOf("&&&Go"), QChar(u'g'));
    EXPECT_TRUE(cButtonModel::accessKeyOf("Trailing&").isNull());
    EXPECT_TRUE(cButtonModel::accessKeyOf("").isNull());

    cButtonModel button;
    QSignalSpy changed(&button, &cButtonModel::accessKeyChanged);
    button.setCaption("E&xit");
    EXPECT_EQ(button.accessKey(), QChar(u'x'));
    button.setCaption("Ex&it");
    button.setCaption("Ex&it");
    button.setCaption("Exit");
    EXPECT_TRUE(button.accessKey().isNull());
    ASSERT_EQ(changed.size(), 3);
    EXPECT_EQ(changed.at(1).at(0).value<QChar>(), QChar(u'i'));
}

TEST_F(cButtonModelTest, PushButtonPressesAndClicksOnRelease) {
    m_button.mouseDown(kLeft, 0, 10, 10);
    EXPECT_EQ(state(), cButtonModel::kDown);
    // Leaving while held lets the button up; coming back presses it again.
    m_button.mouseMove(kLeft, 0, 70, 10);
    EXPECT_EQ(state(), cButtonModel::kUp);
    m_button.mouseMove(kLeft, 0, 30, 10);
    EXPECT_EQ(state(), cButtonModel::kDown);
    m_button.mouseUp(kLeft, 0, 30, 10);
    EXPECT_EQ(state(), cButtonModel::kUp);
    EXPECT_EQ(take(), QStringList({"Down1", "Up1", "Click"}));

    // Released outside: the press is taken back.
    m_button.mouseDown(kLeft, 0, 10, 10);
    m_button.mouseUp(kLeft, 0, 10, 30);
    EXPECT_EQ(state(), cButtonModel::kUp);
    EXPECT_EQ(take(), QStringList({"Down1", "Up1"}));
}

TEST_F(cButtonModelTest, RightButtonNeitherPressesNorClicks) {
    m_button.mouseDown(kRight, 0, 10, 10);
    EXPECT_EQ(state(), cButtonModel::kUp);
    m_button.mouseUp(kRight, 0, 10, 10);
    m_button.click();
    EXPECT_EQ(take(), QStringList({"Down2", "Up2"}));
}

TEST_F(cButtonModelTest, CheckButtonShowsItsStateNotThePress) {
    m_button.setIsCheckBox(true);
    m_button.mouseDown(kLeft, 0, 10, 10);
    EXPECT_EQ(state(), cButtonModel::kUp);
    m_button.mouseMove(kLeft, 0, 20, 10);
    EXPECT_EQ(state(), cButtonModel::kUp);
    m_button.mouseUp(kLeft, 0, 20, 10);
    EXPECT_TRUE(m_button.Checked());
    EXPECT_EQ(state(), cButtonModel::kDown);
    EXPECT_EQ(take(), QStringList({"Down1", "Up1", "Click"}));

    // Held on a checked button it stays down, even when the pointer leaves.
    m_button.mouseDown(kLeft, 0, 10, 10);
    m_button.mouseMove(kLeft, 0, 90, 10);
    EXPECT_EQ(state(), cButtonModel::kDown);
    m_button.mouseUp(kLeft, 0, 10, 10);
    EXPECT_FALSE(m_button.Checked());
    EXPECT_EQ(state(), cButtonModel::kUp);
}

TEST_F(cButtonModelTest, CheckedFromCodeShowsDownWithoutClickAndKeepsItThroughResize) {
    m_button.setIsCheckBox(true);
    m_button.setChecked(true);
    EXPECT_EQ(state(), cButtonModel::kDown);
    m_button.setSize(80, 30);
    EXPECT_EQ(state(), cButtonModel::kDown);
    m_button.setFocus(true);
    EXPECT_EQ(state(), cButtonModel::kDown);
    m_button.setChecked(false);
    EXPECT_EQ(state(), cButtonModel::kUp);
    EXPECT_TRUE(take().isEmpty());
}

TEST_F(cButtonModelTest, DisabledButtonTakesNoInput) {
    m_button.mouseDown(kLeft, 0, 10, 10);
    // Greyed while held: the release must not click, not even once enabled again.
    m_button.setEnabled(false);
    m_button.mouseUp(kLeft, 0, 10, 10);
    m_button.keyDown(vk::Space, 0);
    m_button.keyUp(vk::Space, 0);
    m_button.accessKeyPressed();
    m_button.setEnabled(true);
    m_button.mouseUp(kLeft, 0, 10, 10);
    m_button.click();
    EXPECT_EQ(take(), QStringList({"Down1", "Up1"}));
}

TEST_F(cButtonModelTest, SpacePressesAndReleaseClicks) {
    m_button.keyDown(vk::Space, 0);
    EXPECT_EQ(state(), cButtonModel::kDown);
    m_button.keyUp(vk::Space, 0);
    EXPECT_EQ(state(), cButtonModel::kUp);
    EXPECT_EQ(take(), QStringList({"Down1", "Up1", "Click"}));

    // A release whose press went to another control does nothing here.
    m_button.keyUp(vk::Space, 0);
    EXPECT_TRUE(take().isEmpty());

    m_button.setIsCheckBox(true);
    m_button.keyDown(vk::Space, 0);
    EXPECT_EQ(state(), cButtonModel::kUp);
    m_button.keyUp(vk::Space, 0);
    EXPECT_TRUE(m_button.Checked());
    EXPECT_EQ(state(), cButtonModel::kDown);
}

TEST_F(cButtonModelTest, ArrowsMoveTheFocusAndKeysAreRaised) {
    QSignalSpy moves(&m_button, &cButtonModel::focusMoveRequested);
    QSignalSpy keys(&m_button, &cButtonModel::KeyDown);
    for (int key : {vk::Right, vk::Down, vk::Left, vk::Up, int('A')})
        m_button.keyDown(key, 1);
    ASSERT_EQ(moves.size(), 4);
    EXPECT_TRUE(moves.at(0).at(0).toBool());
    EXPECT_TRUE(moves.at(1).at(0).toBool());
    EXPECT_FALSE(moves.at(2).at(0).toBool());
    EXPECT_FALSE(moves.at(3).at(0).toBool());
    ASSERT_EQ(keys.size(), 5);
    EXPECT_EQ(keys.at(4).at(0).toInt(), int('A'));
    EXPECT_EQ(keys.at(4).at(1).toInt(), 1);
    EXPECT_TRUE(take().isEmpty());
}

TEST_F(cButtonModelTest, AccessKeyClicksEvenAfterARightPress) {
    m_button.mouseDown(kRight, 0, 10, 10);
    m_button.mouseUp(kRight, 0, 10, 10);
    take();
    m_button.accessKeyPressed();
    EXPECT_EQ(take(), QStringList({"Click"}));
}

TEST_F(cButtonModelTest, RedrawsOnlyWhenSomethingChanged) {
    QSignalSpy redraws(&m_button, &cButtonModel::redrawNeeded);
    m_button.drawState(cButtonModel::kUp, false);
    EXPECT_EQ(redraws.size(), 0);
    m_button.drawState(cButtonModel::kUp, true);
    m_button.setCaption("Go");
    m_button.drawState(cButtonModel::kDown, false);
    EXPECT_EQ(redraws.size(), 3);

    // Nothing is drawn while the button has no height.
    m_button.setSize(60, 0);
    redraws.clear();
    m_button.drawState(cButtonModel::kDown, true);
    EXPECT_EQ(redraws.size(), 0);
}
