#include "recitation/equalizer.h"

#include <QString>

#include <algorithm>

#include "platform/settingsstore.h"
#include "platform/storedtext.h"

namespace varnelo {

namespace {

const QString kSection = QStringLiteral("EQ");

QString gainKey(int band) {
    return QStringLiteral("Val%1").arg(band);
}

}  // namespace

EqualizerSettings ReadEqualizerSettings(ConvertingReader &reader) {
    EqualizerSettings settings;
    settings.EqEnabled = reader.value(kSection, "EQEnabled", "True", toBoolean, settings.EqEnabled);
    for (int band = 0; band < kEqualizerBands; ++band) {
        const double fallback = kDefaultEqualizerGains[band];
        const double gain =
            reader.value(kSection, gainKey(band), numberText(fallback), toDouble, fallback);
        settings.EqualizerGains[band] =
            float(std::clamp(gain, double(kMinEqualizerGain), double(kMaxEqualizerGain)));
    }
    return settings;
}

EqualizerSettings ReadEqualizerSettings(const SettingsStore &store) {
    ConvertingReader reader(store);
    return ReadEqualizerSettings(reader);
}

void WriteEqualizerSettings(SettingsStore &store, const EqualizerSettings &settings) {
    store.save(kSection, QStringLiteral("EQEnabled"),
               settings.EqEnabled ? QStringLiteral("True") : QStringLiteral("False"));
    for (int band = 0; band < kEqualizerBands; ++band) {
        store.save(kSection, gainKey(band), QString::number(settings.EqualizerGains[band]));
    }
}

}  // namespace varnelo
