#include "recitation/equalizerpresets.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

#include "platform/messagebox.h"
#include "platform/settingsstore.h"
#include "platform/storedtext.h"

namespace varnelo {

namespace {

const QString kSection = QStringLiteral("EQ");
const QString kUserKey = QStringLiteral("Usr");
const QString kBuiltInPrefix = QStringLiteral("~*(");

int clampGain(int value) {
    return std::clamp(value, kMinEqualizerGain, kMaxEqualizerGain);
}

// A gain in whole dB within the slider range; halves round to even.
int wholeGain(double value) {
    return int(std::lrint(std::clamp(value, double(kMinEqualizerGain), double(kMaxEqualizerGain))));
}

}  // namespace

QString EqualizerPresets::BuiltInPresets() {
    return QStringLiteral(
        "~*(Preset 1|9|8|6|3|0|-3|-5|-6|-7|-7#"
        "~*(Preset 2|0|0|8|6|6|6|3|0|0|0#"
        "~*(Preset 3|10|7|2|0|0|-6|-7|-7|0|0#"
        "~*(Preset 4|-8|10|10|6|2|-4|-8|-10|-11|-11#"
        "~*(Preset 5|10|10|6|6|0|-5|-5|-5|0|0#"
        "~*(Preset 6|-5|0|4|6|6|6|4|2|2|2#"
        "~*(Preset 7|7|7|0|0|0|0|0|0|7|7#"
        "~*(Preset 8|-2|5|7|8|6|0|-2|-2|-2|-2#"
        "~*(Preset 9|4|4|2|0|-4|-6|-3|0|2|9#"
        "~*(Preset 10|6|6|3|3|1|-2|-2|-2|1|4#"
        "~*(Preset 11|0|0|0|0|0|0|-7|-7|-7|-10#"
        "~*(Preset 12|0|8|11|13|-11|-4|2|-14|-10|-3#"
        "~*(Preset 13|0|0|0|0|0|0|0|0|0|0#");
}

EqualizerPresets::EqualizerPresets(SettingsStore &store, MessageBox &messages)
    : m_store(store), m_messages(messages) {}

void EqualizerPresets::load(const EqualizerGainTable &gains) {
    LoadPresets();
    for (int band = 0; band < kEqualizerBands; ++band) {
        m_sliders[band] = std::isfinite(gains[band]) ? wholeGain(gains[band]) : 0;
    }
    // Compare the gains themselves: a text search for the signature would also match the
    // tail of an entry such as "-2|0|0|..." for "2|0|0|...".
    for (int index = 1; index < m_lines.size(); ++index) {
        if (gainsOfEntry(m_lines.at(index).entry) == m_sliders) {
            m_selected = index;
            break;
        }
    }
}

void EqualizerPresets::LoadPresets() {
    m_lines.clear();
    m_lines.append({QStringLiteral("(Select preset)"), 0, QString()});
    // Split apart: a user text without its closing "#" must not swallow the first built-in, and
    // a stored entry is a user preset (one that can be deleted) whatever its name looks like.
    appendLines(m_store.get(kSection, kUserKey, QString()), false);
    appendLines(BuiltInPresets(), true);
    m_selected = 0;
    m_deleteVisible = false;
}

void EqualizerPresets::appendLines(const QString &text, bool builtIn) {
    for (const QString &entry : text.split(QLatin1Char('#'))) {
        if (entry.trimmed().isEmpty()) {
            continue;
        }
        const QString name = entry.section(QLatin1Char('|'), 0, 0);
        if (builtIn) {
            m_lines.append({name.mid(kBuiltInPrefix.size()), 1, entry});
        } else {
            m_lines.append({name, 0, entry});
        }
    }
}

EqualizerGainTable EqualizerPresets::gains() const {
    EqualizerGainTable gains{};
    std::copy(m_sliders.begin(), m_sliders.end(), gains.begin());
    return gains;
}

bool EqualizerPresets::selectPreset(int index) {
    if (index < 0 || index >= m_lines.size()) {
        return false;
    }
    m_selected = index;
    if (index == 0) {
        m_deleteVisible = false;
        return true;
    }
    m_sliders = gainsOfEntry(m_lines.at(index).entry);
    m_deleteVisible = m_lines.at(index).itemData != 1;
    return true;
}

void EqualizerPresets::setSlider(int band, int value) {
    if (band >= 0 && band < kEqualizerBands) {
        m_sliders[band] = clampGain(value);
    }
}

void EqualizerPresets::savePreset() {
    QString name =
        m_messages.inputBox(QStringLiteral("Enter preset name"), QStringLiteral("Save Preset"));
    name.remove(QLatin1Char('#')).remove(QLatin1Char('|'));
    name = name.trimmed();
    // The marker of the built-in presets is not part of any name.
    while (name.startsWith(kBuiltInPrefix)) {
        name = name.mid(kBuiltInPrefix.size()).trimmed();
    }
    if (name.isEmpty()) {
        return;
    }
    const QString user = m_store.get(kSection, kUserKey, QString());
    m_store.save(kSection, kUserKey,
                 user + name + QLatin1Char('|') + signature(m_sliders) + QLatin1Char('#'));
    LoadPresets();
}

void EqualizerPresets::deletePreset() {
    if (m_selected <= 0 || m_selected >= m_lines.size() || m_lines.at(m_selected).itemData == 1) {
        return;
    }
    const QString name = m_lines.at(m_selected).text;
    QString kept;
    for (const QString &entry :
         m_store.get(kSection, kUserKey, QString()).split(QLatin1Char('#'))) {
        if (!entry.trimmed().isEmpty() && entry.section(QLatin1Char('|'), 0, 0) != name) {
            kept += entry + QLatin1Char('#');
        }
    }
    m_store.save(kSection, kUserKey, kept);
    LoadPresets();
}

QString EqualizerPresets::signature(const EqualizerSliderValues &values) {
    QStringList parts;
    for (int value : values) {
        parts.append(QString::number(value));
    }
    return parts.join(QLatin1Char('|'));
}

EqualizerSliderValues EqualizerPresets::gainsOfEntry(const QString &entry) {
    const QStringList parts = entry.split(QLatin1Char('|'));
    EqualizerSliderValues values{};
    for (int band = 0; band < kEqualizerBands && band + 1 < parts.size(); ++band) {
        values[band] = wholeGain(toDouble(parts.at(band + 1)).value_or(0));
    }
    return values;
}

}  // namespace varnelo
