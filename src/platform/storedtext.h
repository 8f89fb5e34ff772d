#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace varnelo {

class SettingsStore;

// Stored-text conversions; each fails (nothing) on text that does not convert, never throws.
// An integer: decimal text, blanks around it allowed, a fraction rounded half to even.
std::optional<int> toInteger(const QString &text);
// A decimal number with '.' or the user's decimal separator.
std::optional<double> toDouble(const QString &text);
// "True"/"False" in any case, or a number (non-zero is True).
std::optional<bool> toBoolean(const QString &text);
// A colour as stored: decimal text of a signed or unsigned 32-bit value.
std::optional<quint32> toColour(const QString &text);

// The decimal text numbers are stored as ('.' as decimal separator, so any locale reads it back).
QString numberText(double value);

// A stored value that did not convert to its type.
struct SettingsError {
    QString section;
    QString key;
    QString value;

    // "Type mismatch" and where, for the start-up failure message.
    QString description() const;

    bool operator==(const SettingsError &) const = default;
};

// Reads stored values through their conversions and keeps the first value that did not convert,
// so a reader of many keys reports the first bad one; a value that fails reads as the fallback.
class ConvertingReader {
public:
    explicit ConvertingReader(const SettingsStore &store) : m_store(store) {}

    // The stored text of section/key, or defaultValue when the key is missing.
    QString text(const QString &section, const QString &key, const QString &defaultValue) const;

    // The converted value of section/key (stored text or defaultValue), or fallback on failure.
    template <typename T, typename Convert>
    T value(const QString &section, const QString &key, const QString &defaultValue,
            Convert convert, T fallback) {
        return convertText(section, key, text(section, key, defaultValue), convert, fallback);
    }

    // The converted stored text already read from section/key, or fallback on failure.
    template <typename T, typename Convert>
    T convertText(const QString &section, const QString &key, const QString &stored,
                  Convert convert, T fallback) {
        if (const auto converted = convert(stored))
            return T(*converted);
        if (!m_error)
            m_error = SettingsError{section, key, stored};
        return fallback;
    }

    // The first value that did not convert, if any.
    const std::optional<SettingsError> &error() const { return m_error; }

private:
    const SettingsStore &m_store;
    std::optional<SettingsError> m_error;
};

}  // namespace varnelo
