#pragma once

#include <array>
#include <optional>

#include <QByteArray>
#include <QList>
#include <QString>

namespace varnelo {

// One frame of a GIF file as its blocks describe it. Offsets are into GifStructure::fileImage.
struct GifFrame {
    quint16 left = 0;
    quint16 top = 0;
    quint16 width = 0;
    quint16 height = 0;
    bool localTable = false;
    bool interlaced = false;
    bool sorted = false;
    quint8 localSizeField = 0;
    quint8 lzwMinCodeSize = 0;
    quint16 delay = 0;  // hundredths of a second
    quint8 transparentIndex = 0;
    quint8 disposal = 0;
    bool userInput = false;
    bool transparent = false;
    qint64 localTableOffset = -1;
    QByteArray palette;  // RGB triples; entries past its end are black
    qint64 startOffset = 0;
    qint64 descriptorOffset = 0;
    qint64 dataOffset = 0;  // the LZW minimum code size starting the image data
    qint64 endOffset = 0;   // the zero-length block ending the image data, or the file's end
};

// The block structure of a GIF file after loading: black in the first two global entries made
// the fore colour and every transparent colour made unique in its table.
struct GifStructure {
    QByteArray fileImage;  // the file's bytes with the colour changes written in
    quint16 screenWidth = 0;
    quint16 screenHeight = 0;
    quint8 screenPacked = 0;
    quint8 backgroundIndex = 0;
    quint8 aspect = 0;
    bool globalTable = false;
    QByteArray globalTableCopy;
    QList<GifFrame> frames;

    // The canvas every frame is drawn on: the widest and tallest of screen and frames, the width
    // rounded up to a multiple of 32.
    int canvasWidth() const;
    int canvasHeight() const;

    // The 256 colours (0xRRGGBB) the frame's pixel indexes stand for: its local table or the
    // global table as the file image now holds them, black past the table's end.
    std::array<quint32, 256> colourTable(int frame) const;

    // The colour drawn as transparent: the frame palette's entry at its transparent index, or
    // nothing when the frame has no transparency.
    std::optional<quint32> keyColour(int frame) const;

    // Decodes the frame's image data to palette indexes, width x height bytes at pixels with
    // rows bytesPerLine apart, interlaced rows put in their place. Pixels the data never
    // reaches (a file cut short, a damaged code) take the background index. False, nothing
    // written, when the minimum code size is over 8 or the file ends before the image data.
    bool decodeFrame(int frame, uchar *pixels, qsizetype bytesPerLine) const;
};

// Parsing outcome: the structure, or the control's message when the bytes are not a GIF.
struct GifParseResult {
    std::optional<GifStructure> gif;
    QString error;
};

extern const char kNotAGifTitle[];
extern const char kNotAGifText[];

// Parses a GIF file image. foreColour (0x00BBGGRR; components outside 0..255 count as 255)
// replaces black in global entries 0 and 1. Reads never go past the end of bytes: a truncated
// or damaged file gives the frames found before the damage.
GifParseResult parseGif(QByteArray bytes, qint64 foreColour, bool changeTransparentColour);

// Component 1 (red), 2 (green) or 3 (blue) of a colour 0..0xFFFFFF; 255 for any other input.
quint8 gifColourComponent(qint64 colour, int component);

}  // namespace varnelo
