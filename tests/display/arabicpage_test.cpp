#include <gtest/gtest.h>

#include <QFile>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "../controls/giftestfiles.h"
#include "../recitation/scripteddialogs.h"
#include "controls/animatedgifctl.h"
#include "display/arabicpage.h"

using namespace varnelo;
using namespace varnelo::test;

namespace {

// A panel with a page of 48 x 400 pixels behind a viewport 100 pixels high.
class ArabicPageTest : public testing::Test {
protected:
    void SetUp() override {
        const QString gif = m_dir.filePath("page.gif");
        QFile file(gif);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(writeTestGif(48, 400, {qRgb(0, 0, 0), qRgb(255, 255, 255)},
                                {patternFrame(0, 0, 48, 400, 2, 0)}));
        file.close();
        m_panel.resize(400, 200);
        m_page.showImage(gif);
        m_page.layout(400, ArabicPage::CaptionHeight + ArabicPage::ViewportMargin + 100);
        m_panel.show();
    }

    template <typename T>
    T *child(const char *name) {
        return m_panel.findChild<T *>(QLatin1String(name));
    }

    QTemporaryDir m_dir;
    ScriptedDialogs m_messages;
    QWidget m_panel;
    int m_sura = 2;
    ArabicPage m_page{&m_panel, m_messages, {[this] { return m_sura; }, [] { return 0; }}};
};

}  // namespace

TEST_F(ArabicPageTest, KeysScrollTheTallPageOfSuras2To78WithinItsHeight) {
    auto *image = child<AnimatedGifCtl>("AnimatedGifCtl1");
    ASSERT_EQ(image->height(), 400);
    for (int sura : {1, 79, 114}) {
        m_sura = sura;
        m_page.scrollKey(false);
        EXPECT_EQ(m_page.pageTop(), 0) << sura;
    }

    m_sura = 78;
    m_page.scrollKey(false);
    m_page.scrollKey(false);
    EXPECT_EQ(m_page.pageTop(), -200);
    EXPECT_EQ(image->y(), -200 / ArabicPage::TwipsPerPixel);
    for (int i = 0; i < 3; ++i)
        m_page.scrollKey(true);
    EXPECT_EQ(m_page.pageTop(), 0);

    // Down stops once the page's foot is in the viewport: 400 - 100 pixels further.
    m_sura = 2;
    for (int i = 0; i < 100; ++i)
        m_page.scrollKey(false);
    EXPECT_EQ(m_page.pageTop(), -300 * ArabicPage::TwipsPerPixel);
    EXPECT_EQ(image->y(), -300);
}

TEST_F(ArabicPageTest, PressesOnThePageTheFillerAndTheMarkerComeOutAsOneSignal) {
    QSignalSpy pressed(&m_page, &ArabicPage::mouseDown);
    auto *filler = child<QWidget>("picFillerForArabicWindow");
    // The page is narrower than the panel, so the filler takes the rest of the width.
    ASSERT_TRUE(filler->isVisible());
    EXPECT_EQ(filler->x(), ArabicPage::PageLeft + child<QWidget>("AnimatedGifCtl1")->width());

    QTest::mouseClick(child<AnimatedGifCtl>("AnimatedGifCtl1"), Qt::LeftButton);
    QTest::mouseClick(filler, Qt::RightButton);
    QTest::mouseClick(filler, Qt::MiddleButton);
    auto *marker = child<QWidget>("picWord");
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
    QCoreApplication::sendEvent(marker, &press);

    QList<int> buttons;
    for (const QList<QVariant> &args : pressed)
        buttons.append(args[0].toInt());
    EXPECT_EQ(buttons, (QList<int>{1, 2, 0, 2}));
}
