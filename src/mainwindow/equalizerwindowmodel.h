#pragma once

#include <QList>

#include "recitation/equalizer.h"
#include "recitation/equalizerpresets.h"
#include "recitation/parametriceq.h"

namespace varnelo {

class MessageBox;
class SettingsStore;

// What the equalizer window asks of the main window.
class EqualizerHost {
public:
    virtual ~EqualizerHost() = default;
    // Switches the engine's equalizer on (with the current gains) or off, and the button's caption.
    virtual void EnableEqualiser(bool on) = 0;
    // Hands the current gains to the engine.
    virtual void SetEqualizerValue() = 0;
};

// The equalizer window without its widgets: the presets, the band sliders, the on/off check and
// what each of them does to the program's equalizer settings and the engine.
class EqualizerWindowModel {
public:
    // settings are the program's, edited in place; the store keeps the user presets and, when
    // the window closes, the gains and the on/off state.
    EqualizerWindowModel(SettingsStore &store, MessageBox &messages, EqualizerSettings &settings,
                         EqualizerHost &host);

    // Window load: presets, sliders from the gains and the preset they match, the check box.
    void Form_Load();
    // Window unload: stores "EQ"/"EQEnabled" and "Val0".."Val9".
    void Form_Unload();

    // A preset line chosen; its gains reach the engine. Ignored while loading.
    void cmbPresets_Click(int index);
    // Band slider moved to value; all gains reach the engine at once. Ignored while loading.
    void bandChanged(int band, int value);
    // The check box clicked. Ignored while loading.
    void chkDSP_Click(bool checked);
    void cmdSave_Click() { m_presets.savePreset(); }
    void cmdDelete_Click() { m_presets.deletePreset(); }

    bool loading() const { return m_loading; }
    const QList<PresetLine> &lines() const { return m_presets.lines(); }
    int selectedIndex() const { return m_presets.selectedIndex(); }
    bool deleteVisible() const { return m_presets.deleteVisible(); }
    const EqualizerSliderValues &sliders() const { return m_presets.sliders(); }
    bool checked() const { return m_settings.EqEnabled; }
    // The gains the engine was last handed.
    const EqGainTable &gains() const { return m_settings.EqualizerGains; }

    // Combined response of the ten bands at freq (Hz) for the current gains, in dB, as the
    // engine's filters at sampleRate produce it once switched on.
    double responseDb(double freq, double sampleRate) const;

private:
    void applyGains();

    SettingsStore &m_store;
    EqualizerSettings &m_settings;
    EqualizerHost &m_host;
    EqualizerPresets m_presets;
    bool m_loading = false;
    // The coefficients of the last gains and rate asked for: a curve asks at hundreds of points.
    mutable EqGainTable m_curveGains{};
    mutable double m_curveRate = 0;
    mutable EqCoefficientTable m_curveBands{};
};

}  // namespace varnelo
