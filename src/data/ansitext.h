#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace varnelo {

// Single-byte text in Windows code page 1252, the same on every platform. The five bytes the code
// page leaves unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the control characters of the same
// value, as Windows itself converts them.
QString decodeWindows1252(const QByteArray &bytes);

// A translation text member: UTF-16LE when unicode is set, otherwise code page 1252. A trailing
// odd byte of UTF-16LE text is dropped.
QString decodeMemberText(const QByteArray &bytes, bool unicode);

// The inverses: text as the program will read it back; nullopt when a character has no byte in
// code page 1252.
std::optional<QByteArray> encodeWindows1252(const QString &text);
std::optional<QByteArray> encodeMemberText(const QString &text, bool unicode);

}  // namespace varnelo
