#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "../controls/giftestfiles.h"
#include "../data/archivefixture.h"
#include "../recitation/scripteddialogs.h"
#include "controls/animatedgifctl.h"
#include "data/suracatalogue.h"
#include "data/suraloader.h"
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

// A window that lets a sura load and shows nothing of it.
class QuietLoadView : public SuraLoadView {
public:
    int selectedSura() const override { return 2; }
    void processEvents() override {}
    void setRangeSliders(int, int) override {}
    void loadTranslations(int, const QString &) override {}
    void hideWordPicture() override {}
    void setCurrentSlider(int) override {}
    void showArabicPageForVerse(int) override {}
    bool arabicPanelVisible() const override { return true; }
    void showArabicImage(const QString &) override {}
    void showArabicNotInstalled() override {}
    void hideScrollAnimations() override {}
    void setWordHelpVisible(bool) override {}
    void setCurrentVerse(int) override {}
    void updateShadeCaption() override {}
    void SetText() override {}
    void openMp3(const QString &) override {}
};

QByteArray wordRecord(qint16 l, qint16 t, qint16 r, qint16 b, const QByteArray &meaning) {
    return QByteArray(1, '\0') + littleEndian<qint16>({l, t, r, b}) +
           littleEndian<quint16>({quint16(meaning.size())}) + meaning;
}

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

TEST_F(ArabicPageTest, WordMarkerNeverReachesPastThePage) {
    // Sura 2 with words of verse 0 wholly below the page, at (4, 4)..(10, 12), and over the
    // whole 16-bit plane, as a damaged word file could have them.
    const QString app = m_dir.filePath("app");
    const int verses = verseCountOf(2);
    constexpr auto Store = ArchiveWriter::Packing::Store;
    ASSERT_TRUE(
        writeArchive(app + "/data/pos.dat", {{"002.pos", QByteArray(verses * 8, 0), Store}}));
    ASSERT_TRUE(
        writeArchive(app + "/data/hgt.dat", {{"002.hgt", QByteArray(verses * 2, 0), Store}}));
    ASSERT_TRUE(writeArchive(
        app + "/data/wm.dat",
        {{"002.qwf", wordRecord(100, 500, 200, 600, "off") + wordRecord(4, 4, 10, 12, "small") +
                         wordRecord(-32768, -32768, 32767, 32767, "all")}}));
    ASSERT_TRUE(QDir().mkpath(m_dir.filePath("temp")));
    QuietLoadView view;
    SuraLoader loader(view, m_messages, {app, m_dir.filePath("temp"), app + "/mp3/"}, false);
    loader.selectionChanged();
    ASSERT_EQ(loader.WordCount(), 3);
    m_page.setLoader(&loader);

    auto *marker = child<QLabel>("picWord");
    const QSize page = child<AnimatedGifCtl>("AnimatedGifCtl1")->animation().canvas().size();
    ASSERT_EQ(page, QSize(64, 400));
    m_page.mouseMove(5, 5);
    EXPECT_EQ(marker->geometry(), QRect(4, 4, 6, 8));
    EXPECT_EQ(marker->toolTip(), "small");
    m_page.mouseMove(30, 300);
    EXPECT_EQ(marker->geometry(), QRect(QPoint(0, 0), page));
    EXPECT_EQ(marker->pixmap().size(), page);
    EXPECT_EQ(marker->toolTip(), "all");
    // A record with nothing on the page is passed over.
    m_page.mouseMove(150, 550);
    EXPECT_EQ(marker->toolTip(), "all");
    EXPECT_EQ(marker->geometry(), QRect(QPoint(0, 0), page));
}
