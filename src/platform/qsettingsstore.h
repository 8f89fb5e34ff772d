#pragma once

#include <QSettings>
#include <QString>

#include <memory>

#include "platform/settingsstore.h"

namespace varnelo {

// The user's settings of application "VX" through QSettings: the registry on Windows, an INI file
// in the user's configuration folder elsewhere. When VARNELO_SETTINGS_DIR is set, the store is the
// file VX.ini in that folder on every platform. Section and key names match case-insensitively.
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

    // Where the values live: a file path or a registry path.
    QString location() const;

private:
    // The stored "group/key" spelling that matches section/key, or section/key itself.
    QString storedPath(const QString &section, const QString &key) const;

    std::unique_ptr<QSettings> m_settings;
};

}  // namespace varnelo
