#include "platform/settingsfile.h"

#include <QDir>

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
    // The user's choices are recoverable from the copy; the wipe goes ahead either way, or the
    // program could not start again.
    const StoreBackup backup = store.keepBackup();
    store.deleteAll();
    QString text = description;
    if (!backup.location.isEmpty())
        text += QStringLiteral("\nThe settings were kept in ") +
                QDir::toNativeSeparators(backup.location) + u'.';
    else if (!backup.error.isEmpty())
        text += QStringLiteral("\nThe settings could not be kept: ") + backup.error;
    return text + QStringLiteral("\n\n") + QLatin1String(StartupFailureText) +
           QLatin1String(SupportAddress);
}

}  // namespace varnelo
