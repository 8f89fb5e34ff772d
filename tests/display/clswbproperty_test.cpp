#include <gtest/gtest.h>

#include "display/clswbproperty.h"
#include "platform/fakehtmlview.h"

using namespace varnelo;

namespace {

constexpr qint32 rgb(int red, int green, int blue) {
    return red + green * 256 + blue * 65536;
}

const qint32 kDefaultBack = rgb(227, 238, 227);

}  // namespace

TEST(clsWBProperty, ColoursBecomeSixHexDigitsAndComponents) {
    EXPECT_EQ(clsWBProperty::VB_to_HTMLColor(0), "000000");
    EXPECT_EQ(clsWBProperty::VB_to_HTMLColor(16777215), "FFFFFF");
    EXPECT_EQ(clsWBProperty::VB_to_HTMLColor(rgb(255, 0, 0)), "FF0000");
    EXPECT_EQ(clsWBProperty::VB_to_HTMLColor(kDefaultBack), "E3EEE3");
    EXPECT_EQ(clsWBProperty::VB_to_HTMLColor(rgb(0x56, 0x34, 0x12)), "563412");
    EXPECT_EQ(clsWBProperty::VB_to_HTMLColor(rgb(1, 2, 3)), "010203");
    // A system colour index still gives six digits, never a longer or negative text.
    EXPECT_EQ(clsWBProperty::VB_to_HTMLColor(qint32(0x8000000F)).size(), 6);

    const qint32 c = rgb(10, 20, 30);
    EXPECT_EQ(clsWBProperty::GetRGB(c, 1), 10);
    EXPECT_EQ(clsWBProperty::GetRGB(c, 2), 20);
    EXPECT_EQ(clsWBProperty::GetRGB(c, 3), 30);
    EXPECT_EQ(clsWBProperty::GetRGB(16777215, 3), 255);
    EXPECT_EQ(clsWBProperty::GetRGB(c, 0), -1);
    EXPECT_EQ(clsWBProperty::GetRGB(c, 4), -1);
    EXPECT_EQ(clsWBProperty::GetRGB(-1, 1), -1);
    EXPECT_EQ(clsWBProperty::GetRGB(16777216, 1), -1);
}

TEST(clsWBProperty, ScrollShadeHalvesTwiceRoundingToEven) {
    clsWBProperty wb;
    wb.setBackColour(kDefaultBack);
    wb.setForeColour(0);
    EXPECT_EQ(wb.ScrollBarColor(), "393C39");
    wb.setBackColour(16777215);
    wb.setForeColour(16777215);
    EXPECT_EQ(wb.ScrollBarColor(), "808080");
    // Red: 5 / 2 = 2.5 -> 2, then 1; green: 10 / 2 = 5, 5 / 2 = 2.5 -> 2. Halves up would give
    // 020300.
    wb.setBackColour(rgb(5, 10, 0));
    wb.setForeColour(0);
    EXPECT_EQ(wb.ScrollBarColor(), "010200");
}

TEST(clsWBProperty, DefaultPageIsWrittenOnEveryColourAndTextSet) {
    clsWBProperty wb;
    // Before a view is bound the setters only store.
    wb.setBackColour(kDefaultBack);
    FakeHtmlView view;
    wb.Browser = &view;
    wb.setBackColour(kDefaultBack);
    wb.setForeColour(0);
    wb.setDisplayText("In the name");
    wb.setDisplayText("In the name");
    ASSERT_EQ(view.writes().size(), 4);
    EXPECT_EQ(view.html(), wb.BuildPage());
    EXPECT_EQ(view.html(),
              "<HTML Dir=\"LTR\"><HEAD><style type-\"text/css\"> body{border-width: 0px; "
              "scrollbar-face-color: #E3EEE3;\r\n"
              "scrollbar-arrow-color: #393C39;\r\n"
              "scrollbar-highlight-color: #393C39;\r\n"
              "scrollbar-3dlight-color: #E3EEE3;\r\n"
              "scrollbar-shadow-color: #393C39;\r\n"
              "scrollbar-darkshadow-color: #E3EEE3;\r\n"
              "scrollbar-track-color: #E3EEE3; ; }  </STYLE></HEAD><BODY TOPMARGIN = 5 LEftMARGIN "
              "= 5 BOTTOMMARGIN = 5 RIGHTMARGIN = 5 BGCOLOR = E3EEE3 SCROLL = \"auto\" "
              "onclick=\"javascript:document.location.href ='click';\" "
              "onContextMenu=\"javascript:document.location.href ='right';\"> <FONT  SIZE = 2 "
              "COLOR = 000000><B>In the name</B></FONT>\r\n</BODY></HTML>");

    // Size, face, direction and styles show only at the next write.
    wb.FontSize = 3;
    wb.IsRTL = true;
    EXPECT_EQ(view.writes().size(), 4);
    wb.SetWB();
    EXPECT_TRUE(view.html().startsWith("<HTML Dir=\"RTL\">"));
    EXPECT_TRUE(view.html().contains("<FONT  SIZE = 3 COLOR"));
}

TEST(clsWBProperty, PercentageFaceRightToLeftAndPlaceholdersInText) {
    clsWBProperty wb;
    wb.setBackColour(16777215);
    wb.setForeColour(rgb(255, 0, 0));
    wb.FontUsePercentage = true;
    wb.FontSize = 2.5;
    wb.FontFace = "Times New Roman";
    wb.IsRTL = true;
    wb.AdditionalStyles = "p{margin:0}";
    wb.setDisplayText("a ##DIR## <i>##TEXT##</i> ##style##");
    EXPECT_EQ(wb.BuildPage(),
              "<HTML Dir=\"RTL\"><HEAD><style type-\"text/css\"> body{border-width: 0px; "
              "scrollbar-face-color: #FFFFFF;\r\n"
              "scrollbar-arrow-color: #804040;\r\n"
              "scrollbar-highlight-color: #804040;\r\n"
              "scrollbar-3dlight-color: #FFFFFF;\r\n"
              "scrollbar-shadow-color: #804040;\r\n"
              "scrollbar-darkshadow-color: #FFFFFF;\r\n"
              "scrollbar-track-color: #FFFFFF; ; font-size: 250%;} p{margin:0} </STYLE></HEAD>"
              "<BODY TOPMARGIN = 5 LEftMARGIN = 5 BOTTOMMARGIN = 5 RIGHTMARGIN = 5 BGCOLOR = "
              "FFFFFF SCROLL = \"auto\" onclick=\"javascript:document.location.href ='click';\" "
              "onContextMenu=\"javascript:document.location.href ='right';\"> <FONT FACE = "
              "\"Times New Roman\"  COLOR = FF0000><B>a ##DIR## <i>##TEXT##</i> "
              "##style##</B></FONT>\r\n</BODY></HTML>");

    // A half size without percentage is written as it is, whole sizes without ".0".
    wb.FontUsePercentage = false;
    EXPECT_TRUE(wb.BuildPage().contains("<FONT FACE = \"Times New Roman\" SIZE = 2.5 COLOR"));
    wb.FontUsePercentage = true;
    wb.FontSize = 2;
    EXPECT_TRUE(wb.BuildPage().contains("; ; font-size: 200%;} p{margin:0} </STYLE>"));
}

TEST(clsWBProperty, TranslationNameGoesToTheLoaderOnlyWhenItChanges) {
    clsWBProperty wb;
    wb.setTransName("English");  // no loader yet
    QStringList loaded;
    wb.setTransNameLoader([&](clsWBProperty &self) { loaded << self.TransName(); });
    wb.setTransName("English");
    wb.setTransName("Farsi");
    wb.setTransName("Farsi");
    EXPECT_EQ(loaded, QStringList{"Farsi"});
    EXPECT_EQ(wb.TransName(), "Farsi");

    wb.LoadBismi();  // no loader: nothing happens
    wb.setBismiLoader([](clsWBProperty &self) { self.BismiText = "In the name"; });
    wb.LoadBismi();
    EXPECT_EQ(wb.BismiText, "In the name");
}

TEST(clsWBProperty, InformationPageListsKeyValueLinesUnderTheCaption) {
    clsWBProperty wb;
    wb.WindowCaption = "English - Tamsen  Edition";
    wb.InfoSection = QString("Translator=A. Tamsen") + QChar(0) + "   " + QChar(0) + "Year=1999" +
                     QChar(0) + "Url=a=b" + QChar(0) + "Note" + QChar(0);
    EXPECT_EQ(
        wb.AdditionalInfo(),
        "<html><head> <meta content=\"text/html; charset=ISO-8859-1\" "
        "http-equiv=\"content-type\"> <title>Keyboard shortvuts</title><style "
        "type-\"text/css\">body{font-family:Arial;font-size:90%;Background:#E3EEE3;scrollbar-"
        "face-color: #E3EEE3;scrollbar-arrow-color: #000000;scrollbar-highlight-color: "
        "#000000;scrollbar-3dlight-color: #E3EEE3;scrollbar-shadow-color: "
        "#000000;scrollbar-darkshadow-color: #C6FFFF;scrollbar-track-color: "
        "#E3EEE3;}</STYLE></head><body SCROLL = \"auto\" onContextMenu=\"return false;\"><span "
        "style=\"font-weight: bold; text-decoration: underline;\">English-Tamsen&nbsp;Edition "
        "</span><br><table style=\"text-align: left; width: 100%;\" border=\"1\"  "
        "style=\"border-collapse: collapse\" cellpadding=\"2\" cellspacing=\"2\" "
        "bordercolor=\"#111111\" ><tbody>"
        "<TR><TD width=\"50%\">Translator</TD><TD width=\"50%\">A. Tamsen</TD></TR>"
        "<TR><TD width=\"50%\">Year</TD><TD width=\"50%\">1999</TD></TR>"
        "<TR><TD width=\"50%\">Url</TD><TD width=\"50%\">a=b</TD></TR>"
        "<TR><TD width=\"50%\">Note</TD><TD width=\"50%\"></TD></TR>"
        "</tbody></table><br></body></html>");

    wb.InfoSection = QString("  ") + QChar(0) + QChar(0);
    EXPECT_TRUE(wb.AdditionalInfo().contains("<tbody></tbody>"));
}
