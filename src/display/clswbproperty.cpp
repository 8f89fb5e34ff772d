#include "display/clswbproperty.h"

#include <QStringList>

#include <algorithm>

namespace varnelo {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// twice / 2 rounded to the nearest integer, halves to the even neighbour.
int halfToEven(int twice) {
    int q = twice >= 0 ? twice / 2 : -((-twice + 1) / 2);  // floor
    if (twice - 2 * q == 1 && q % 2 != 0)
        ++q;
    return q;
}

// A Double as the page writes it: 2 for 2.0, 2.5 for 2.5, no exponent for the sizes in use.
QString decimal(double value) {
    return QString::number(value, 'g', 15);
}

// Only blanks count, as a line of tabs is still a line.
bool isBlank(const QString &text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c == ' '; });
}

}  // namespace

void clsWBProperty::setBackColour(qint32 colour) {
    m_backColour = colour;
    BackColourHex = VB_to_HTMLColor(colour);
    SetWB();
}

void clsWBProperty::setForeColour(qint32 colour) {
    m_foreColour = colour;
    ForeColourHex = VB_to_HTMLColor(colour);
    SetWB();
}

void clsWBProperty::setDisplayText(const QString &text) {
    m_displayText = text;
    SetWB();
}

void clsWBProperty::setTransName(const QString &name) {
    if (name == m_transName)
        return;
    m_transName = name;
    if (m_transNameLoader)
        m_transNameLoader(*this);
}

void clsWBProperty::LoadBismi() {
    if (m_bismiLoader)
        m_bismiLoader(*this);
}

qint16 clsWBProperty::GetRGB(qint32 colour, qint16 component) {
    if (component < 1 || component > 3 || colour < 0 || colour >= 16777216)
        return -1;
    return qint16((colour >> (8 * (component - 1))) & 255);
}

QString clsWBProperty::VB_to_HTMLColor(qint32 colour) {
    // Colours with the top bit set are read unsigned, so they too give six digits.
    const quint32 c = quint32(colour);
    const quint32 blue = c / 65536;
    const quint32 green = (c - blue * 65536) / 256;
    const quint32 red = c - blue * 65536 - green * 256;
    const QString hex = QString::number(red * 65536 + green * 256 + blue, 16).toUpper();
    return (QStringLiteral("000000") + hex).right(6);
}

QString clsWBProperty::ScrollBarColor() const {
    int shade[3];
    for (qint16 component = 1; component <= 3; ++component) {
        const int sum = GetRGB(m_backColour, component) + GetRGB(m_foreColour, component);
        // s = sum / 2 rounded, then s / 2 rounded, both halves to even.
        shade[component - 1] = halfToEven(halfToEven(sum));
    }
    return VB_to_HTMLColor(shade[0] + shade[1] * 256 + shade[2] * 65536);
}

QString clsWBProperty::BuildPage() const {
    const QString mid = ScrollBarColor();
    QString page =
        QStringLiteral(
            "<HTML Dir=\"##DIR##\"><HEAD>##style##</HEAD><BODY TOPMARGIN = 5 LEftMARGIN = "
            "5 BOTTOMMARGIN = 5 RIGHTMARGIN = 5 BGCOLOR = ##BackColor## SCROLL = \"auto\" "
            "##SCRIPT##> <FONT ##FONTFACE## ##FONTSIZE## COLOR = ##ForeColor##><B>##TEXT##"
            "</B></FONT>") +
        kCrLf + QStringLiteral("</BODY></HTML>");
    const QString style = QStringLiteral(
        "<style type-\"text/css\"> body{border-width: 0px; ##scrollstyle##; ##fontstyle##} "
        "##AdditionalStyles## </STYLE>");
    const QString scroll =
        QStringList{
            "scrollbar-face-color: #" + BackColourHex,
            "scrollbar-arrow-color: #" + mid,
            "scrollbar-highlight-color: #" + mid,
            "scrollbar-3dlight-color: #" + BackColourHex,
            "scrollbar-shadow-color: #" + mid,
            "scrollbar-darkshadow-color: #" + BackColourHex,
            "scrollbar-track-color: #" + BackColourHex,
        }
            .join(";" + kCrLf) +
        QStringLiteral("; ");
    const QString script = QStringLiteral(
        "onclick=\"javascript:document.location.href ='click';\" "
        "onContextMenu=\"javascript:document.location.href ='right';\"");
    const QString fontStyle =
        FontUsePercentage ? "font-size: " + decimal(FontSize * 100) + "%;" : QString();
    const QString fontSize = FontUsePercentage ? QString() : "SIZE = " + decimal(FontSize);
    const QString face = FontFace.isEmpty() ? QString() : "FACE = \"" + FontFace + "\"";

    // The style block goes in first so the later replacements fill its placeholders too; the
    // text goes in last so placeholders inside it stay as they are.
    page.replace("##style##", style);
    page.replace("##scrollstyle##", scroll);
    page.replace("##fontstyle##", fontStyle);
    page.replace("##FONTSIZE##", fontSize);
    page.replace("##BackColor##", BackColourHex);
    page.replace("##ForeColor##", ForeColourHex);
    page.replace("##FONTFACE##", face);
    page.replace("##SCRIPT##", script);
    page.replace("##AdditionalStyles##", AdditionalStyles);
    page.replace("##DIR##", IsRTL ? QStringLiteral("RTL") : QStringLiteral("LTR"));
    page.replace("##TEXT##", m_displayText);
    return page;
}

void clsWBProperty::SetWB() {
    if (Browser)
        Browser->writeDocument(BuildPage());
}

QString clsWBProperty::AdditionalInfo() const {
    QString rows;
    for (const QString &piece : InfoSection.split(QChar(0))) {
        if (isBlank(piece))
            continue;
        const qsizetype equals = piece.indexOf('=');
        const QString key = equals < 0 ? piece : piece.left(equals);
        const QString value = equals < 0 ? QString() : piece.mid(equals + 1);
        rows += "<TR><TD width=\"50%\">" + key + "</TD><TD width=\"50%\">" + value + "</TD></TR>";
    }
    QString heading = WindowCaption;
    heading.replace("  ", "&nbsp;").remove(' ');

    QString page = QStringLiteral(
        "<html><head> <meta content=\"text/html; charset=ISO-8859-1\" http-equiv=\"content-type\"> "
        "<title>Keyboard shortvuts</title><style type-\"text/css\">body{font-family:Arial;"
        "font-size:90%;Background:#E3EEE3;scrollbar-face-color: #E3EEE3;scrollbar-arrow-color: "
        "#000000;scrollbar-highlight-color: #000000;scrollbar-3dlight-color: "
        "#E3EEE3;scrollbar-shadow-color: #000000;scrollbar-darkshadow-color: "
        "#C6FFFF;scrollbar-track-color: #E3EEE3;}</STYLE></head><body SCROLL = \"auto\" "
        "onContextMenu=\"return false;\"><span style=\"font-weight: bold; text-decoration: "
        "underline;\">##Heading## </span><br><table style=\"text-align: left; width: 100%;\" "
        "border=\"1\"  style=\"border-collapse: collapse\" cellpadding=\"2\" cellspacing=\"2\" "
        "bordercolor=\"#111111\" ><tbody>##rows##</tbody></table><br></body></html>");
    page.replace("##rows##", rows);
    page.replace("##Heading##", heading);
    return page;
}

}  // namespace varnelo
