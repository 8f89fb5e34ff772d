#include "mainwindow/equalizerwindowmodel.h"

namespace varnelo {

EqualizerWindowModel::EqualizerWindowModel(SettingsStore &store, MessageBox &messages,
                                           EqualizerSettings &settings, EqualizerHost &host)
    : m_store(store), m_settings(settings), m_host(host), m_presets(store, messages) {}

void EqualizerWindowModel::Form_Load() {
    m_loading = true;
    m_presets.load(m_settings.EqualizerGains);
    m_loading = false;
}

void EqualizerWindowModel::Form_Unload() {
    WriteEqualizerSettings(m_store, m_settings);
}

void EqualizerWindowModel::cmbPresets_Click(int index) {
    if (m_loading || !m_presets.selectPreset(index) || index == 0)
        return;
    applyGains();
}

void EqualizerWindowModel::bandChanged(int band, int value) {
    if (m_loading)
        return;
    m_presets.setSlider(band, value);
    applyGains();
}

void EqualizerWindowModel::chkDSP_Click(bool checked) {
    if (m_loading)
        return;
    m_host.EnableEqualiser(checked);
    m_settings.EqEnabled = checked;
}

void EqualizerWindowModel::applyGains() {
    m_settings.EqualizerGains = m_presets.gains();
    m_host.SetEqualizerValue();
}

double EqualizerWindowModel::responseDb(double freq, double sampleRate) const {
    if (m_curveRate != sampleRate || m_curveGains != m_settings.EqualizerGains) {
        m_curveGains = m_settings.EqualizerGains;
        m_curveRate = sampleRate;
        m_curveBands = equalizerCoefficients(m_curveGains, sampleRate);
    }
    return equalizerResponseDb(m_curveBands, freq, sampleRate);
}

}  // namespace varnelo
