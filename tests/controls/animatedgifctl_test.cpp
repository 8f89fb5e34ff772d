#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QMouseEvent>
#include <QTemporaryDir>

#include "../filebytes.h"
#include "../recitation/scripteddialogs.h"
#include "controls/animatedgifctl.h"
#include "giftestfiles.h"

using namespace varnelo;
using namespace varnelo::test;

namespace {

class AnimatedGifCtlTest : public ::testing::Test {
protected:
    // A 100 x 6 page of three full frames in colours 2, 3 and 4 with a black entry 0.
    QString threeFrames() {
        const QList<QRgb> table = {qRgb(0, 0, 0), qRgb(9, 9, 9), qRgb(200, 0, 0), qRgb(0, 200, 0),
                                   qRgb(0, 0, 200)};
        QList<TestFrame> frames;
        for (int colour = 2; colour <= 4; ++colour) {
            TestFrame frame = patternFrame(0, 0, 100, 6, 1, 0);
            frame.pixels.fill(char(colour));
            frame.pixels[0] = 0;
            frames.append(frame);
        }
        const QString path = m_dir.filePath("page.gif");
        writeFileBytes(path, writeTestGif(100, 6, table, frames));
        return path;
    }
    QRgb shown(int x, int y) { return m_ctl.grab().toImage().pixel(x, y); }

    QTemporaryDir m_dir;
    ScriptedDialogs m_dialogs;
    AnimatedGifCtl m_ctl{m_dialogs};
};

}  // namespace

TEST_F(AnimatedGifCtlTest, LoadDrawsFrameZeroAndPaintGifDrawsOthers) {
    m_ctl.resize(130, 8);
    m_ctl.setForeColor(0x00302010);
    m_ctl.setBackColor(0x00FFFFFF);
    m_ctl.setStrGifFileName(threeFrames());
    m_ctl.LoadGif(false);
    EXPECT_EQ(m_ctl.NumberofFrames(), 2);
    EXPECT_EQ(m_ctl.CurrentFrame(), 0);
    EXPECT_FALSE(m_ctl.StopRender());
    EXPECT_TRUE(m_ctl.AutoBackColor());
    EXPECT_EQ(m_ctl.UserDelay(), 1);
    EXPECT_EQ(shown(0, 0), qRgb(0x10, 0x20, 0x30));  // black entry 0 took the fore colour
    EXPECT_EQ(shown(5, 5), qRgb(200, 0, 0));
    EXPECT_EQ(shown(110, 5), qRgb(255, 255, 255));  // canvas 128 wide, filled with back
    // The file stays in memory while it is shown: once, and no larger than it is.
    const QByteArray &kept = m_ctl.animation().structure()->fileImage;
    EXPECT_EQ(kept.capacity(), QFileInfo(m_ctl.strGifFileName()).size());

    m_ctl.PaintGif(2);
    EXPECT_EQ(m_ctl.CurrentFrame(), 2);
    EXPECT_EQ(shown(5, 5), qRgb(0, 0, 200));
    m_ctl.PaintGif(7);  // no such frame: the page stays
    EXPECT_EQ(shown(5, 5), qRgb(0, 0, 200));
    EXPECT_TRUE(m_dialogs.shown.isEmpty());
}

TEST_F(AnimatedGifCtlTest, FileThatIsNotAGifShowsTheMessageAndForgetsTheName) {
    QStringList changed;
    QObject::connect(&m_ctl, &AnimatedGifCtl::PropertyChanged,
                     [&changed](const QString &key) { changed.append(key); });
    m_ctl.setStrGifFileName(threeFrames());
    m_ctl.LoadGif(false);
    const QString text = m_dir.filePath("text.gif");
    writeFileBytes(text, "GIF7 is not a version");
    for (const QString &name : {text, m_dir.filePath("missing.gif")}) {
        m_ctl.setStrGifFileName(name);
        m_ctl.LoadGif(false);
        EXPECT_EQ(m_ctl.strGifFileName(), "");
        EXPECT_EQ(m_ctl.NumberofFrames(), 0);
    }
    EXPECT_EQ(m_dialogs.shown, QStringList(2, "Not a Valid  File!: Sorry, not an  file"));
    EXPECT_EQ(changed.last(), "strGifFileName");

    m_dialogs.shown.clear();
    m_ctl.StartTimer();
    EXPECT_EQ(m_dialogs.shown,
              QStringList("Varnelo: Sorry, you must first select an  file to Load"));
}

TEST_F(AnimatedGifCtlTest, PropertiesKeepTheirRulesAndDefaults) {
    const std::pair<QVariant, int> delays[] = {{5000, 1000}, {0, 1}, {"abc", 10}, {" 250 ", 250}};
    for (const auto &[value, stored] : delays) {
        m_ctl.setUserDelay(value);
        EXPECT_EQ(m_ctl.UserDelay(), stored) << value.toString().toStdString();
    }

    m_ctl.ReadProperties({{"strGifFileName", threeFrames()}, {"forecolor", 255}});
    EXPECT_TRUE(m_ctl.DisplaySavedGifFileName());
    EXPECT_EQ(m_ctl.ForeColor(), 255);
    EXPECT_EQ(m_ctl.BackColor(), AnimatedGifCtl::kButtonFace);
    EXPECT_EQ(m_ctl.strSura(), "0");
    EXPECT_EQ(m_ctl.translateColour(m_ctl.BackColor()), m_ctl.palette().color(QPalette::Button));
    EXPECT_EQ(m_ctl.translateColour(0x00332211), QColor(0x11, 0x22, 0x33));
    const QVariantMap bag = m_ctl.WriteProperties();
    EXPECT_EQ(bag.value("MaskColor").toLongLong(), AnimatedGifCtl::kButtonFace);
    EXPECT_EQ(bag.value("BorderStyle").toInt(), 0);

    m_ctl.ReadProperties({{"strGifFileName", m_dir.filePath("gone.gif")}});
    EXPECT_FALSE(m_ctl.DisplaySavedGifFileName());
}

TEST_F(AnimatedGifCtlTest, MouseEventsCarryButtonShiftAndPosition) {
    m_ctl.resize(50, 50);
    QList<QVariantList> down;
    int clicks = 0;
    QObject::connect(&m_ctl, &AnimatedGifCtl::MouseDown,
                     [&down](int button, int shift, qreal x, qreal y) {
                         down.append({button, shift, x, y});
                     });
    QObject::connect(&m_ctl, &AnimatedGifCtl::Click, [&clicks] { ++clicks; });
    const auto send = [this](QEvent::Type type, Qt::MouseButton button) {
        QMouseEvent event(type, QPointF(3, 4), m_ctl.mapToGlobal(QPointF(3, 4)), button,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : button,
                          Qt::ShiftModifier);
        QCoreApplication::sendEvent(&m_ctl, &event);
    };
    send(QEvent::MouseButtonPress, Qt::RightButton);
    send(QEvent::MouseButtonRelease, Qt::RightButton);
    send(QEvent::MouseButtonPress, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::LeftButton);
    send(QEvent::MouseButtonDblClick, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::LeftButton);
    ASSERT_EQ(down.size(), 2);
    EXPECT_EQ(down[0], (QVariantList{2, 1, 3.0, 4.0}));
    EXPECT_EQ(clicks, 1);  // neither the right button nor the double click's release
}
