#include "display/startupsettings.h"

#include "data/configchoices.h"
#include "platform/settingsstore.h"

namespace varnelo {

namespace {

WindowPresentation readPresentation(ConvertingReader &reader, const QString &section,
                                    bool withSize) {
    WindowPresentation presentation;
    presentation.back = reader.value(section, "Back", "14937827", toColour, presentation.back);
    presentation.font = reader.value(section, "Font", "0", toColour, presentation.font);
    if (withSize)
        presentation.size = reader.value(section, "Size", "2", toDouble, presentation.size);
    return presentation;
}

}  // namespace

std::variant<StartupSettings, SettingsError> ReadStartupSettings(const SettingsStore &store) {
    ConvertingReader reader(store);
    StartupSettings settings;

    // Window position, then always on top.
    const QString top = reader.text("Main", "Top", "NO");
    if (top != QLatin1String("NO")) {
        settings.top = reader.convertText("Main", "Top", top, toInteger, 0);
        settings.left = reader.value("Main", "Left", "0", toInteger, 0);
    }
    settings.AlwaysOnTop = reader.value("AlwaysOnTop", "Value", "False", toBoolean, false);

    // Text windows in the order start-up dresses them: D, W, T, then the Arabic window.
    for (const size_t i : {size_t(1), size_t(2), size_t(0)})
        settings.translations[i] =
            readPresentation(reader, QLatin1String(TranslationSections[i]), true);
    settings.arabic = readPresentation(reader, QStringLiteral("Arabic"), false);
    settings.firstTime = reader.text("Main", "FirstTime", "1") == QLatin1String("1");

    settings.rangeMode = ReadRangeModeOptions(reader);
    settings.equalizer = ReadEqualizerSettings(reader);
    settings.OnscreenHelpEnabled = reader.value("OnscreenHelp", "Enabled", "True", toBoolean, true);

    const QString volume = reader.text("Vol", "Pos", "NO");
    if (volume != QLatin1String("NO"))
        settings.volume = reader.convertText("Vol", "Pos", volume, toInteger, settings.volume);
    settings.showAbout = reader.text("About", "Show3", "1") == QLatin1String("1");

    if (reader.error())
        return *reader.error();
    return settings;
}

}  // namespace varnelo
