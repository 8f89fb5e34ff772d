#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "controls/picturebutton.h"
#include "controls/transportart.h"

using namespace varnelo;

namespace {

using Glyph = TransportArt::Glyph;

QImage shown(PictureButton &button) {
    return button.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

}  // namespace

TEST(TransportArt, DistinctPicturesWithARaisedOrPushedBevel) {
    const Glyph glyphs[] = {Glyph::Play, Glyph::Pause, Glyph::Stop, Glyph::Next, Glyph::Prev};
    QList<QImage> images;
    for (Glyph glyph : glyphs) {
        for (bool pressed : {false, true}) {
            const QImage image = TransportArt::image(glyph, pressed);
            EXPECT_EQ(image.size(), QSize(32, 24));
            EXPECT_FALSE(images.contains(image));
            images << image;
            // Light above left when raised, dark when pushed in.
            const int topLeft = QColor(image.pixel(0, 0)).lightness();
            const int bottomRight = QColor(image.pixel(31, 23)).lightness();
            EXPECT_EQ(topLeft > bottomRight, !pressed);
            // A light glyph on the dark face.
            int light = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x)
                    light += QColor(image.pixel(x, y)).lightness() > 150 ? 1 : 0;
            }
            EXPECT_GT(light, 40);
            EXPECT_LT(QColor(image.pixel(3, 3)).lightness(), 80);
        }
    }
    EXPECT_EQ(TransportArt::image(Glyph::Stop, false).pixelColor(3, 3), TransportArt::background());
}

TEST(PictureButton, ShowsPressedWhileHeldAndClicksOnReleaseInside) {
    PictureButton button(TransportArt::pixmap(Glyph::Play, false),
                         TransportArt::pixmap(Glyph::Play, true));
    button.setToolTip("Recite Verse");
    button.show();
    EXPECT_EQ(button.focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(button.size(), QSize(32, 24));
    QSignalSpy clicks(&button, &PictureButton::clicked);
    const QImage normal = TransportArt::image(Glyph::Play, false);
    const QImage pressed = TransportArt::image(Glyph::Play, true);

    EXPECT_EQ(shown(button), normal);
    QTest::mousePress(&button, Qt::LeftButton);
    EXPECT_TRUE(button.isDown());
    EXPECT_EQ(shown(button), pressed);
    QTest::mouseRelease(&button, Qt::LeftButton);
    EXPECT_EQ(shown(button), normal);
    EXPECT_EQ(clicks.size(), 1);

    // Released outside: back to normal, no click.
    QTest::mousePress(&button, Qt::LeftButton);
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(40, 30));
    EXPECT_FALSE(button.isDown());
    EXPECT_EQ(clicks.size(), 1);

    // The right button does nothing.
    QTest::mouseClick(&button, Qt::RightButton);
    EXPECT_FALSE(button.isDown());
    EXPECT_EQ(clicks.size(), 1);
    EXPECT_EQ(button.toolTip(), QString("Recite Verse"));
}
