#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTimer>

#include "display/clswbproperty.h"
#include "display/qthtmlview.h"

using namespace varnelo;

namespace {

const QColor kBack(0xE3, 0xEE, 0xE3);
const QColor kRed(0xFF, 0, 0);

int pixelsOf(const QImage &img, const QColor &colour) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += img.pixelColor(x, y) == colour;
    return n;
}

// A shown 300 x 200 view with the translation page in red on the default background.
struct PageView {
    QtHtmlView view;
    clsWBProperty wb;
    QStringList requests;

    PageView() {
        view.resize(300, 200);
        view.show();
        view.setBeforeNavigate([this](const QString &address, bool &) { requests << address; });
        wb.Browser = &view;
        wb.setBackColour(0xE3 + 0xEE * 256 + 0xE3 * 65536);
        wb.setForeColour(255);
    }
    QImage show(const QString &text) {
        wb.setDisplayText(text);
        QApplication::processEvents();
        return view.grab().toImage();
    }
    // The rectangle holding the pixels of the text colour.
    QRect textBox(const QString &text) {
        const QImage img = show(text);
        QRect box;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixelColor(x, y) == kRed)
                    box |= QRect(x, y, 1, 1);
        return box;
    }
    QTextCharFormat firstFormat() const {
        return view.document()->begin().begin().fragment().charFormat();
    }
};

}  // namespace

TEST(QtHtmlView, PageShowsItsColoursBoldAndFace) {
    PageView page;
    const QImage img = page.show("In the name of God");
    EXPECT_EQ(img.pixelColor(img.width() - 20, img.height() - 20), kBack);
    EXPECT_EQ(img.pixelColor(2, img.height() / 2), kBack);
    EXPECT_GT(pixelsOf(img, kRed), 30);
    EXPECT_EQ(pixelsOf(img, Qt::black), 0);
    EXPECT_EQ(page.firstFormat().fontWeight(), QFont::Bold);

    page.wb.FontFace = "Serif";
    page.show("x");
    EXPECT_TRUE(page.firstFormat().fontFamilies().toStringList().contains("Serif"));
}

TEST(QtHtmlView, FontSizesGrowInBothFormsAndHalfSizesShow) {
    PageView page;
    auto height = [&](double size, bool percentage) {
        page.wb.FontSize = size;
        page.wb.FontUsePercentage = percentage;
        return page.textBox("Hg").height();
    };
    const int two = height(2, false);
    EXPECT_LT(height(1, false), two);
    EXPECT_LT(two * 2, height(7, false));
    EXPECT_EQ(height(2.5, false), two);
    EXPECT_LT(height(1, true) * 3 / 2, height(2, true));
    EXPECT_LT(two, height(2, true));
}

TEST(QtHtmlView, RightToLeftPageAlignsRight) {
    PageView page;
    EXPECT_LT(page.textBox("Hi").right(), 100);
    page.wb.IsRTL = true;
    EXPECT_GT(page.textBox("Hi").left(), 200);
}

TEST(QtHtmlView, PlainTextIsTheRenderedTextWithoutLineEndBlanks) {
    PageView page;
    // Verse lines keep the CR of their CR LF; blocks of the translation's own markup break lines.
    page.show("Verse three\r");
    EXPECT_EQ(page.view.plainText(), "Verse three");
    page.show("One  two <p>Note &nbsp;here</p>last\r");
    EXPECT_EQ(page.view.plainText(), "One two\r\nNote  here\r\nlast");
}

TEST(QtHtmlView, ClicksBecomeRequestsAndNothingNavigates) {
    PageView page;
    page.wb.FontSize = 7;
    page.show("<a href=\"https://example.org/x\">link</a> text");
    const QPoint at(8, 8);
    auto mouse = [&](QEvent::Type type, Qt::MouseButton button) {
        QMouseEvent event(type, at, page.view.viewport()->mapToGlobal(at), button,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : button,
                          Qt::NoModifier);
        QApplication::sendEvent(page.view.viewport(), &event);
    };

    // A menu that opens anyway is closed, so a failing test does not hang.
    bool menuShown = false;
    mouse(QEvent::MouseButtonPress, Qt::RightButton);
    for (auto reason : {QContextMenuEvent::Mouse, QContextMenuEvent::Keyboard}) {
        QTimer::singleShot(0, [&] {
            if (QWidget *popup = QApplication::activePopupWidget()) {
                menuShown = true;
                popup->close();
            }
        });
        QContextMenuEvent menu(reason, at, page.view.viewport()->mapToGlobal(at));
        QApplication::sendEvent(page.view.viewport(), &menu);
        QApplication::processEvents();
    }
    EXPECT_FALSE(menuShown);
    EXPECT_EQ(page.requests, QStringList({"right", "right"}));

    page.requests.clear();
    mouse(QEvent::MouseButtonPress, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(page.requests, QStringList({"click", "https://example.org/x"}));
    EXPECT_TRUE(page.view.source().isEmpty());
    EXPECT_EQ(page.view.plainText(), "link text");
}

TEST(QtHtmlView, ScriptsAndExternalFilesNeverLoad) {
    QTemporaryDir dir;
    QImage dot(16, 16, QImage::Format_RGB32);
    dot.fill(Qt::blue);
    const QString picture = dir.filePath("dot.png");
    ASSERT_TRUE(dot.save(picture));
    QFile css(dir.filePath("blue.css"));
    ASSERT_TRUE(css.open(QIODevice::WriteOnly));
    css.write("p { color: #0000FF; font-size: 40px }");
    css.close();

    QtHtmlView view;
    view.resize(200, 100);
    view.show();
    view.writeDocument(
        QString("<html><head><link rel=\"stylesheet\" type=\"text/css\" "
                "href=\"%1\"></head><body><p>a<script>document.write('bad')"
                "</script></p><p>b<img src=\"%2\"><img src=\"%3\"></p></body></html>")
            .arg(QUrl::fromLocalFile(css.fileName()).toString(),
                 QUrl::fromLocalFile(picture).toString(), picture));
    QApplication::processEvents();
    EXPECT_EQ(view.plainText().remove(QChar::ObjectReplacementCharacter), "a\r\nb");
    EXPECT_EQ(pixelsOf(view.grab().toImage(), Qt::blue), 0);

    // A cancelled blank navigation keeps the page; an allowed one empties it.
    bool cancel = true;
    view.setBeforeNavigate(
        [&](const QString &address, bool &c) { c = cancel && address == "about:blank"; });
    view.navigateToBlank();
    EXPECT_FALSE(view.plainText().isEmpty());
    cancel = false;
    view.navigateToBlank();
    EXPECT_EQ(view.plainText(), "");
}
