#include <gtest/gtest.h>

#include <QStringList>

#include "controls/ucslidermodel.h"

using namespace varnelo;

namespace {

// A horizontal slider 0..7 whose track is 140 pixels (control 151 wide, thumb 11), recording
// its events by name.
class ucSliderModelTest : public testing::Test {
protected:
    void SetUp() override {
        m_slider.setOrientation(ucSliderModel::kHorizontal);
        m_slider.setGeometry(QSize(151, 25), QSize(11, 21));
        ASSERT_FALSE(m_slider.setMax(7));
        record(&ucSliderModel::Click, "Click");
        record(&ucSliderModel::ReachedMin, "ReachedMin");
        record(&ucSliderModel::ReachedMax, "ReachedMax");
        record(&ucSliderModel::Change, "Change");
        QObject::connect(&m_slider, &ucSliderModel::SlideStart, [this](Qt::KeyboardModifiers m) {
            m_events << (m & Qt::ShiftModifier ? "SlideStart+Shift" : "SlideStart");
        });
        QObject::connect(&m_slider, &ucSliderModel::SlideEnd, [this] { m_events << "SlideEnd"; });
    }

    void record(void (ucSliderModel::*signal)(), const char *name) {
        QObject::connect(&m_slider, signal, [this, name] { m_events << name; });
    }

    QStringList take() { return std::exchange(m_events, {}); }
    double thumbLeft() const { return m_slider.thumbRect().left(); }

    ucSliderModel m_slider;
    QStringList m_events;
};

}  // namespace

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundHalfEven(0.5), 0);
    EXPECT_EQ(RoundHalfEven(1.5), 2);
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(2.51), 3);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(-1.5), -2);
}

TEST_F(ucSliderModelTest, DragSnapsTheThumbToTheNearestValue) {
    ASSERT_FALSE(m_slider.setValue(3));
    EXPECT_EQ(thumbLeft(), 60);
    take();

    // Grabbed 5 pixels into the thumb; a drag to left 67 is round(3.35) = 3 and snaps back.
    m_slider.mouseDown(QPointF(65, 12), Qt::LeftButton, Qt::ShiftModifier);
    m_slider.mouseMove(QPointF(72, 12));
    EXPECT_EQ(m_slider.Value(), 3);
    EXPECT_EQ(thumbLeft(), 60);
    EXPECT_EQ(take(), QStringList{"SlideStart+Shift"});

    m_slider.mouseMove(QPointF(75, 3));  // left 70: 3.5 rounds to 4
    EXPECT_EQ(m_slider.Value(), 4);
    EXPECT_EQ(thumbLeft(), 80);
    m_slider.mouseMove(QPointF(15, 12));  // left 10: 0.5 rounds to 0
    EXPECT_EQ(m_slider.Value(), 0);
    m_slider.mouseMove(QPointF(900, 12));  // clamped to the track's end
    EXPECT_EQ(m_slider.Value(), 7);
    EXPECT_EQ(thumbLeft(), 140);
    m_slider.mouseMove(QPointF(-900, 12));
    EXPECT_EQ(thumbLeft(), 0);
    EXPECT_EQ(take(), (QStringList{"Change", "Change", "ReachedMin", "Change", "ReachedMax",
                                   "Change", "ReachedMin"}));
}

TEST_F(ucSliderModelTest, VerticalSliderHasMinAtTheBottom) {
    m_slider.setOrientation(ucSliderModel::kVertical);
    m_slider.setGeometry(QSize(25, 151), QSize(21, 11));
    ASSERT_FALSE(m_slider.setValue(3));
    EXPECT_EQ(m_slider.thumbRect().top(), 80);
    EXPECT_EQ(m_slider.thumbRect().left(), 2);

    m_slider.mouseDown(QPointF(12, 85), Qt::LeftButton, {});
    m_slider.mouseMove(QPointF(12, 78));  // top 73: 67 pixels up from the bottom, value 3
    EXPECT_EQ(m_slider.Value(), 3);
    EXPECT_EQ(m_slider.thumbRect().top(), 80);
    m_slider.mouseMove(QPointF(12, 5));
    EXPECT_EQ(m_slider.Value(), 7);
    EXPECT_EQ(m_slider.thumbRect().top(), 0);
}

TEST_F(ucSliderModelTest, ChangeEventsAndTheirOrder) {
    ASSERT_FALSE(m_slider.setValue(0));
    EXPECT_TRUE(take().isEmpty());  // already 0: no event

    ASSERT_FALSE(m_slider.setValue(7));
    EXPECT_EQ(take(), (QStringList{"Change", "ReachedMax"}));
    ASSERT_FALSE(m_slider.setValue(7));
    EXPECT_TRUE(take().isEmpty());

    // A new minimum carries the value with it.
    ASSERT_FALSE(m_slider.setMin(2));
    EXPECT_EQ(m_slider.Value(), 2);
    EXPECT_EQ(take(), (QStringList{"Change", "ReachedMin"}));
}

TEST_F(ucSliderModelTest, InvalidPropertyValueLeavesTheSliderUnchanged) {
    ASSERT_FALSE(m_slider.setValue(5));
    take();
    const auto error = m_slider.setValue(8);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, 380);
    EXPECT_TRUE(m_slider.setValue(-1));
    EXPECT_TRUE(m_slider.setMin(7));  // not below Max
    EXPECT_TRUE(m_slider.setMax(0));  // not above Min
    EXPECT_EQ(m_slider.Value(), 5);
    EXPECT_EQ(m_slider.Min(), 0);
    EXPECT_EQ(m_slider.Max(), 7);
    EXPECT_EQ(thumbLeft(), 100);
    EXPECT_TRUE(take().isEmpty());
}

TEST_F(ucSliderModelTest, NewRangeMovesTheThumbOfAnUnchangedValue) {
    ASSERT_FALSE(m_slider.setValue(5));
    ASSERT_FALSE(m_slider.setMax(10));
    EXPECT_EQ(thumbLeft(), 70);
    // The value may stay above a lowered Max; its thumb stays on the track.
    ASSERT_FALSE(m_slider.setMax(4));
    EXPECT_EQ(m_slider.Value(), 5);
    EXPECT_EQ(thumbLeft(), 140);
    ASSERT_FALSE(m_slider.setValue(4));
    ASSERT_FALSE(m_slider.setMax(8));
    ASSERT_FALSE(m_slider.setValue(4));  // same value, raises nothing, but sits at mid-track
    EXPECT_EQ(thumbLeft(), 70);
}

TEST_F(ucSliderModelTest, PressOnTheRailJumpsAndReleaseEndsTheDrag) {
    // Away from the thumb (0..11): its centre goes to x = 120, left 115, 5.75 -> 6.
    m_slider.mouseDown(QPointF(120, 12), Qt::LeftButton, {});
    EXPECT_TRUE(m_slider.isDragging());
    EXPECT_EQ(m_slider.Value(), 6);
    EXPECT_EQ(thumbLeft(), 120);
    m_slider.mouseUp(QPointF(120, 12), Qt::LeftButton, {});
    EXPECT_FALSE(m_slider.isDragging());
    EXPECT_EQ(take(), (QStringList{"Change", "SlideStart", "Click", "SlideEnd"}));

    // Released outside the control (x = width is outside): no Click.
    m_slider.mouseDown(QPointF(122, 12), Qt::LeftButton, {});
    m_slider.mouseUp(QPointF(151, 12), Qt::LeftButton, {});
    EXPECT_EQ(take(), (QStringList{"SlideStart", "SlideEnd"}));
    EXPECT_EQ(m_slider.Value(), 6);

    // Other buttons never drag; a disabled slider does not drag but still clicks.
    m_slider.mouseDown(QPointF(10, 12), Qt::RightButton, {});
    m_slider.mouseUp(QPointF(10, 12), Qt::RightButton, {});
    m_slider.setEnabled(false);
    m_slider.mouseDown(QPointF(10, 12), Qt::LeftButton, {});
    m_slider.mouseMove(QPointF(12, 12));
    m_slider.mouseUp(QPointF(10, 12), Qt::LeftButton, {});
    EXPECT_EQ(m_slider.Value(), 6);
    EXPECT_EQ(take(), QStringList{"Click"});
}

TEST_F(ucSliderModelTest, ThumbLargerThanTheControlIsNoTrack) {
    m_slider.setGeometry(QSize(8, 25), QSize(11, 21));
    ASSERT_FALSE(m_slider.setValue(4));
    EXPECT_EQ(m_slider.trackLength(), 0);
    m_slider.mouseDown(QPointF(100, 12), Qt::LeftButton, {});
    m_slider.mouseMove(QPointF(-100, 12));
    EXPECT_EQ(m_slider.Value(), 4);
    EXPECT_EQ(thumbLeft(), 0);
}

TEST_F(ucSliderModelTest, ValueTipTextAndPlace) {
    ASSERT_FALSE(m_slider.setValue(7));
    EXPECT_EQ(m_slider.tipText(), "7");
    m_slider.setSura(9);
    EXPECT_EQ(m_slider.tipText(), "8");

    // Centred above the thumb (left 140, top 2): 1000 + 140 + (11 - 20 - 4) / 2, 500 + 2 - 15 - 5.
    EXPECT_EQ(m_slider.tipPosition(QPoint(1000, 500), QSize(20, 15)), QPoint(1134, 482));
    m_slider.setOrientation(ucSliderModel::kVertical);
    m_slider.setGeometry(QSize(25, 151), QSize(21, 11));
    // Left of the thumb (left 2, top 0): 1000 + 2 - 20 - 6, 500 + 0 + (11 - 15 - 4) / 2.
    EXPECT_EQ(m_slider.tipPosition(QPoint(1000, 500), QSize(20, 15)), QPoint(976, 496));
}
