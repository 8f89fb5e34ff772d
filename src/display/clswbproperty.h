#pragma once

#include <QString>

#include <functional>

#include "platform/htmlview.h"

namespace varnelo {

// One translation window's page: its colours, font size, the translation's metadata and opening
// formulas, and the generated HTML page showing DisplayText, written into Browser.
class clsWBProperty {
public:
    // Fills the translation's metadata and formulas for the new TransName.
    using TranslationLoader = std::function<void(clsWBProperty &)>;

    double FontSize = 2.0;
    QString AdditionalStyles;
    QString BackColourHex;
    QString ForeColourHex;
    QString ButtonCaption;
    QString WindowCaption;
    bool MoreInfoAvailable = false;
    bool FontUsePercentage = false;
    bool IsUnicode = false;
    bool IsRTL = false;
    QString FontFace;
    QString BismiText;
    QString Bismi1Text;
    // The view the page goes to; none until the main window binds one.
    HtmlView *Browser = nullptr;
    QString InfoSection;

    qint32 BackColour() const { return m_backColour; }
    // Stores the colour, refreshes BackColourHex and rewrites the page.
    void setBackColour(qint32 colour);
    qint32 ForeColour() const { return m_foreColour; }
    // Stores the colour, refreshes ForeColourHex and rewrites the page.
    void setForeColour(qint32 colour);
    const QString &DisplayText() const { return m_displayText; }
    // Stores the text and rewrites the page, also when the text is unchanged.
    void setDisplayText(const QString &text);
    const QString &TransName() const { return m_transName; }
    // A new name is stored and handed to the metadata loader; the same name does nothing.
    void setTransName(const QString &name);
    void setTransNameLoader(TranslationLoader loader) { m_transNameLoader = std::move(loader); }
    // Loads the opening formulas of TransName through the loader; nothing when none is set.
    void LoadBismi();
    void setBismiLoader(TranslationLoader loader) { m_bismiLoader = std::move(loader); }

    // Writes BuildPage() into Browser; without a bound browser nothing is written.
    void SetWB();
    // The page for the current fields, exactly as SetWB writes it.
    QString BuildPage() const;
    // The scrollbar shade between background and text colour: six hex digits RRGGBB.
    QString ScrollBarColor() const;
    // Component 1 (red), 2 (green) or 3 (blue) of colour, 0..255; -1 for another component
    // number or a colour outside 0..16777215.
    static qint16 GetRGB(qint32 colour, qint16 component);
    // Six upper-case hex digits RRGGBB of a 0x00BBGGRR colour, without "#".
    static QString VB_to_HTMLColor(qint32 colour);
    // The translation's information page: a table of the key=value lines of InfoSection
    // under a heading made from WindowCaption.
    QString AdditionalInfo() const;

private:
    qint32 m_backColour = 0;
    qint32 m_foreColour = 0;
    QString m_displayText;
    QString m_transName;
    TranslationLoader m_transNameLoader;
    TranslationLoader m_bismiLoader;
};

}  // namespace varnelo
