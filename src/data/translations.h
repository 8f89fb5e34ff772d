#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

#include "data/suradata.h"

namespace varnelo {

// The folder of the translation archives below appFolder.
QString translationFolder(const QString &appFolder);

// The archive of translation name: the exact file name when it exists, otherwise the first file in
// the folder whose name matches name + ".dat" ignoring letter case; "" when there is none.
QString translationArchivePath(const QString &appFolder, const QString &name);

// The catalogue: the names of the *.dat files of the translation folder with every ".dat"
// removed, sorted ignoring case. An unreadable folder lists nothing.
QStringList LoadInstalledTranslations(const QString &appFolder);

// A translation window's metadata and opening formulas, as the page builder holds them.
struct TranslationFields {
    bool IsUnicode = false;
    bool IsRTL = false;
    bool MoreInfoAvailable = false;
    QString ButtonCaption;
    QString WindowCaption;
    QString FontFace;
    bool FontUsePercentage = false;
    QString AdditionalStyles;
    QString InfoSection;
    QString BismiText;
    QString Bismi1Text;
};

// What a new TransName loads: the config.ini metadata (defaults for a missing member or key), then
// the opening formulas. When the translation has no archive, fields are left as they were.
void LoadTransNameFields(const QString &appFolder, const QString &tempFolder, const QString &name,
                         TranslationFields &fields);

// The opening formulas of name from bismi.txt and bismi1.txt. A missing bismi.txt keeps BismiText;
// a missing bismi1.txt copies BismiText. ANSI formulas starting with "NA" mean none.
void LoadBismiFields(const QString &appFolder, const QString &tempFolder, const QString &name,
                     TranslationFields &fields);

// Connects a page builder's loader hooks (setTransNameLoader, setBismiLoader) to the loaders
// above, copying the fields in and out of the page.
template <typename Page>
void bindTranslationLoaders(Page &page, const QString &appFolder, const QString &tempFolder) {
    const auto run = [appFolder, tempFolder](Page &p, bool withMetadata) {
        TranslationFields f{.IsUnicode = p.IsUnicode,
                            .IsRTL = p.IsRTL,
                            .MoreInfoAvailable = p.MoreInfoAvailable,
                            .ButtonCaption = p.ButtonCaption,
                            .WindowCaption = p.WindowCaption,
                            .FontFace = p.FontFace,
                            .FontUsePercentage = p.FontUsePercentage,
                            .AdditionalStyles = p.AdditionalStyles,
                            .InfoSection = p.InfoSection,
                            .BismiText = p.BismiText,
                            .Bismi1Text = p.Bismi1Text};
        if (withMetadata)
            LoadTransNameFields(appFolder, tempFolder, p.TransName(), f);
        else
            LoadBismiFields(appFolder, tempFolder, p.TransName(), f);
        p.IsUnicode = f.IsUnicode;
        p.IsRTL = f.IsRTL;
        p.MoreInfoAvailable = f.MoreInfoAvailable;
        p.ButtonCaption = f.ButtonCaption;
        p.WindowCaption = f.WindowCaption;
        p.FontFace = f.FontFace;
        p.FontUsePercentage = f.FontUsePercentage;
        p.AdditionalStyles = f.AdditionalStyles;
        p.InfoSection = f.InfoSection;
        p.BismiText = f.BismiText;
        p.Bismi1Text = f.Bismi1Text;
    };
    page.setTransNameLoader([run](Page &p) { run(p, true); });
    page.setBismiLoader([run](Page &p) { run(p, false); });
}

// The opening formulas of one translation window.
struct OpeningFormulas {
    QString bismi;
    QString bismi1;
};

// Fills the text field of window (2, 3 or 4) in every record of verseTimes from member of
// translation name, for sura: record 0 of all three windows gets their opening formula (bismi1 for
// sura 1, none written for sura 9, which starts its lines at record 0), then one line per record.
// Records without a line get "". Returns the error (archive or member missing) or "", in which case
// the window's records are still filled, with empty texts.
QString LoadTranslation(const QString &appFolder, const QString &tempFolder, const QString &name,
                        int window, const QString &member, bool unicode, int sura,
                        const std::array<OpeningFormulas, 3> &formulas,
                        QList<VerseTime> &verseTimes);

}  // namespace varnelo
