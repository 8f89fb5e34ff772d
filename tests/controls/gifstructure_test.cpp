#include <gtest/gtest.h>

#include "controls/gifstructure.h"

using namespace varnelo;

namespace {

QByteArray hex(const char *digits) {
    return QByteArray::fromHex(digits);
}

// Header and screen descriptor of a w x h GIF with the given packed byte.
QByteArray screen(int width, int height, quint8 packed) {
    QByteArray out("GIF89a");
    for (const int v : {width, height}) {
        out.append(char(v & 0xFF));
        out.append(char(v >> 8));
    }
    out.append(char(packed));
    out.append(2, '\0');
    return out;
}

// Image descriptor at (1, 2) of 3 x 4 with the packed byte, then a tiny image data block.
QByteArray image(quint8 packed, const QByteArray &localTable = {}) {
    return hex("2c0100020003000400") + char(packed) + localTable +
           hex("020144"
               "00");
}

}  // namespace

TEST(GifStructure, BlocksAreReadUpToTheTrailer) {
    const QByteArray file =
        screen(100, 5, 0x80) + hex("000000ffffff") +
        hex("21ff0b4e45545343415045322e30030101000000") +  // application extension
        hex("21fe03616263"
            "00") +  // comment
        hex("2101"
            "0c000000000000000000000000"
            "0161"
            "00") +  // plain text
        hex("99") +  // a stray byte is stepped over
        hex("21f904"
            "0d"
            "3412"
            "01"
            "00") +
        image(0x61) +                       // disposal 3, delay 0x1234
        image(0x80, hex("0a0b0c0d0e0f")) +  // local table of two entries
        hex("21f904"
            "00000000"
            "00") +
        hex("3b");  // a frame with no image data

    const GifParseResult parsed = parseGif(file, 0, true);
    ASSERT_TRUE(parsed.gif);
    const GifStructure &gif = *parsed.gif;
    EXPECT_EQ(gif.screenWidth, 100);
    EXPECT_EQ(gif.screenHeight, 5);
    ASSERT_EQ(gif.frames.size(), 2);
    const GifFrame &first = gif.frames[0];
    EXPECT_EQ(first.left, 1);
    EXPECT_EQ(first.top, 2);
    EXPECT_EQ(first.width, 3);
    EXPECT_EQ(first.height, 4);
    EXPECT_TRUE(first.interlaced);
    EXPECT_TRUE(first.sorted);
    EXPECT_EQ(first.localSizeField, 1);
    EXPECT_FALSE(first.localTable);
    EXPECT_EQ(first.disposal, 3);
    EXPECT_EQ(first.delay, 0x1234);
    EXPECT_TRUE(first.transparent);
    EXPECT_FALSE(first.userInput);
    EXPECT_EQ(first.lzwMinCodeSize, 2);
    EXPECT_EQ(file[first.endOffset], 0);
    const GifFrame &second = gif.frames[1];
    EXPECT_TRUE(second.localTable);
    EXPECT_EQ(second.palette, hex("0a0b0c0d0e0f"));
    EXPECT_EQ(gif.colourTable(1)[1], 0x0d0e0fu);
    EXPECT_EQ(gif.colourTable(0)[1], 0xffffffu);
    EXPECT_EQ(gif.canvasWidth(), 128);
    EXPECT_EQ(gif.canvasHeight(), 5);
}

TEST(GifStructure, BlackInTheFirstTwoGlobalEntriesTakesTheForeColour) {
    const QByteArray table =
        hex("000000"
            "000000"
            "000000"
            "010203");
    const auto gif = parseGif(screen(4, 4, 0x81) + table + image(0) + "\x3b", 0x332211, true).gif;
    ASSERT_TRUE(gif);
    EXPECT_EQ(gif->globalTableCopy, hex("112233"
                                        "112233"
                                        "000000"
                                        "010203"));
    EXPECT_EQ(gif->fileImage.mid(13, 12), gif->globalTableCopy);
    EXPECT_EQ(gif->frames[0].palette, gif->globalTableCopy);

    const QByteArray kept =
        hex("050505"
            "000000");
    EXPECT_EQ(parseGif(screen(4, 4, 0x80) + kept, 0x332211, true).gif->globalTableCopy,
              hex("050505"
                  "112233"));
    // A system colour is no RGB value: every component becomes 255.
    EXPECT_EQ(parseGif(screen(4, 4, 0x80) + kept, 0x8000000F, true).gif->globalTableCopy,
              hex("050505"
                  "ffffff"));
}

TEST(GifStructure, SharedTransparentColourIsReplaced) {
    // Entries white, white, black, black; index 2 is transparent and shares its colour. The
    // second largest value is the repeated white, 0xFFFFFF; half of it rounds to even, 0x800000.
    const QByteArray table =
        hex("ffffff"
            "ffffff"
            "000000"
            "000000");
    const QByteArray control =
        hex("21f904"
            "01000002"
            "00");
    const QByteArray file = screen(4, 4, 0x81) + table + control + image(0) + image(0) + "\x3b";
    const auto gif = parseGif(file, 0, true).gif;
    ASSERT_TRUE(gif);
    EXPECT_EQ(gif->frames[0].palette.mid(6, 3), hex("000080"));
    EXPECT_EQ(gif->globalTableCopy.mid(6, 3), hex("000080"));
    EXPECT_EQ(gif->fileImage.mid(13 + 6, 3), hex("000080"));
    EXPECT_EQ(gif->frames[1].palette.mid(6, 3), hex("000080"));  // later frames see it too
    EXPECT_EQ(gif->keyColour(0), 0x000080u);
    EXPECT_FALSE(gif->keyColour(1));

    // A local table: 10, 3302600, 10, 65537. Index 1 is unique and stays; index 0 is shared, and
    // half the second largest, 65537, rounds down to the even 32768.
    const QByteArray local =
        hex("0a0000"
            "c86432"
            "0a0000"
            "010001");
    const auto unique = parseGif(screen(4, 4, 0) +
                                     hex("21f904"
                                         "01000001"
                                         "00") +
                                     image(0x81, local),
                                 0, true);
    EXPECT_EQ(unique.gif->frames[0].palette, local);

    const QByteArray shared = hex("21f904"
                                  "01000000"
                                  "00") +
                              image(0x81, local) + "\x3b";
    const auto replaced = parseGif(screen(4, 4, 0) + shared, 0, true).gif;
    EXPECT_EQ(replaced->frames[0].palette.left(3), hex("008000"));
    EXPECT_EQ(replaced->fileImage.mid(13 + 8 + 10, 3), hex("008000"));
    EXPECT_EQ(parseGif(screen(4, 4, 0) + shared, 0, false).gif->frames[0].palette, local);

    // A transparent index past the table's end leaves everything alone.
    const auto outside = parseGif(screen(4, 4, 0) +
                                      hex("21f904"
                                          "01000009"
                                          "00") +
                                      image(0x81, local),
                                  0, true)
                             .gif;
    EXPECT_EQ(outside->frames[0].palette, local);
    EXPECT_EQ(outside->keyColour(0), 0u);
}

TEST(GifStructure, DamagedInputNeverReadsPastTheEnd) {
    for (const char *bad : {"", "GIF", "GIF7", "PNG89a"})
        EXPECT_EQ(parseGif(bad, 0, true).error, "Sorry, not an  file");

    const QByteArray table =
        hex("ffffff"
            "ffffff"
            "000000"
            "000000");
    const QByteArray file = screen(4, 4, 0x81) + table +
                            hex("21f904"
                                "01000002"
                                "00") +
                            image(0x81, table) + image(0) + "\x3b";
    for (qsizetype length = 4; length < file.size(); ++length) {
        const auto gif = parseGif(file.left(length), 0xFFFFFF, true).gif;
        ASSERT_TRUE(gif);
        for (int i = 0; i < gif->frames.size(); ++i) {
            EXPECT_LE(gif->frames[i].endOffset, length);
            EXPECT_FALSE(gif->standaloneFrame(i).isEmpty());
        }
    }
    quint32 state = 7;
    for (int round = 0; round < 300; ++round) {
        QByteArray garbage("GIF89a");
        for (int i = 0; i < round; ++i) {
            state = state * 1103515245u + 12345u;
            garbage.append(char(state >> 16));
        }
        const auto gif = parseGif(garbage, 0, true).gif;
        ASSERT_TRUE(gif);
        for (int i = 0; i < gif->frames.size(); ++i)
            EXPECT_LE(gif->frames[i].endOffset, garbage.size());
    }
}
