#pragma once

#include <QList>
#include <QString>

#include <array>

#include "recitation/equalizer.h"

namespace varnelo {

class MessageBox;
class SettingsStore;

// Whole-dB values of the ten band sliders.
using EqualizerSliderValues = std::array<int, kEqualizerBands>;

// One line of the preset list.
struct PresetLine {
    QString text;
    int itemData = 0;  // 1 for a built-in preset, 0 for a user preset
    QString entry;     // the preset text "name|g0|...|g9" the line stands for; "" for line 0
};

// The equalizer window without its widgets: preset list, band slider values and the rules
// for saving and deleting user presets (kept in "EQ"/"Usr").
class EqualizerPresets {
public:
    // Entries "~*(name|g0|...|g9#" of the presets that come with the program.
    static QString BuiltInPresets();

    EqualizerPresets(SettingsStore &store, MessageBox &messages);

    // Window load: fills the list, sets the sliders to gains (whole dB) and selects the first
    // preset whose gains equal the sliders (index 0 when none does).
    void load(const EqualizerGainTable &gains);
    // Fills the list with "(Select preset)", the user presets and the built-in ones; selects 0.
    // Every entry of "EQ"/"Usr" is a user preset, even one named with the built-in marker.
    void LoadPresets();

    const QList<PresetLine> &lines() const { return m_lines; }
    int selectedIndex() const { return m_selected; }
    bool deleteVisible() const { return m_deleteVisible; }
    const EqualizerSliderValues &sliders() const { return m_sliders; }
    // The slider values as gains in dB, for the engine.
    EqualizerGainTable gains() const;

    // Selects list line index: a preset line sets the sliders to its gains (a part that is not a
    // number, or missing, reads as 0). Returns false for an index outside the list.
    bool selectPreset(int index);
    // Moves one band slider, kept within -15..15.
    void setSlider(int band, int value);
    // Asks for a name and appends the current sliders as a user preset; a cancelled or blank
    // name saves nothing. "#" and "|" are dropped from the name, as they separate entries, and so
    // is a leading built-in marker "~*(".
    void savePreset();
    // Removes every user preset named as the selected line; does nothing for line 0 or a
    // built-in preset.
    void deletePreset();

    // The sliders' signature "g0|...|g9".
    static QString signature(const EqualizerSliderValues &values);

private:
    void appendLines(const QString &text, bool builtIn);
    static EqualizerSliderValues gainsOfEntry(const QString &entry);

    SettingsStore &m_store;
    MessageBox &m_messages;
    QList<PresetLine> m_lines;
    int m_selected = 0;
    bool m_deleteVisible = false;
    EqualizerSliderValues m_sliders{};
};

}  // namespace varnelo
