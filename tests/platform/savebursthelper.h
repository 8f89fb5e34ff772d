#pragma once

#include <QString>

#include <optional>

// The keys and values the save-burst helper writes, shared with the test that reads them back.
namespace varnelo::burst {

inline constexpr int Keys = 48;

inline QString section(int key) {
    return QStringLiteral("S%1").arg(key % 6);
}
inline QString key(int key) {
    return QStringLiteral("K%1").arg(key);
}
// Long values make each write take long enough for kills to land inside it.
inline QString value(int generation) {
    return QStringLiteral("g%1;").arg(generation, 8, 10, QLatin1Char('0')) +
           QString(240, QLatin1Char('x'));
}
// The generation of a value the helper wrote, or nothing for any other text.
inline std::optional<int> generationOf(const QString &text) {
    if (text.size() != value(0).size() || !text.startsWith(u'g') || text.at(9) != u';' ||
        text.mid(10) != QString(240, QLatin1Char('x')))
        return std::nullopt;
    bool ok = false;
    const int generation = text.mid(1, 8).toInt(&ok);
    return ok ? std::optional<int>(generation) : std::nullopt;
}

}  // namespace varnelo::burst
