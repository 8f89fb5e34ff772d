#include "recitation/equalizer.h"

#include <QString>

#include <algorithm>

#include "app/settings.h"
#include "platform/settingsstore.h"

namespace varnelo {

namespace {

const QString kSection = QStringLiteral("EQ");

QString gainKey(int band) {
    return QStringLiteral("Val%1").arg(band);
}

float readGain(const QString &text, float fallback) {
    const std::optional<double> value = toDouble(text);
    if (!value) {
        return fallback;
    }
    return float(std::clamp(*value, double(kMinEqualizerGain), double(kMaxEqualizerGain)));
}

}  // namespace

EqualizerSettings ReadEqualizerSettings(const SettingsStore &store) {
    EqualizerSettings settings;
    settings.EqEnabled =
        toBoolean(store.get(kSection, QStringLiteral("EQEnabled"), QString())).value_or(true);
    for (int band = 0; band < kEqualizerBands; ++band) {
        settings.EqualizerGains[band] =
            readGain(store.get(kSection, gainKey(band), QString()), kDefaultEqualizerGains[band]);
    }
    return settings;
}

void WriteEqualizerSettings(SettingsStore &store, const EqualizerSettings &settings) {
    store.save(kSection, QStringLiteral("EQEnabled"),
               settings.EqEnabled ? QStringLiteral("True") : QStringLiteral("False"));
    for (int band = 0; band < kEqualizerBands; ++band) {
        store.save(kSection, gainKey(band), QString::number(settings.EqualizerGains[band]));
    }
}

}  // namespace varnelo
