#include "display/startupsettings.h"

#include "data/configchoices.h"
#include "display/settingskeys.h"
#include "platform/settingsstore.h"

namespace varnelo {

namespace {

WindowPresentation readPresentation(ConvertingReader &reader, const QString &section,
                                    bool withSize) {
    WindowPresentation presentation;
    presentation.back = reader.value(section, keys::Back, "14937827", toColour, presentation.back);
    presentation.font = reader.value(section, keys::Font, "0", toColour, presentation.font);
    if (withSize)
        presentation.size = reader.value(section, keys::Size, "2", toDouble, presentation.size);
    return presentation;
}

}  // namespace

std::variant<StartupSettings, SettingsError> ReadStartupSettings(const SettingsStore &store) {
    ConvertingReader reader(store);
    StartupSettings settings;

    // Window position, then always on top.
    const QString top = reader.text(keys::Main, keys::Top, "NO");
    if (top != QLatin1String("NO")) {
        settings.top = reader.convertText(keys::Main, keys::Top, top, toInteger, 0);
        settings.left = reader.value(keys::Main, keys::Left, "0", toInteger, 0);
    }
    settings.AlwaysOnTop = reader.value("AlwaysOnTop", "Value", "False", toBoolean, false);

    // Text windows in the order start-up dresses them: D, W, T, then the Arabic window.
    for (const size_t i : {size_t(1), size_t(2), size_t(0)})
        settings.translations[i] =
            readPresentation(reader, QLatin1String(TranslationSections[i]), true);
    settings.arabic = readPresentation(reader, keys::Arabic, false);
    settings.firstTime = reader.text("Main", "FirstTime", "1") == QLatin1String("1");

    settings.rangeMode = ReadRangeModeOptions(reader);
    settings.equalizer = ReadEqualizerSettings(reader);
    settings.OnscreenHelpEnabled = reader.value("OnscreenHelp", "Enabled", "True", toBoolean, true);

    const QString volume = reader.text(keys::Vol, keys::Pos, "NO");
    if (volume != QLatin1String("NO"))
        settings.volume =
            reader.convertText(keys::Vol, keys::Pos, volume, toInteger, settings.volume);
    settings.showAbout = reader.text("About", "Show3", "1") == QLatin1String("1");

    if (reader.error())
        return *reader.error();
    return settings;
}

}  // namespace varnelo
