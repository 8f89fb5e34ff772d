#pragma once

#include <QSettings>
#include <QString>

#include <memory>

#include "platform/settingsstore.h"

namespace varnelo {

// The user's settings of application "VX" through QSettings: the registry on Windows, an INI file
// in the user's configuration folder elsewhere. When VARNELO_SETTINGS_DIR is set, the store is the
// file VX.ini in that folder on every platform. Section and key names match case-insensitively.
// A write replaces the whole file at once, so a kill leaves every value old or new, and writers
// in other processes take turns.
class QSettingsStore : public SettingsStore {
public:
    QSettingsStore();
    // A store kept in the INI file iniPath.
    explicit QSettingsStore(const QString &iniPath);
    ~QSettingsStore() override;

    QString get(const QString &section, const QString &key,
                const QString &defaultValue) const override;
    void save(const QString &section, const QString &key, const QString &value) override;
    void deleteAll() override;
    // The store's file copied to "<file>.bak".
    StoreBackup keepBackup() override;
    // Writes the saved values to the file now rather than when the event loop next runs; false
    // when the file could not be written.
    bool flush();

    // Where the values live: a file path or a registry path.
    QString location() const;

private:
    class DeferredWrite;

    void watchDeferredWrites();
    // The values live in a file (not in the registry).
    bool isFile() const;
    // The stored "group/key" spelling that matches section/key, or section/key itself.
    QString storedPath(const QString &section, const QString &key) const;

    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<DeferredWrite> m_deferredWrite;
    bool m_pending = false;  // saved values not yet written
};

}  // namespace varnelo
