#include <gtest/gtest.h>

#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include "controls/usercontrol1.h"

using namespace varnelo;

namespace {

// Columns of the middle row that are painted red.
QList<int> redColumns(UserControl1 &control) {
    QImage image(control.size(), QImage::Format_RGB32);
    control.render(&image);
    QList<int> columns;
    for (int x = 0; x < image.width(); ++x) {
        if (image.pixelColor(x, image.height() / 2) == QColor(255, 0, 0))
            columns.append(x);
    }
    return columns;
}

}  // namespace

TEST(UserControl1, OneTickPerVerseAndTheEndLine) {
    UserControl1 control;
    control.setBackColor(Qt::white);
    control.resize(110, 12);
    EXPECT_EQ(redColumns(control), (QList<int>{0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));

    control.setVerses(3);
    control.resize(70, 12);
    EXPECT_EQ(redColumns(control), (QList<int>{0, 20, 40, 60}));
    EXPECT_EQ(UserControl1::tickColumns(4, 40), (QList<int>{0, 8, 15, 23, 30}));
    EXPECT_EQ(UserControl1::tickColumns(-3, 110).size(), 11);
}

TEST(UserControl1, KeysGoToTheOwnerAsVirtualKeys) {
    UserControl1 control;
    QSignalSpy keys(&control, &UserControl1::KeyDown);
    QTest::keyClick(&control, Qt::Key_Up, Qt::ShiftModifier);
    // The Shift key itself comes first, as any key pressed on the control.
    ASSERT_EQ(keys.count(), 2);
    EXPECT_EQ(keys.at(0).at(0).toInt(), 16);
    EXPECT_EQ(keys.at(1).at(0).toInt(), 38);
    EXPECT_EQ(keys.at(1).at(1).toInt(), 1);

    keys.clear();
    QTest::keyClick(&control, Qt::Key_3, Qt::KeypadModifier);
    QTest::keyClick(&control, Qt::Key_Down, Qt::ControlModifier | Qt::AltModifier);
    ASSERT_EQ(keys.count(), 4);  // Control, 3, ... Down once its modifiers are pressed
    EXPECT_EQ(keys.at(0).at(0).toInt(), 99);
    EXPECT_EQ(keys.at(0).at(1).toInt(), 0);
    EXPECT_EQ(keys.at(3).at(0).toInt(), 40);
    EXPECT_EQ(keys.at(3).at(1).toInt(), 6);
}
