#pragma once

#include "archivebuilder.h"
#include "versetextfile.h"

#include <QList>
#include <QPair>
#include <QString>

#include <optional>

namespace varnelo {

// The "config.ini" keys of a translation archive and its opening formulas.
struct TranslationOptions {
    bool IsUnicode = true;  // UTF-16LE text members; otherwise code page 1252
    bool IsRTL = false;
    bool MoreInfoAvailable = false;
    QString ButtonCaption;  // empty: the key is left out and the reader uses the name
    QString WindowCaption;
    QString Font;
    bool FontUsePercentage = false;
    QString AdditionalStyles;
    QList<QPair<QString, QString>> info;  // lines of section [info]
    // The opening formula before verse 1 (bismi.txt) and the one of sura 1 (bismi1.txt). When
    // unset, both default to verse 1:1 of the text when the text has sura 1.
    std::optional<QString> bismi;
    std::optional<QString> bismi1;
};

struct TranslationResult {
    ArchiveBuilder archive;
    QString error;
};

// The members of a translation archive: NNN.txt for every sura of the text (one verse per line,
// so that line N is verse N; sura 1 starts at verse 2, its verse 1 being the opening record
// bismi1.txt), "config.ini", "bismi.txt", "bismi1.txt". Fails when a text cannot be written in
// the declared encoding, naming the verse.
TranslationResult buildTranslation(const VerseTextFile &text, const TranslationOptions &options);

}  // namespace varnelo
