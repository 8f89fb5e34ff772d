#include <gtest/gtest.h>

#include <tuple>

#include "controls/gifstructure.h"
#include "giftestfiles.h"

using namespace varnelo;

namespace {

QByteArray hex(const char *digits) {
    return QByteArray::fromHex(digits);
}  // blanks skipped

// Header and screen descriptor of a w x h GIF with the given packed byte.
QByteArray screen(int width, int height, quint8 packed) {
    return "GIF89a" + QByteArray(1, char(width)) + '\0' + char(height) + '\0' + char(packed) +
           QByteArray(2, '\0');
}

// Image descriptor at (1, 2) of 3 x 4 with the packed byte, then a tiny image data block.
QByteArray image(quint8 packed, const QByteArray &localTable = {}) {
    return hex("2c 0100 0200 0300 0400") + char(packed) + localTable + hex("02 01 44 00");
}

}  // namespace

TEST(GifStructure, BlocksAreReadUpToTheTrailer) {
    const QByteArray file = screen(100, 5, 0x80) + hex("000000 ffffff") +
                            hex("21ff 0b 4e45545343415045322e30 03010100 00") +  // application
                            hex("21fe 03616263 00") +                            // comment
                            hex("2101 0c 000000000000000000000000 0161 00") +    // plain text
                            hex("99") +  // a stray byte is stepped over
                            hex("21f9 04 0d 3412 01 00") + image(0x61) +
                            image(0x80, hex("0a0b0c 0d0e0f")) +
                            hex("21f9 04 00 0000 00 00 3b");  // a frame without image data

    const GifParseResult parsed = parseGif(file, 0, true);
    ASSERT_TRUE(parsed.gif);
    const GifStructure &gif = *parsed.gif;
    ASSERT_EQ(gif.frames.size(), 2);
    const GifFrame &f = gif.frames[0];
    EXPECT_EQ(std::tuple(f.left, f.top, f.width, f.height, f.interlaced, f.sorted, f.localSizeField,
                         f.localTable, f.lzwMinCodeSize),
              std::tuple(1, 2, 3, 4, true, true, 1, false, 2));
    EXPECT_EQ(std::tuple(f.disposal, f.delay, f.transparent, f.userInput, f.transparentIndex),
              std::tuple(3, 0x1234, true, false, 1));
    EXPECT_EQ(file[f.endOffset], 0);
    EXPECT_EQ(gif.frames[1].palette, hex("0a0b0c 0d0e0f"));
    EXPECT_EQ(gif.colourTable(1)[1], 0x0d0e0fu);
    EXPECT_EQ(gif.colourTable(0)[1], 0xffffffu);
    EXPECT_EQ(gif.canvasWidth(), 128);
    EXPECT_EQ(gif.canvasHeight(), 5);
}

TEST(GifStructure, BlackInTheFirstTwoGlobalEntriesTakesTheForeColour) {
    const QByteArray table = hex("000000 000000 000000 010203");
    const auto gif = parseGif(screen(4, 4, 0x81) + table + image(0) + "\x3b", 0x332211, true).gif;
    ASSERT_TRUE(gif);
    EXPECT_EQ(gif->globalTableCopy, hex("112233 112233 000000 010203"));
    EXPECT_EQ(gif->fileImage.mid(13, 12), gif->globalTableCopy);
    EXPECT_EQ(gif->frames[0].palette, gif->globalTableCopy);

    const QByteArray kept = screen(4, 4, 0x80) + hex("050505 000000");
    EXPECT_EQ(parseGif(kept, 0x332211, true).gif->globalTableCopy, hex("050505 112233"));
    // A system colour is no RGB value: every component becomes 255.
    EXPECT_EQ(parseGif(kept, 0x8000000F, true).gif->globalTableCopy, hex("050505 ffffff"));
}

TEST(GifStructure, SharedTransparentColourIsReplaced) {
    // White, white, black, black with index 2 transparent: the second largest value is the
    // repeated white, 0xFFFFFF, and half of it rounds to the even 0x800000.
    const QByteArray control = hex("21f9 04 01 0000 02 00");
    const QByteArray file = screen(4, 4, 0x81) + hex("ffffff ffffff 000000 000000") + control +
                            image(0) + image(0) + "\x3b";
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
    const QByteArray local = hex("0a0000 c86432 0a0000 010001");
    const auto unique =
        parseGif(screen(4, 4, 0) + hex("21f9 04 01 0000 01 00") + image(0x81, local), 0, true);
    EXPECT_EQ(unique.gif->frames[0].palette, local);
    const QByteArray shared = screen(4, 4, 0) + hex("21f9 04 01 0000 00 00") + image(0x81, local);
    const auto replaced = parseGif(shared, 0, true).gif;
    EXPECT_EQ(replaced->frames[0].palette.left(3), hex("008000"));
    EXPECT_EQ(replaced->fileImage.mid(13 + 8 + 10, 3), hex("008000"));
    EXPECT_EQ(parseGif(shared, 0, false).gif->frames[0].palette, local);

    // A transparent index past the table's end leaves everything alone.
    const auto outside =
        parseGif(screen(4, 4, 0) + hex("21f9 04 01 0000 09 00") + image(0x81, local), 0, true);
    EXPECT_EQ(outside.gif->frames[0].palette, local);
}

TEST(GifStructure, DamagedInputNeverReadsPastTheEnd) {
    for (const char *bad : {"", "GIF", "GIF7", "PNG89a"})
        EXPECT_EQ(parseGif(bad, 0, true).error, "Sorry, not an  file");

    const QByteArray table = hex("ffffff ffffff 000000 000000");
    const QByteArray file = screen(4, 4, 0x81) + table + hex("21f9 04 01 0000 02 00") +
                            image(0x81, table) + image(0) + "\x3b";
    for (qsizetype length = 4; length < file.size(); ++length) {
        const auto gif = parseGif(file.left(length), 0xFFFFFF, true).gif;
        ASSERT_TRUE(gif);
        for (int i = 0; i < gif->frames.size(); ++i) {
            EXPECT_LE(gif->frames[i].endOffset, length);
            const GifFrame &f = gif->frames[i];
            QByteArray pixels(qsizetype(f.width) * f.height, '\0');
            gif->decodeFrame(i, reinterpret_cast<uchar *>(pixels.data()), f.width);
        }
    }
}

TEST(GifStructure, DecodingStopsWhereTheImageDataEndsOrGoesWrong) {
    // 3 x 4 frames on a screen whose background index, 3, fills what the data never reaches.
    QByteArray head = screen(4, 4, 0x81) + hex("000000 ffffff 111111 222222");
    head[11] = 3;
    const auto decoded = [&head](const QByteArray &data) {
        const auto gif = parseGif(head + hex("2c 0000 0000 0300 0400 00") + data, 0, true).gif;
        QByteArray pixels(12, '\x7f');
        if (!gif || !gif->decodeFrame(0, reinterpret_cast<uchar *>(pixels.data()), 3))
            return QByteArray("refused");
        return pixels;
    };
    // Clear, index 0, then the data runs out.
    EXPECT_EQ(decoded(hex("02 01 44 00")), hex("00") + QByteArray(11, '\3'));
    // Clear, index 1, then code 7 while 6 is the next to be defined.
    EXPECT_EQ(decoded(hex("02 02 cc 0b 00")), hex("01") + QByteArray(11, '\3'));
    // No index fits a byte past code size 8; no data at all is no frame.
    EXPECT_EQ(decoded(hex("09 02 cc 0b 00")), "refused");
    EXPECT_EQ(decoded(hex("02")), "refused");

    // A frame cut inside its data keeps what came before the cut.
    const test::TestFrame frame = test::patternFrame(0, 0, 20, 10, 4, 7);
    const QByteArray &pattern = frame.pixels;
    const QByteArray file = test::writeTestGif(
        20, 10, {qRgb(0, 0, 0), qRgb(1, 1, 1), qRgb(2, 2, 2), qRgb(3, 3, 3)}, {frame});
    const qint64 data = parseGif(file, 0, true).gif->frames[0].dataOffset;
    QByteArray cut = file.left(data + 12);
    cut[11] = 3;
    const auto gif = parseGif(cut, 0, true).gif;
    QByteArray pixels(200, '\x7f');
    ASSERT_TRUE(gif->decodeFrame(0, reinterpret_cast<uchar *>(pixels.data()), 20));
    qsizetype kept = 0;
    while (kept < 200 && pixels[kept] == pattern[kept])
        ++kept;
    EXPECT_GT(kept, 0);
    EXPECT_EQ(pixels.mid(kept), QByteArray(200 - kept, '\3'));

    // Data for more rows than the frame has stops at its last pixel.
    QByteArray shorter = file;
    shorter[gif->frames[0].descriptorOffset + 7] = 2;
    QByteArray rows(60, '\x7f');
    ASSERT_TRUE(
        parseGif(shorter, 0, true).gif->decodeFrame(0, reinterpret_cast<uchar *>(rows.data()), 20));
    EXPECT_EQ(rows, pattern.left(40) + QByteArray(20, '\x7f'));
}
