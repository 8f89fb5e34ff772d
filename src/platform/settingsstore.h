#pragma once

#include <QString>

namespace varnelo {

// Per-user store of named string values, grouped by section, for one application.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // The stored value of section/key, or defaultValue when the key is missing.
    virtual QString get(const QString &section, const QString &key,
                        const QString &defaultValue) const = 0;
    virtual void save(const QString &section, const QString &key, const QString &value) = 0;
    // Removes every section and key of the application.
    virtual void deleteAll() = 0;
};

}  // namespace varnelo
