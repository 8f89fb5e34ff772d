#include "display/shutdownvalues.h"

#include "data/configchoices.h"
#include "display/settingskeys.h"
#include "platform/settingsstore.h"
#include "platform/storedtext.h"

namespace varnelo {

namespace {

// Colours go back as the signed 32-bit text the original store holds, so system colour
// indexes (top bit set) stay negative numbers.
QString colourText(quint32 colour) {
    return QString::number(qint32(colour));
}

}  // namespace

void StoreShutdownValues(SettingsStore &store, const ShutdownValues &values) {
    store.save(keys::Arabic, keys::Font, colourText(values.arabic.font));
    store.save(keys::Arabic, keys::Back, colourText(values.arabic.back));
    // Translation windows in the order D, T, W.
    for (const size_t i : {size_t(1), size_t(0), size_t(2)}) {
        const QString section = QLatin1String(TranslationSections[i]);
        const WindowPresentation &window = values.translations[i];
        store.save(section, keys::Font, colourText(window.font));
        store.save(section, keys::Back, colourText(window.back));
        store.save(section, keys::Size, numberText(window.size));
    }

    store.save(keys::Main, keys::Left, numberText(values.left));
    store.save(keys::Main, keys::Top, numberText(values.top));
    store.save(keys::Vol, keys::Pos, QString::number(values.volume));

    const std::array<QString, 4> panelSections = {keys::Arabic, TranslationSections[0],
                                                  TranslationSections[1], TranslationSections[2]};
    for (size_t i = 0; i < panelSections.size(); ++i)
        store.save(panelSections[i], keys::PanelTag, values.panelTags[i]);
    for (size_t i = 0; i < panelSections.size(); ++i)
        store.save(panelSections[i], keys::PanelHeight, numberText(values.panelHeights[i]));
    store.save(keys::Main, keys::Width, numberText(values.mainWidth));
    store.save(keys::Me, keys::Width, numberText(values.windowWidth));

    store.save(keys::Main, keys::Sura, QString::number(values.sura));
    store.save(keys::Main, keys::RangeBegin, QString::number(values.rangeBegin));
    store.save(keys::Main, keys::RangeEnd, QString::number(values.rangeEnd));
    store.save(keys::Main, keys::CurPos, QString::number(values.currentPosition));
    store.save(keys::Main, keys::CurVerse, QString::number(values.currentVerse));
}

}  // namespace varnelo
