#include "platform/storedtext.h"

#include <QLocale>

#include <cmath>
#include <limits>

#include "platform/settingsstore.h"

namespace varnelo {

std::optional<double> toDouble(const QString &text) {
    const QString trimmed = text.trimmed();
    bool ok = false;
    double value = QLocale::c().toDouble(trimmed, &ok);
    if (!ok)
        value = QLocale::system().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> toInteger(const QString &text) {
    bool ok = false;
    const qlonglong whole = text.trimmed().toLongLong(&ok, 10);
    if (ok) {
        if (whole < std::numeric_limits<int>::min() || whole > std::numeric_limits<int>::max())
            return std::nullopt;
        return int(whole);
    }
    const std::optional<double> number = toDouble(text);
    if (!number)
        return std::nullopt;
    const double rounded = std::nearbyint(*number);  // default rounding mode: half to even
    if (rounded < std::numeric_limits<int>::min() || rounded > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(rounded);
}

std::optional<bool> toBoolean(const QString &text) {
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    if (const std::optional<double> number = toDouble(trimmed))
        return *number != 0;
    return std::nullopt;
}

std::optional<quint32> toColour(const QString &text) {
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok, 10);
    if (!ok || value < std::numeric_limits<qint32>::min() ||
        value > std::numeric_limits<quint32>::max())
        return std::nullopt;
    return quint32(value);
}

QString numberText(double value) {
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

QString SettingsError::description() const {
    // A hand-edited value can be any length; the message box shows its start.
    constexpr int shown = 80;
    const QString text = value.size() > shown ? value.left(shown) + QStringLiteral("...") : value;
    return QStringLiteral("Type mismatch (%1/%2 = \"%3\")").arg(section, key, text);
}

QString ConvertingReader::text(const QString &section, const QString &key,
                               const QString &defaultValue) const {
    return m_store.get(section, key, defaultValue);
}

}  // namespace varnelo
