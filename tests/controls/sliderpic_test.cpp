#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "controls/sliderpic.h"

using namespace varnelo;

namespace {

const QColor Mask(192, 192, 192);

QImage solid(QSize size, QColor color) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

// A 0..1000 slider whose track starts at 10 and is 100 pixels long.
void volumeModel(SliderPicModel &model) {
    ASSERT_FALSE(model.setMax(1000));
    model.setTrack(10, 100);
}

}  // namespace

TEST(SliderPicModel, PositionsAndPixelsRoundHalvesToEven) {
    SliderPicModel model;
    volumeModel(model);
    model.setCurPosition(500);
    EXPECT_EQ(model.pointerPixel(), 50);
    EXPECT_EQ(model.positionAt(10 + 33), 330);
    // 5 and 15 fall on half pixels: 0.5 -> 0, 1.5 -> 2.
    EXPECT_EQ(model.pixelOf(5), 0);
    EXPECT_EQ(model.pixelOf(15), 2);
    EXPECT_EQ(model.pixelOf(25), 2);
    // Presses beyond either end of the track land on its ends.
    EXPECT_EQ(model.positionAt(0), 0);
    EXPECT_EQ(model.positionAt(500), 1000);

    // A short range: pixel 2 of 20 over 0..5 is 0.5 -> 0, pixel 6 is 1.5 -> 2.
    ASSERT_FALSE(model.setMax(5));
    model.setTrack(0, 20);
    EXPECT_EQ(model.positionAt(2), 0);
    EXPECT_EQ(model.positionAt(6), 2);
    EXPECT_EQ(model.positionAt(10), 2);  // 2.5 -> 2
    EXPECT_EQ(model.positionAt(14), 4);  // 3.5 -> 4
}

TEST(SliderPicModel, RangeErrorsNameTheirSourceAndPositionsFollowTheRange) {
    SliderPicModel model;
    volumeModel(model);
    QSignalSpy changes(&model, &SliderPicModel::Change);
    model.setCurPosition(800);
    model.setCurPosition(5000);
    EXPECT_EQ(model.CurPosition(), 1000);
    model.setCurPosition(-3);
    EXPECT_EQ(model.CurPosition(), 0);
    EXPECT_EQ(changes.count(), 0);  // only the mouse raises Change

    model.setCurPosition(900);
    ASSERT_FALSE(model.setMax(600));
    EXPECT_EQ(model.CurPosition(), 600);
    model.setCurPosition(100);
    ASSERT_FALSE(model.setMin(300));
    EXPECT_EQ(model.CurPosition(), 300);

    const auto minError = model.setMin(model.Max());
    ASSERT_TRUE(minError);
    EXPECT_EQ(minError->number, 513);
    EXPECT_EQ(minError->source, "VodadiZeveri");
    EXPECT_EQ(minError->description, "Minimum must be less than Maximum");
    const auto maxError = model.setMax(model.Min());
    ASSERT_TRUE(maxError);
    EXPECT_EQ(maxError->number, 514);
    EXPECT_EQ(maxError->source, "VodadiZeveri");
    EXPECT_EQ(maxError->description, "Maximum must be greater than Minimum");
    EXPECT_EQ(model.Min(), 300);
    EXPECT_EQ(model.Max(), 600);
}

TEST(SliderPicModel, MouseRaisesMouseDownFirstThenDragsAlongTheTrack) {
    SliderPicModel model;
    volumeModel(model);
    QStringList events;
    QObject::connect(&model, &SliderPicModel::MouseDown, [&](Qt::MouseButton button, auto, auto) {
        events << QString("down %1").arg(int(button));
    });
    QObject::connect(&model, &SliderPicModel::Change,
                     [&](int position) { events << QString("change %1").arg(position); });

    model.mouseDown(QPointF(60, 5), Qt::LeftButton, {}, 10);
    model.mouseMove(QPointF(35, 5), Qt::LeftButton);
    model.mouseMove(QPointF(-40, 5), Qt::LeftButton);
    model.mouseUp();
    model.mouseMove(QPointF(80, 5), Qt::LeftButton);  // no longer dragging
    EXPECT_EQ(events, (QStringList{"down 1", "change 500", "change 250", "change 0"}));

    events.clear();
    model.mouseDown(QPointF(60, 5), Qt::RightButton, {}, 10);
    model.mouseDown(QPointF(116, 5), Qt::LeftButton, {},
                    10);  // beyond the track's last half pointer
    EXPECT_FALSE(model.isDragging());
    model.mouseDown(QPointF(114, 5), Qt::LeftButton, {}, 10);  // within it: the end
    EXPECT_EQ(events, (QStringList{"down 2", "down 1", "down 1", "change 1000"}));

    // Disabled, the slider takes no mouse at all.
    events.clear();
    model.mouseUp();
    model.setEnabled(false);
    model.mouseDown(QPointF(60, 5), Qt::LeftButton, {}, 10);
    EXPECT_TRUE(events.isEmpty());
    EXPECT_EQ(model.CurPosition(), 1000);
}

TEST(SliderPicModel, DisabledColoursLightenOrDarkenAndNeverBecomeTheMask) {
    const auto channel = [](int c, int style) {
        const BgrColor colour = BgrColor(c) | BgrColor(c) << 8 | BgrColor(c) << 16;
        return int(SliderPicModel::disabledColor(colour, style, 20, 0x00C0C0C0) & 0xFF);
    };
    EXPECT_EQ(channel(200, SliderPicModel::kLighten), 220);
    EXPECT_EQ(channel(100, SliderPicModel::kLighten), 150);
    EXPECT_EQ(channel(200, SliderPicModel::kDarken), 180);
    EXPECT_EQ(channel(100, SliderPicModel::kDarken), 50);
    EXPECT_EQ(channel(250, SliderPicModel::kLighten), 255);
    EXPECT_EQ(channel(10, SliderPicModel::kDarken), 0);
    // Channels move on their own: red 200, green 100, blue 0.
    EXPECT_EQ(SliderPicModel::disabledColor(0x000064C8, 0, 20, 0), 0x003296DCu);

    // 172 lightened by 20 is the mask 192: one step of red keeps it visible.
    EXPECT_EQ(SliderPicModel::disabledColor(0x00ACACAC, 0, 20, 0x00C0C0C0), 0x00C0C0C1u);
    // A white mask: red cannot go up, so it goes down, and green and blue stay.
    EXPECT_EQ(SliderPicModel::disabledColor(0x00EBEBEB, 0, 20, 0x00FFFFFF), 0x00FFFFFEu);
}

TEST(SliderPicPainter, MaskColourIsTransparentAndDisabledPixelsChange) {
    SliderPicModel model;
    volumeModel(model);
    model.setCurPosition(500);
    QImage pointer = solid(QSize(10, 10), QColor(0, 0, 200));
    pointer.setPixelColor(0, 0, Mask);  // a transparent corner
    QImage left = solid(QSize(120, 10), QColor(0, 200, 0));
    left.setPixelColor(20, 5, Mask);
    const SliderPicSkin skin{QColor(20, 20, 20), solid(QSize(120, 10), QColor(100, 100, 100)), left,
                             pointer};
    model.setSliderLeftPicSet(true);
    SliderPicPainter::layout(model, 120, skin);
    EXPECT_EQ(model.trackStart(), 5);
    EXPECT_EQ(model.trackLength(), 110);

    const QImage image = SliderPicPainter::render(model, skin, QSize(120, 14));
    const int centre = model.trackStart() + model.pointerPixel();  // 60
    EXPECT_EQ(image.pixelColor(1, 0), QColor(20, 20, 20));         // background above the rail
    EXPECT_EQ(image.pixelColor(20, 7), QColor(100, 100, 100));     // the left part's mask pixel
    EXPECT_EQ(image.pixelColor(30, 7), QColor(0, 200, 0));         // left of the pointer
    EXPECT_EQ(image.pixelColor(centre + 8, 7), QColor(100, 100, 100));  // right of it: rail
    EXPECT_EQ(image.pixelColor(centre, 7), QColor(0, 0, 200));
    EXPECT_EQ(image.pixelColor(centre - 5, 2), QColor(0, 200, 0));  // the pointer's mask corner

    model.setEnabled(false);
    const QImage disabled = SliderPicPainter::render(model, skin, QSize(120, 14));
    EXPECT_EQ(disabled.pixelColor(1, 0), QColor(70, 70, 70));  // 20 -> 20 + 50
    EXPECT_EQ(disabled.pixelColor(centre + 8, 7), QColor(150, 150, 150));
    EXPECT_EQ(disabled.pixelColor(centre, 7), QColor(50, 50, 220));
    model.setDisabledStyle(SliderPicModel::kDarken);
    const QImage darker = SliderPicPainter::render(model, skin, QSize(120, 14));
    EXPECT_EQ(darker.pixelColor(centre, 7), QColor(0, 0, 180));
}

TEST(SliderPic, MouseMovesThePositionAndClicksKeysGoToTheOwner) {
    SliderPic slider;
    slider.setImageSlider(SliderPicPainter::volumeRail(QSize(120, 20)));
    slider.setImageLeft(SliderPicPainter::volumeLeft(QSize(120, 20)));
    slider.setImagePointer(SliderPicPainter::volumePointer());
    ASSERT_FALSE(slider.model().setMax(1000));
    slider.resize(120, 20);
    slider.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&slider));
    QSignalSpy changes(&slider.model(), &SliderPicModel::Change);
    QSignalSpy clicks(&slider, &SliderPic::Click);
    QSignalSpy keys(&slider, &SliderPic::KeyDown);

    const int start = slider.model().trackStart();
    const int length = slider.model().trackLength();
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(start + length / 2, 10));
    EXPECT_NEAR(slider.model().CurPosition(), 500, 10);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(clicks.count(), 1);
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(start + length, 10));
    EXPECT_EQ(slider.model().CurPosition(), 1000);

    QTest::keyClick(&slider, Qt::Key_Up);
    ASSERT_EQ(keys.count(), 1);
    EXPECT_EQ(keys.at(0).at(0).toInt(), int(Qt::Key_Up));
    EXPECT_EQ(slider.model().CurPosition(), 1000);  // keys move nothing themselves

    slider.setEnabled(false);
    EXPECT_FALSE(slider.model().Enabled());
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(start, 10));
    EXPECT_EQ(slider.model().CurPosition(), 1000);
    EXPECT_EQ(clicks.count(), 2);
}
