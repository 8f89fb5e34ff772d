#include "data/configchoices.h"

#include "data/translations.h"
#include "platform/settingsfile.h"
#include "platform/settingsstore.h"

namespace varnelo {

namespace {

const std::array<QString, 3> kDefaultTranslations = {
    QStringLiteral("English - Tamsen"), QStringLiteral("English - Dabrel Ostin"),
    QStringLiteral("English - Dabrel Ostin Commentary")};

}  // namespace

std::array<QString, 3> ChooseTranslations(const QString &configPath, const QString &appFolder) {
    std::array<QString, 3> names;
    for (size_t i = 0; i < names.size(); ++i) {
        const QString key = QStringLiteral("Text%1").arg(i + 1);
        QString name = ReadConfigValue(configPath, key, kDefaultTranslations[i]);
        name = name.toLower().remove(QLatin1String(".dat"));
        // The name was lower-cased, so the archive is looked for ignoring letter case.
        names[i] =
            translationArchivePath(appFolder, name).isEmpty() ? kDefaultTranslations[i] : name;
    }
    return names;
}

std::array<QString, 3> StoredTranslations(const SettingsStore &store,
                                          const std::array<QString, 3> &chosen) {
    std::array<QString, 3> names;
    for (size_t i = 0; i < names.size(); ++i)
        names[i] = store.get(QLatin1String(TranslationSections[i]), QStringLiteral("TransName"),
                             chosen[i]);
    return names;
}

QString ChooseMp3Folder(const QString &configPath, const QString &appFolder,
                        const SettingsStore &store) {
    QString folder = ReadConfigValue(configPath, QStringLiteral("MP3Path"), QString());
    if (folder.isEmpty())
        folder = store.get(QStringLiteral("Main"), QStringLiteral("MP3Folder"),
                           appFolder + QStringLiteral("/mp3/"));
    // A folder typed without its closing separator would otherwise name files beside it.
    if (!folder.isEmpty() && !folder.endsWith(u'/') && !folder.endsWith(u'\\'))
        folder += u'/';
    return folder;
}

}  // namespace varnelo
