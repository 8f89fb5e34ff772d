#include "platform/memorysettingsstore.h"

namespace varnelo {

QString MemorySettingsStore::fullKey(const QString &section, const QString &key) {
    // Section and key names are case-insensitive, as in the registry.
    return section.toLower() + QLatin1Char('/') + key.toLower();
}

QString MemorySettingsStore::get(const QString &section, const QString &key,
                                 const QString &defaultValue) const {
    return m_values.value(fullKey(section, key), defaultValue);
}

void MemorySettingsStore::save(const QString &section, const QString &key, const QString &value) {
    m_values.insert(fullKey(section, key), value);
}

void MemorySettingsStore::deleteAll() {
    m_values.clear();
}

}  // namespace varnelo
