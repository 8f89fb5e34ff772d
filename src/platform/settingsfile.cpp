#include "platform/settingsfile.h"

#include "platform/privateprofile.h"
#include "platform/settingsstore.h"

namespace varnelo {

namespace {

constexpr int kConfigBufferSize = 3000;

}  // namespace

QString ReadConfigValue(const QString &iniPath, const QString &key, const QString &defaultValue) {
    return PrivateProfile(iniPath).readString(QStringLiteral("Main"), key, defaultValue,
                                              kConfigBufferSize);
}

bool CheckSettingsVersion(SettingsStore &store) {
    const QString section = QStringLiteral("version");
    const QString version = QLatin1String(SettingsVersion);
    bool wipe = store.get(section, section, QString()).isEmpty();
    // A store without a version is older than the first one that wrote it.
    if (!wipe)
        wipe = store.get(section, section, QStringLiteral("4.0 beta1")) != version;
    if (wipe) {
        store.deleteAll();
        store.save(section, section, version);
    }
    return wipe;
}

QString StartupFailure(SettingsStore &store, const QString &description) {
    store.deleteAll();
    return description + QStringLiteral("\n\n") + QLatin1String(StartupFailureText) +
           QLatin1String(SupportAddress);
}

}  // namespace varnelo
