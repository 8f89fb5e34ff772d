#pragma once

#include <QDialog>

#include <array>

#include "controls/framepacer.h"
#include "mainwindow/equalizerwindowmodel.h"

class QCheckBox;
class QComboBox;
class QLabel;

namespace varnelo {

class EqualizerCurve;
class MessageBox;
class SettingsStore;
class cButton;
class ucSlider;

// The equalizer window: ten band sliders, the on/off check, the preset list with save and
// delete, and the combined response curve. Every change reaches the engine at once; closing the
// window stores the gains and the on/off state.
class frmEqualizer : public QDialog {
    Q_OBJECT

public:
    // A dragged band and the curve it moves are drawn together at most this often: each frame
    // costs the same to send to the screen whatever it holds.
    static constexpr int kFrameMs = 33;

    frmEqualizer(SettingsStore &store, MessageBox &messages, EqualizerSettings &settings,
                 EqualizerHost &host, QWidget *parent = nullptr);

    // Shows the window modally over parent until it is closed.
    static void showModal(QWidget *parent, SettingsStore &store, MessageBox &messages,
                          EqualizerSettings &settings, EqualizerHost &host);

    const EqualizerWindowModel &model() const { return m_model; }

    // Band labels: the centre frequencies as "80", "1K", "16K".
    static QString bandLabel(int band);

public slots:
    void done(int result) override;

private:
    QWidget *buildBands();
    QLayout *buildControls();
    cButton *makeButton(const char *name, const QString &caption);
    // The widgets from the model: list, selection, sliders, delete button, check, curve.
    void showPresets();
    void showSliders();

    EqualizerWindowModel m_model;
    FramePacer m_frames;
    std::array<ucSlider *, kEqualizerBands> m_bands{};
    EqualizerCurve *m_curve = nullptr;
    QCheckBox *m_chkDSP = nullptr;
    QComboBox *m_cmbPresets = nullptr;
    cButton *m_cmdSave = nullptr;
    cButton *m_cmdDelete = nullptr;
    cButton *m_cmdClose = nullptr;
    bool m_showing = false;  // the widgets follow the model; their events are not the user's
    bool m_unloaded = false;
};

}  // namespace varnelo
