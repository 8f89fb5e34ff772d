#include <gtest/gtest.h>

#include <QLabel>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include "controls/ucslider.h"
#include "controls/ucslidertip.h"

using namespace varnelo;

namespace {

QImage solid(QSize size, QColor color) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

// Renders a slider of the given size and value 3 of 0..7 into an image.
QImage render(ucSliderModel &model, const ucSliderSkin &skin, QSize control, int railStyle) {
    model.setRailStyle(railStyle);
    model.setGeometry(control, ucSliderPainter::thumbSize(model.isHorizontal(), skin.SliderImage));
    EXPECT_FALSE(model.setMax(7));
    EXPECT_FALSE(model.setValue(3));
    QImage image(control, QImage::Format_RGB32);
    QPainter painter(&image);
    ucSliderPainter::paint(painter, model, skin, QPalette());
    return image;
}

}  // namespace

TEST(ucSliderPainter, ThumbAndRailWhereTheModelPutsThem) {
    const ucSliderSkin skin{Qt::white, solid(QSize(11, 21), Qt::blue),
                            solid(QSize(3, 6), Qt::green)};
    EXPECT_EQ(ucSliderPainter::thickness(true, 0, skin), 25);
    EXPECT_EQ(ucSliderPainter::thickness(true, 99, {Qt::white, {}, solid(QSize(8, 30), Qt::green)}),
              34);

    ucSliderModel horizontal;
    horizontal.setOrientation(ucSliderModel::kHorizontal);
    QImage image = render(horizontal, skin, QSize(151, 25), 99);
    EXPECT_NE(image.pixelColor(59, 12), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(60, 12), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(70, 12), QColor(Qt::blue));
    EXPECT_NE(image.pixelColor(71, 12), QColor(Qt::blue));
    // The rail picture is stretched from half a thumb in at each end, centred across.
    EXPECT_EQ(image.pixelColor(5, 12), QColor(Qt::green));
    EXPECT_EQ(image.pixelColor(145, 9), QColor(Qt::green));
    EXPECT_EQ(image.pixelColor(4, 12), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(146, 12), QColor(Qt::white));

    ucSliderModel vertical;
    image = render(vertical, {Qt::white, solid(QSize(21, 11), Qt::blue), {}}, QSize(25, 151), 0);
    EXPECT_NE(image.pixelColor(12, 79), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(12, 80), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(12, 90), QColor(Qt::blue));
    EXPECT_NE(image.pixelColor(12, 91), QColor(Qt::blue));
}

TEST(ucSliderPainter, RailEdgeStyles) {
    const QPalette palette;
    const ucSliderSkin skin{Qt::magenta, solid(QSize(11, 21), Qt::blue), {}};
    ucSliderModel model;
    model.setOrientation(ucSliderModel::kHorizontal);
    // The rail is 4 pixels high at rows 10..13 from column 5 to 145; look at column 140.
    const auto at = [&](int style, int y) {
        return render(model, skin, QSize(151, 24), style).pixel(140, y);
    };
    EXPECT_EQ(at(0, 10), palette.color(QPalette::Dark).rgb());  // the top is always sunken
    EXPECT_EQ(at(0, 13), palette.color(QPalette::Light).rgb());
    EXPECT_EQ(at(0, 12), palette.color(QPalette::Midlight).rgb());
    EXPECT_EQ(at(1, 13), palette.color(QPalette::Shadow).rgb());
    EXPECT_EQ(at(1, 12), palette.color(QPalette::Dark).rgb());
    EXPECT_EQ(at(2, 12), QColor(Qt::magenta).rgb());
    EXPECT_EQ(at(4, 10), palette.color(QPalette::Dark).rgb());
    EXPECT_EQ(at(4, 13), QColor(Qt::magenta).rgb());
}

TEST(ucSliderWidget, DragByMouseWithTheSharedTip) {
    QWidget window;
    ucSliderTip tip;
    auto *created = new ucSlider(&window, &tip);
    created->setObjectName("ucSlider1_2");
    created->model().setOrientation(ucSliderModel::kHorizontal);
    created->setGeometry(0, 0, 151, 100);
    window.show();

    auto *slider = window.findChild<ucSlider *>("ucSlider1_2");
    ASSERT_EQ(slider, created);
    EXPECT_EQ(slider->height(), 25);  // thickness follows the plain thumb
    ASSERT_FALSE(slider->model().setMax(7));
    slider->model().setSura(9);
    QSignalSpy clicks(&slider->model(), &ucSliderModel::Click);
    QSignalSpy changes(&slider->model(), &ucSliderModel::Change);
    QSignalSpy ends(&slider->model(), &ucSliderModel::SlideEnd);

    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(120, 12));
    EXPECT_EQ(slider->model().Value(), 6);
    ASSERT_TRUE(tip.isVisible());
    EXPECT_EQ(tip.findChild<QLabel *>("lblTip")->text(), "7");
    const QPoint above = slider->mapToGlobal(QPoint(0, 0));
    EXPECT_LT(tip.y() + tip.height(), above.y() + slider->model().thumbPixels().top());

    QTest::mouseMove(slider, QPoint(20, 12));
    EXPECT_EQ(slider->model().Value(), 1);
    EXPECT_EQ(tip.findChild<QLabel *>("lblTip")->text(), "2");
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(20, 60));
    EXPECT_FALSE(slider->model().isDragging());
    EXPECT_FALSE(tip.isVisible());
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_EQ(ends.count(), 1);
    EXPECT_EQ(changes.count(), 2);
}

TEST(ucSliderWidget, KeysMoveTheValueWithinTheRange) {
    ucSlider slider;
    ASSERT_FALSE(slider.model().setMin(-15));
    ASSERT_FALSE(slider.model().setMax(15));
    QTest::keyClick(&slider, Qt::Key_Up);
    EXPECT_EQ(slider.model().Value(), -14);
    QTest::keyClick(&slider, Qt::Key_PageUp);
    EXPECT_EQ(slider.model().Value(), -11);
    QTest::keyClick(&slider, Qt::Key_End);
    EXPECT_EQ(slider.model().Value(), 15);
    QTest::keyClick(&slider, Qt::Key_Right);
    EXPECT_EQ(slider.model().Value(), 15);
    QTest::keyClick(&slider, Qt::Key_Home);
    QTest::keyClick(&slider, Qt::Key_Down);
    EXPECT_EQ(slider.model().Value(), -15);
    slider.model().setEnabled(false);
    QTest::keyClick(&slider, Qt::Key_End);
    EXPECT_EQ(slider.model().Value(), -15);
}
