#include "app/settings.h"

#include <QFileInfo>
#include <QLocale>

#include <cmath>
#include <limits>

#include "platform/privateprofile.h"
#include "platform/settingsstore.h"

namespace varnelo {

namespace {

constexpr int kConfigBufferSize = 3000;

const std::array<QString, 3> kDefaultTranslations = {
    QStringLiteral("English - Tamsen"), QStringLiteral("English - Dabrel Ostin"),
    QStringLiteral("English - Dabrel Ostin Commentary")};

// Reads values through the store and keeps the first one that failed to convert.
class ConvertingReader {
public:
    explicit ConvertingReader(const SettingsStore &store) : m_store(store) {}

    QString text(const char *section, const char *key, const char *defaultValue) const {
        return m_store.get(QLatin1String(section), QLatin1String(key), QLatin1String(defaultValue));
    }

    // The converted value of section/key (stored text or defaultValue), or fallback on failure.
    template <typename T, typename Convert>
    T value(const char *section, const char *key, const char *defaultValue, Convert convert,
            T fallback) {
        return convertText(section, key, text(section, key, defaultValue), convert, fallback);
    }

    template <typename T, typename Convert>
    T convertText(const char *section, const char *key, const QString &stored, Convert convert,
                  T fallback) {
        if (const auto converted = convert(stored))
            return T(*converted);
        if (!m_error)
            m_error = SettingsError{QLatin1String(section), QLatin1String(key), stored};
        return fallback;
    }

    const std::optional<SettingsError> &error() const { return m_error; }

private:
    const SettingsStore &m_store;
    std::optional<SettingsError> m_error;
};

WindowPresentation readPresentation(ConvertingReader &reader, const char *section, bool withSize) {
    WindowPresentation presentation;
    presentation.back = reader.value(section, "Back", "14937827", toColour, presentation.back);
    presentation.font = reader.value(section, "Font", "0", toColour, presentation.font);
    if (withSize)
        presentation.size = reader.value(section, "Size", "2", toDouble, presentation.size);
    return presentation;
}

}  // namespace

QString ReadConfigValue(const QString &iniPath, const QString &key, const QString &defaultValue) {
    return PrivateProfile(iniPath).readString(QStringLiteral("Main"), key, defaultValue,
                                              kConfigBufferSize);
}

std::optional<double> toDouble(const QString &text) {
    const QString trimmed = text.trimmed();
    bool ok = false;
    double value = QLocale::c().toDouble(trimmed, &ok);
    if (!ok)
        value = QLocale::system().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> toInteger(const QString &text) {
    bool ok = false;
    const qlonglong whole = text.trimmed().toLongLong(&ok, 10);
    if (ok) {
        if (whole < std::numeric_limits<int>::min() || whole > std::numeric_limits<int>::max())
            return std::nullopt;
        return int(whole);
    }
    const std::optional<double> number = toDouble(text);
    if (!number)
        return std::nullopt;
    const double rounded = std::nearbyint(*number);  // default rounding mode: half to even
    if (rounded < std::numeric_limits<int>::min() || rounded > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(rounded);
}

std::optional<bool> toBoolean(const QString &text) {
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    if (const std::optional<double> number = toDouble(trimmed))
        return *number != 0;
    return std::nullopt;
}

std::optional<quint32> toColour(const QString &text) {
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok, 10);
    if (!ok || value < std::numeric_limits<qint32>::min() ||
        value > std::numeric_limits<quint32>::max())
        return std::nullopt;
    return quint32(value);
}

QString numberText(double value) {
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
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

QString SettingsError::description() const {
    return QStringLiteral("Type mismatch (%1/%2 = \"%3\")").arg(section, key, value);
}

std::variant<StartupSettings, SettingsError> ReadStartupSettings(const SettingsStore &store) {
    ConvertingReader reader(store);
    StartupSettings settings;

    const QString top = reader.text("Main", "Top", "NO");
    if (top != QLatin1String("NO")) {
        settings.top = reader.convertText("Main", "Top", top, toInteger, 0);
        settings.left = reader.value("Main", "Left", "0", toInteger, 0);
    }
    settings.firstTime = reader.text("Main", "FirstTime", "1") == QLatin1String("1");
    settings.AlwaysOnTop = reader.value("AlwaysOnTop", "Value", "False", toBoolean, false);
    settings.OnscreenHelpEnabled = reader.value("OnscreenHelp", "Enabled", "True", toBoolean, true);
    settings.showAbout = reader.text("About", "Show3", "1") == QLatin1String("1");

    const QString volume = reader.text("Vol", "Pos", "NO");
    if (volume != QLatin1String("NO"))
        settings.volume = reader.convertText("Vol", "Pos", volume, toInteger, settings.volume);
    settings.EQEnabled = reader.value("EQ", "EQEnabled", "True", toBoolean, true);

    RangeModeOptions &range = settings.rangeMode;
    const char *rangeSection = "RangeModeSetup";
    range.NoofTimes = reader.value(rangeSection, "NoofTimes", "1", toInteger, range.NoofTimes);
    range.Pause = reader.value(rangeSection, "Pause", "1", toInteger, range.Pause);
    range.PauseBetweenVerses =
        reader.value(rangeSection, "PauseBetweenVerses", "0", toInteger, range.PauseBetweenVerses);
    range.NextRange = reader.value(rangeSection, "NextRange", "1", toBoolean, range.NextRange);
    range.NextSura = reader.value(rangeSection, "NextSura", "1", toBoolean, range.NextSura);
    range.RestartSura = reader.value(rangeSection, "RestartSura", "0", toBoolean, false);
    range.StopRecitation = reader.value(rangeSection, "StopRecitation", "0", toBoolean, false);

    settings.arabic = readPresentation(reader, "Arabic", false);
    for (size_t i = 0; i < TranslationSections.size(); ++i)
        settings.translations[i] = readPresentation(reader, TranslationSections[i], true);

    if (reader.error())
        return *reader.error();
    return settings;
}

std::array<QString, 3> ChooseTranslations(const QString &configPath, const QString &appFolder) {
    std::array<QString, 3> names;
    const PrivateProfile config(configPath);
    for (size_t i = 0; i < names.size(); ++i) {
        const QString key = QStringLiteral("Text%1").arg(i + 1);
        QString name = config.readString(QStringLiteral("Main"), key, kDefaultTranslations[i],
                                         kConfigBufferSize);
        name = name.toLower().remove(QLatin1String(".dat"));
        const QString archive = appFolder + QStringLiteral("/data/tdata/") + name + ".dat";
        names[i] = QFileInfo(archive).isFile() ? name : kDefaultTranslations[i];
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
