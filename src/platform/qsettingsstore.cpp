#include "platform/qsettingsstore.h"

#include <QStringList>

namespace varnelo {

namespace {

const char kApplication[] = "VX";
const char kOrganization[] = "Varnelo";

QString matching(const QStringList &names, const QString &wanted) {
    for (const QString &name : names) {
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return name;
    }
    return wanted;
}

}  // namespace

QSettingsStore::QSettingsStore() {
    const QString folder = qEnvironmentVariable("VARNELO_SETTINGS_DIR");
    if (!folder.isEmpty()) {
        m_settings = std::make_unique<QSettings>(
            folder + u'/' + QLatin1String(kApplication) + QStringLiteral(".ini"),
            QSettings::IniFormat);
    } else {
        m_settings =
            std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                        QLatin1String(kOrganization), QLatin1String(kApplication));
    }
}

QSettingsStore::QSettingsStore(const QString &iniPath)
    : m_settings(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {}

QSettingsStore::~QSettingsStore() = default;

QString QSettingsStore::storedPath(const QString &section, const QString &key) const {
    // INI files keep the spelling of names; the registry ignores case. Match the way it does.
    const QString group = matching(m_settings->childGroups(), section);
    m_settings->beginGroup(group);
    const QString name = matching(m_settings->childKeys(), key);
    m_settings->endGroup();
    return group + u'/' + name;
}

QString QSettingsStore::get(const QString &section, const QString &key,
                            const QString &defaultValue) const {
    const QVariant value = m_settings->value(storedPath(section, key));
    if (!value.isValid())
        return defaultValue;
    // A hand-edited INI value with commas reads back as a list; keep it as the text it was.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

void QSettingsStore::save(const QString &section, const QString &key, const QString &value) {
    m_settings->setValue(storedPath(section, key), value);
}

void QSettingsStore::deleteAll() {
    m_settings->clear();
    m_settings->sync();
}

QString QSettingsStore::location() const {
    return m_settings->fileName();
}

}  // namespace varnelo
