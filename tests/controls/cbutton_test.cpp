#include <gtest/gtest.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include "controls/cbutton.h"
#include "controls/cbuttonpainter.h"

using namespace varnelo;

namespace {

const QColor kFace(200, 100, 50);
const QColor kHighlight(247, 147, 97);  // the face shaded by 47
const QColor kShadow(136, 36, 0);       // the face shaded by -64
const QColor kText(0, 0, 255);
const QColor kCheckedText(0, 255, 0);

int distance(const QColor &a, const QColor &b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
           std::abs(a.blue() - b.blue());
}

// Pixels inside the edge that are closer to colour than to the face.
int pixelsNear(const QImage &image, const QColor &colour) {
    int count = 0;
    for (int y = 1; y < image.height() - 1; ++y) {
        for (int x = 1; x < image.width() - 1; ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (distance(pixel, colour) < distance(pixel, kFace) && distance(pixel, colour) < 60)
                ++count;
        }
    }
    return count;
}

// A type 7, scheme 2 button of 80 x 30 as the main window uses them.
void setUpButton(cButtonModel &model) {
    model.setButtonType(cButtonModel::kEdgedType);
    model.setColorScheme(2);
    model.setBackColor(cButtonPainter::fromColor(kFace));
    model.setForeColor(cButtonPainter::fromColor(kText));
    model.setForeColorChecked(cButtonPainter::fromColor(kCheckedText));
    model.setCaption("MWM");
    model.setSize(80, 30);
}

QImage render(const cButtonModel &model) {
    QImage image(model.width(), model.height(), QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    QFont font = painter.font();
    font.setPixelSize(16);
    font.setBold(true);
    painter.setFont(font);
    cButtonPainter::paint(painter, model);
    return image;
}

}  // namespace

TEST(cButtonPainter, RaisedUpAndSunkenDown) {
    cButtonModel model;
    setUpButton(model);
    QImage up = render(model);
    EXPECT_EQ(up.pixelColor(0, 15), kHighlight);
    EXPECT_EQ(up.pixelColor(40, 0), kHighlight);
    EXPECT_EQ(up.pixelColor(79, 15), kShadow);
    EXPECT_EQ(up.pixelColor(40, 29), kShadow);
    EXPECT_EQ(up.pixelColor(79, 0), kShadow);  // the right and bottom lines go over the frame
    EXPECT_EQ(up.pixelColor(3, 3), kFace);
    EXPECT_GT(pixelsNear(up, kText), 10);

    model.drawState(cButtonModel::kDown, false);
    QImage down = render(model);
    EXPECT_EQ(down.pixelColor(0, 15), kShadow);
    EXPECT_EQ(down.pixelColor(40, 0), kShadow);
    EXPECT_EQ(down.pixelColor(79, 15), kHighlight);
    EXPECT_EQ(down.pixelColor(40, 29), kHighlight);
    // The caption moves one pixel right and down.
    EXPECT_EQ(down.copy(2, 2, 76, 26), up.copy(1, 1, 76, 26));

    // A checked check button draws its caption in the checked colour.
    model.setIsCheckBox(true);
    model.setChecked(true);
    const QImage checked = render(model);
    EXPECT_GT(pixelsNear(checked, kCheckedText), 10);
    EXPECT_EQ(pixelsNear(checked, kText), 0);
}

TEST(cButtonPainter, DisabledCaptionIsEngraved) {
    cButtonModel model;
    setUpButton(model);
    model.setEnabled(false);
    const QImage image = render(model);
    EXPECT_EQ(image.pixelColor(0, 15), kHighlight);
    EXPECT_EQ(image.pixelColor(79, 15), kShadow);
    EXPECT_GT(pixelsNear(image, kHighlight), 10);
    EXPECT_GT(pixelsNear(image, kShadow), 10);
    EXPECT_EQ(pixelsNear(image, kText), 0);
}

TEST(cButtonPainter, FocusFrameOnlyWithFocusAndWhenShown) {
    cButtonModel model;
    setUpButton(model);
    model.setCaption("");
    EXPECT_EQ(render(model).pixelColor(4, 4), kFace);
    model.setFocus(true);
    QImage focused = render(model);
    EXPECT_EQ(focused.pixelColor(4, 4), kText);
    EXPECT_EQ(focused.pixelColor(5, 4), kFace);  // dotted
    EXPECT_EQ(focused.pixelColor(75, 25), kText);
    EXPECT_EQ(focused.pixelColor(76, 26), kFace);
    model.setShowFocusRect(false);
    EXPECT_EQ(render(model).pixelColor(4, 4), kFace);
}

TEST(cButtonPainter, OtherTypesFillTheFaceOnly) {
    cButtonModel model;
    setUpButton(model);
    model.setButtonType(2);
    model.setFocus(true);
    QImage expected(80, 30, QImage::Format_RGB32);
    expected.fill(kFace);
    EXPECT_EQ(render(model), expected);
}

namespace {

// Two buttons side by side in an active window.
struct ButtonWindow {
    ButtonWindow() {
        auto *layout = new QHBoxLayout(&window);
        first = new cButton(&window);
        second = new cButton(&window);
        first->setCaption("&First");
        second->setCaption("E&xit");
        layout->addWidget(first);
        layout->addWidget(second);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        first->setFocus();
    }

    QWidget window;
    cButton *first = nullptr;
    cButton *second = nullptr;
};

}  // namespace

TEST(cButton, MouseClicks) {
    ButtonWindow w;
    QSignalSpy clicks(w.second, &cButton::Click);
    QSignalSpy downs(w.second, &cButton::MouseDown);
    QTest::mouseClick(w.second, Qt::LeftButton);
    EXPECT_EQ(clicks.size(), 1);
    ASSERT_EQ(downs.size(), 1);
    EXPECT_EQ(downs.at(0).at(0).toInt(), 1);

    QTest::mouseClick(w.second, Qt::RightButton);
    EXPECT_EQ(clicks.size(), 1);
    EXPECT_EQ(downs.at(1).at(0).toInt(), 2);

    QTest::mousePress(w.second, Qt::LeftButton);
    EXPECT_EQ(w.second->model().drawnState(), cButtonModel::kDown);
    QTest::mouseRelease(w.second, Qt::LeftButton, {}, QPoint(-5, -5));
    EXPECT_EQ(clicks.size(), 1);
    EXPECT_EQ(w.second->model().drawnState(), cButtonModel::kUp);
}

TEST(cButton, AccessKeyAndSpaceClick) {
    ButtonWindow w;
    QSignalSpy clicks(w.second, &cButton::Click);
    QTest::keyClick(w.first, Qt::Key_X, Qt::AltModifier);
    EXPECT_EQ(clicks.size(), 1);
    // The caption's new access key replaces the old one.
    w.second->setCaption("&Quit");
    QTest::keyClick(w.first, Qt::Key_X, Qt::AltModifier);
    QTest::keyClick(w.first, Qt::Key_Q, Qt::AltModifier);
    EXPECT_EQ(clicks.size(), 2);
    // No access key while disabled.
    w.second->setEnabled(false);
    QTest::keyClick(w.first, Qt::Key_Q, Qt::AltModifier);
    EXPECT_EQ(clicks.size(), 2);
    w.second->setEnabled(true);

    w.second->setFocus();
    QTest::keyClick(w.second, Qt::Key_Space);
    EXPECT_EQ(clicks.size(), 3);
}

TEST(cButton, CheckButtonToggles) {
    ButtonWindow w;
    QSignalSpy clicks(w.first, &cButton::Click);
    w.first->setIsCheckBox(true);
    QTest::mouseClick(w.first, Qt::LeftButton);
    EXPECT_TRUE(w.first->checked());
    EXPECT_EQ(w.first->model().drawnState(), cButtonModel::kDown);
    QTest::mouseClick(w.first, Qt::LeftButton);
    EXPECT_FALSE(w.first->checked());
    w.first->setChecked(true);
    EXPECT_TRUE(w.first->checked());
    EXPECT_EQ(clicks.size(), 2);
}

TEST(cButton, EnabledFocusAndArrows) {
    ButtonWindow w;
    w.first->setEnabled(false);
    EXPECT_FALSE(w.first->model().Enabled());
    w.first->model().setEnabled(true);
    EXPECT_TRUE(w.first->isEnabled());

    w.first->setFocus();
    EXPECT_TRUE(w.first->model().hasFocus());
    QTest::keyClick(w.first, Qt::Key_Right);
    EXPECT_TRUE(w.second->hasFocus());
    EXPECT_FALSE(w.first->model().hasFocus());
    EXPECT_TRUE(w.second->model().hasFocus());
    QTest::keyClick(w.second, Qt::Key_Up);
    EXPECT_TRUE(w.first->hasFocus());

    EXPECT_EQ(w.first->focusPolicy(), Qt::StrongFocus);
    EXPECT_EQ(w.second->model().width(), w.second->width());
    w.second->setCaption("A much longer caption than before");
    EXPECT_GT(w.second->sizeHint().width(), w.first->sizeHint().width());
}
