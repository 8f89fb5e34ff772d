#pragma once

#include <QHash>

#include "platform/settingsstore.h"

namespace varnelo {

// Settings kept in memory only: for tests and for runs that must not touch the user's store.
class MemorySettingsStore : public SettingsStore {
public:
    QString get(const QString &section, const QString &key,
                const QString &defaultValue) const override;
    void save(const QString &section, const QString &key, const QString &value) override;
    void deleteAll() override;

    int size() const { return m_values.size(); }

private:
    static QString fullKey(const QString &section, const QString &key);

    QHash<QString, QString> m_values;
};

}  // namespace varnelo
