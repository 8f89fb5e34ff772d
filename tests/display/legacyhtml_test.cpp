#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "display/clswbproperty.h"
#include "display/legacyhtml.h"

using namespace varnelo;

TEST(LegacyHtml, PageColoursGetHashAndEverythingElseStays) {
    clsWBProperty wb;
    wb.setBackColour(227 + 238 * 256 + 227 * 65536);
    wb.setForeColour(255);
    wb.setDisplayText("Say: color = 123456");
    const QString page = wb.BuildPage();
    QString expected = page;
    expected.replace("BGCOLOR = E3EEE3", "BGCOLOR = \"#E3EEE3\"")
        .replace("COLOR = FF0000>", "COLOR = \"#FF0000\">");
    EXPECT_EQ(normaliseLegacyHtml(page), expected);
}

TEST(LegacyHtml, AttributesAreReadOnlyInsideTagsAndOutsideOtherValues) {
    const auto same = [](const QString &html) { EXPECT_EQ(normaliseLegacyHtml(html), html); };
    same("<p title='color=123456' class=\"x bgcolor=ABCDEF\">color=123456</p>");
    same("<font color=red size=3 face=\"Arial\">a</font><font color=#123456>b</font>");
    same("<td bgcolor=12345>short</td><span color=ABCDEFG>long</span>");
    same("a < b and 1 <2 <!-- color=123456 -->");
    // Unfinished markup ends the scan instead of running past the text.
    same("text <font color=");
    same("<font color=\"123456");
    same("<");

    EXPECT_EQ(normaliseLegacyHtml("<td BgColor='abcdef'><FONT color=123456 x>"),
              "<td BgColor=\"#abcdef\"><FONT color=\"#123456\" x>");
}

TEST(LegacyHtml, FractionalFontSizesAndPercentagesBecomeSizesQtReads) {
    EXPECT_EQ(normaliseLegacyHtml("<FONT  SIZE = 2.5 COLOR = 000000>"),
              "<FONT  SIZE = 2 COLOR = \"#000000\">");
    EXPECT_EQ(normaliseLegacyHtml("<FONT SIZE = 7><p size=2.5>"), "<FONT SIZE = 7><p size=2.5>");
    // Sizes that are no number, from a page's text or a damaged setting, stay as written.
    EXPECT_EQ(normaliseLegacyHtml("<FONT SIZE=nan><font size=-inf>"),
              "<FONT SIZE=nan><font size=-inf>");
    EXPECT_EQ(normaliseLegacyHtml("<style type-\"text/css\"> body{a: 1; font-size: 200%;} "
                                  "p{FONT-SIZE:12.5%} </STYLE><p>font-size: 50%</p>"),
              "<style type-\"text/css\"> body{a: 1; font-size: 32px;} p{font-size: 2px} "
              "</STYLE><p>font-size: 50%</p>");
    EXPECT_EQ(normaliseLegacyHtml("<span style='font-size:150%; color:red'>x</span>"),
              "<span style='font-size: 24px; color:red'>x</span>");
    EXPECT_EQ(normaliseLegacyHtml("<p style=font-size:50%>"), "<p style=\"font-size: 8px\">");
    // The quotes added around a bare value are ones it does not contain, so that text after a
    // quote inside it stays part of the value.
    EXPECT_EQ(normaliseLegacyHtml("<p style=font-size:50%\"b=00ff00\" c=1>"),
              "<p style='font-size: 8px\"b=00ff00\"' c=1>");
    EXPECT_EQ(normaliseLegacyHtml("<p style=font-size:50%\"'\"'' c=1>"),
              "<p style=font-size:50%\"'\"'' c=1>");
    // A style block left open is converted to the end of the page.
    EXPECT_EQ(normaliseLegacyHtml("<style>b{font-size:100%}"), "<style>b{font-size: 16px}");
}

TEST(LegacyHtml, UnclosedQuotesCostOnePassOverThePage) {
    // Where a tag ends depends on the quotes seen from its own start.
    EXPECT_EQ(normaliseLegacyHtml("<a \"x <b bgcolor=ffffff> \" <font color=000000>"),
              "<a \"x <b bgcolor=ffffff> \" <font color=\"#000000\">");
    EXPECT_EQ(normaliseLegacyHtml("<b x=\"1>\" <i \"2> <p color=abcdef>"),
              "<b x=\"1>\" <i \"2> <p color=\"#abcdef\">");

    // A verse of 400 KB of '<b"' with no '>' at all once took tens of seconds: every '<'
    // scanned to the page's end.
    const QString verse = QStringLiteral("<b\"").repeated(400 * 1024 / 3);
    QElapsedTimer timer;
    timer.start();
    const QString out = normaliseLegacyHtml(verse);
    EXPECT_LT(timer.elapsed(), 2000);
    EXPECT_EQ(out, verse);
    // With a '>' at the end, the tags from every other '<' run to it.
    EXPECT_EQ(normaliseLegacyHtml(verse + "<font color=123456>"),
              verse + QStringLiteral("<font color=\"#123456\">"));
}
