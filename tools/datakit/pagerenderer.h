#pragma once

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QString>

namespace varnelo {

// One verse entry of a part image.
struct PageVerse {
    int verseIndex = 0;
    int number = 0;        // verse number shown after the verse; 0 shows none (opening formula)
    QString text;          // Unicode Arabic
    QString wordMeanings;  // words separated by blanks, one per Arabic word; else the Arabic word
    bool ownLine = false;  // set apart on a centred line of its own (the opening formula)
};

struct PageStyle {
    int width = 520;
    int margin = 14;
    int pixelSize = 20;
    double lineSpacing = 1.5;  // line pitch in font pixel sizes
    int shades = 2;            // anti-aliasing steps between text and ground, 0..6
    QString fontFamily;        // empty: the best Arabic font found
};

struct WordBox {
    int verseIndex = 0;
    QRect rect;  // pixels of the part image
    QString meaning;
};

struct RenderedPart {
    QByteArray gif;  // frame k marks the part's k-th verse
    int height = 0;
    QList<int> verseBottoms;  // pixel row below each verse of the part, in part order
    QList<WordBox> words;
    QString error;
};

// Lays out the verses right to left, one flowing text, and writes one full-size frame per verse
// with that verse on a coloured band. The background is the transparent colour; text is palette
// entry 0 (black), so the viewer can recolour both.
RenderedPart renderPart(const QList<PageVerse> &verses, const PageStyle &style);

// The family used for Arabic text: Amiri when installed, else the first font that claims Arabic
// (warning set), else empty with warning set.
QString arabicFontFamily(QString *warning);

}  // namespace varnelo
