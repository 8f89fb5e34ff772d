#include "recitation/equalizer.h"

#include <QString>

#include <algorithm>
#include <cmath>

#include "platform/settingsstore.h"

namespace varnelo {

namespace {

const QString kSection = QStringLiteral("EQ");

QString gainKey(int band) {
    return QStringLiteral("Val%1").arg(band);
}

// Gains written with a decimal comma by a store of another locale still read back.
float readGain(const QString &text, float fallback) {
    bool ok = false;
    const double value =
        QString(text).replace(QLatin1Char(','), QLatin1Char('.')).trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        return fallback;
    }
    return float(std::clamp(value, double(kMinEqualizerGain), double(kMaxEqualizerGain)));
}

// "True"/"False" in any case, or a number where non-zero is True.
bool readBoolean(const QString &text, bool fallback) {
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) {
        return true;
    }
    if (trimmed.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) {
        return false;
    }
    bool ok = false;
    const double value = trimmed.toDouble(&ok);
    return ok ? value != 0 : fallback;
}

}  // namespace

EqualizerSettings ReadEqualizerSettings(const SettingsStore &store) {
    EqualizerSettings settings;
    settings.EqEnabled = readBoolean(store.get(kSection, QStringLiteral("EQEnabled"), QString()),
                                     settings.EqEnabled);
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
