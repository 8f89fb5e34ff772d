#include <gtest/gtest.h>

#include "data/ansitext.h"

using namespace varnelo;

TEST(AnsiText, Windows1252DiffersFromLatin1OnlyIn0x80To0x9F) {
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = decodeWindows1252(all);
    ASSERT_EQ(text.size(), 256);
    for (int b = 0; b < 256; ++b) {
        if (b < 0x80 || b > 0x9F) {
            EXPECT_EQ(text[b].unicode(), b) << b;
        }
    }
    EXPECT_EQ(text[0x80], QChar(0x20AC));  // euro sign
    EXPECT_EQ(text[0x85], QChar(0x2026));  // ellipsis
    EXPECT_EQ(text[0x8A], QChar(0x0160));
    EXPECT_EQ(text[0x91], QChar(0x2018));  // curly quotes, common in translations
    EXPECT_EQ(text[0x94], QChar(0x201D));
    EXPECT_EQ(text[0x96], QChar(0x2013));
    EXPECT_EQ(text[0x9F], QChar(0x0178));
    for (int unassigned : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(text[unassigned].unicode(), unassigned);
}

TEST(AnsiText, MemberTextIsUtf16LittleEndianWhenUnicode) {
    // "Aé" then U+1F600 as a surrogate pair, then a stray odd byte.
    const QByteArray bytes("A\0\xE9\0\x3D\xD8\x00\xDE\x0A", 9);
    const QString text = decodeMemberText(bytes, true);
    EXPECT_EQ(text, QString::fromUtf8("A\xC3\xA9\xF0\x9F\x98\x80"));
    EXPECT_EQ(decodeMemberText(QByteArray("\x93Hi\x94"), false),
              QString::fromUtf8("\xE2\x80\x9CHi\xE2\x80\x9D"));
}

// What the data kit writes is what the program reads back, byte for byte.
TEST(AnsiText, EncodingIsTheInverseOfDecoding) {
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    EXPECT_EQ(encodeWindows1252(decodeWindows1252(all)), all);
    EXPECT_EQ(encodeMemberText(QString::fromUtf8("\xE2\x80\x99"), false), QByteArray("\x92"));
    // Latin-1's C1 controls are not in the code page: 0x80 reads back as the euro sign.
    EXPECT_EQ(encodeWindows1252(QString(QChar(0x80))), std::nullopt);
    EXPECT_EQ(encodeMemberText(QString::fromUtf8("\xD9\x82"), false), std::nullopt);
    const QString unicode = QString::fromUtf8("A\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(decodeMemberText(*encodeMemberText(unicode, true), true), unicode);
}
