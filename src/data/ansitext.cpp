#include "data/ansitext.h"

#include <QtEndian>

#include <algorithm>
#include <array>

namespace varnelo {

namespace {

// 0x80..0x9F, where the code page differs from Latin-1.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

QString decodeWindows1252(const QByteArray &bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *out++ = QChar(b >= 0x80 && b <= 0x9F ? kHighControls[b - 0x80] : char16_t(b));
    }
    return text;
}

QString decodeMemberText(const QByteArray &bytes, bool unicode) {
    if (!unicode)
        return decodeWindows1252(bytes);
    const qsizetype units = bytes.size() / 2;
    QString text(units, Qt::Uninitialized);
    for (qsizetype i = 0; i < units; ++i)
        text[i] = QChar(qFromLittleEndian<quint16>(bytes.constData() + 2 * i));
    return text;
}

std::optional<QByteArray> encodeWindows1252(const QString &text) {
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char *out = bytes.data();
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            *out++ = char(u);
            continue;
        }
        const auto *high = std::find(kHighControls.begin(), kHighControls.end(), u);
        if (high == kHighControls.end())
            return std::nullopt;
        *out++ = char(0x80 + (high - kHighControls.begin()));
    }
    return bytes;
}

std::optional<QByteArray> encodeMemberText(const QString &text, bool unicode) {
    if (!unicode)
        return encodeWindows1252(text);
    QByteArray bytes(2 * text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        qToLittleEndian<quint16>(text[i].unicode(), bytes.data() + 2 * i);
    return bytes;
}

}  // namespace varnelo
