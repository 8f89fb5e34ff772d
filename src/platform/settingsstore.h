#pragma once

#include <QString>

namespace varnelo {

// A copy of a store kept beside it.
struct StoreBackup {
    QString location;  // where the copy lies; empty when none was made
    QString error;     // why the copy failed; empty when it was made or there was nothing to copy
};

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
    // Copies every stored value beside the store, replacing the copy made before. A store
    // without a file of its own keeps no copy.
    virtual StoreBackup keepBackup() { return {}; }
};

}  // namespace varnelo
