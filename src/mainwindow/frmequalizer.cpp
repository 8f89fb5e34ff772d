#include "mainwindow/frmequalizer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "controls/cbutton.h"
#include "controls/ucslider.h"
#include "controls/ucsliderpainter.h"
#include "mainwindow/equalizercurve.h"
#include "mainwindow/skin.h"
#include "recitation/parametriceq.h"

namespace varnelo {

namespace {

using skin::LightText;
using skin::PanelColour;
// The curve shows what the engine plays at its mixing rate.
constexpr double kCurveRate = 44100;
constexpr int kBandHeight = 150;

}  // namespace

frmEqualizer::frmEqualizer(SettingsStore &store, MessageBox &messages, EqualizerSettings &settings,
                           EqualizerHost &host, QWidget *parent)
    : QDialog(parent), m_model(store, messages, settings, host), m_frames(kFrameMs) {
    setObjectName(QStringLiteral("frmEqualizer"));
    setWindowTitle(tr("Equalizer"));
    setModal(true);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, PanelColour);
    colours.setColor(QPalette::WindowText, QColor(227, 238, 227));
    setPalette(colours);

    m_curve = new EqualizerCurve([this] { return m_model.gains(); }, kCurveRate, this);
    m_curve->setObjectName(QStringLiteral("picResponse"));
    m_curve->setMinimumHeight(140);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_curve);
    layout->addWidget(buildBands());
    layout->addLayout(buildControls());

    m_model.Form_Load();
    showPresets();
    showSliders();
    m_showing = true;
    m_chkDSP->setChecked(m_model.checked());
    m_showing = false;
    m_curve->setActive(m_model.checked());
}

void frmEqualizer::showModal(QWidget *parent, SettingsStore &store, MessageBox &messages,
                             EqualizerSettings &settings, EqualizerHost &host) {
    frmEqualizer window(store, messages, settings, host, parent);
    window.exec();
}

QString frmEqualizer::bandLabel(int band) {
    const int hz = int(kEqCentres[size_t(band)]);
    return hz >= 1000 ? QStringLiteral("%1K").arg(hz / 1000) : QString::number(hz);
}

QWidget *frmEqualizer::buildBands() {
    auto *bands = new QWidget(this);
    auto *grid = new QGridLayout(bands);
    grid->setContentsMargins(0, 0, 0, 0);
    for (int k = 0; k < kEqualizerBands; ++k) {
        ucSlider *slider = new ucSlider(bands);
        slider->setObjectName(QStringLiteral("ucSlider1_%1").arg(k));
        slider->setPacer(&m_frames);
        slider->setBackColor(PanelColour);
        slider->model().setOrientation(ucSliderModel::kVertical);
        slider->setSliderImage(ucSliderPainter::skinThumb(false));
        slider->setRailImage(ucSliderPainter::skinRail(false));
        slider->model().setRailStyle(ucSliderPainter::kRailImageStyle);
        (void)slider->model().setMin(kMinEqualizerGain);
        (void)slider->model().setMax(kMaxEqualizerGain);
        slider->setFixedHeight(kBandHeight);
        connect(&slider->model(), &ucSliderModel::Change, this, [this, k] {
            if (m_showing)
                return;
            // The sound follows at once; the band and the curve are drawn at the next frame.
            m_model.bandChanged(k, m_bands[size_t(k)]->model().Value());
            m_frames.request(m_curve, [this] { m_curve->responseChanged(); });
        });
        m_bands[size_t(k)] = slider;
        auto *label = new QLabel(bandLabel(k), bands);
        label->setObjectName(QStringLiteral("lblBand_%1").arg(k));
        label->setStyleSheet(LightText);
        label->setAlignment(Qt::AlignCenter);
        grid->addWidget(slider, 0, k, Qt::AlignHCenter);
        grid->addWidget(label, 1, k, Qt::AlignHCenter);
    }
    return bands;
}

QLayout *frmEqualizer::buildControls() {
    m_chkDSP = new QCheckBox(tr("Equalizer Enabled"), this);
    m_chkDSP->setObjectName(QStringLiteral("chkDSP"));
    m_chkDSP->setStyleSheet(LightText);
    connect(m_chkDSP, &QCheckBox::toggled, this, [this](bool checked) {
        if (m_showing)
            return;
        m_model.chkDSP_Click(checked);
        m_curve->setActive(checked);
    });

    m_cmbPresets = new QComboBox(this);
    m_cmbPresets->setObjectName(QStringLiteral("cmbPresets"));
    m_cmbPresets->setMinimumWidth(150);
    connect(m_cmbPresets, &QComboBox::activated, this, [this](int index) {
        m_model.cmbPresets_Click(index);
        showSliders();
    });

    m_cmdSave = makeButton("cmdSave", tr("Save"));
    m_cmdDelete = makeButton("cmdDelete", tr("Delete"));
    m_cmdClose = makeButton("cmdClose", tr("Close"));
    connect(m_cmdSave, &cButton::Click, this, [this] {
        m_model.cmdSave_Click();
        showPresets();
        showSliders();
    });
    connect(m_cmdDelete, &cButton::Click, this, [this] {
        m_model.cmdDelete_Click();
        showPresets();
        showSliders();
    });
    connect(m_cmdClose, &cButton::Click, this, [this] { done(QDialog::Accepted); });

    auto *row = new QHBoxLayout;
    row->addWidget(m_chkDSP);
    row->addStretch();
    row->addWidget(m_cmbPresets);
    row->addWidget(m_cmdSave);
    row->addWidget(m_cmdDelete);
    row->addSpacing(12);
    row->addWidget(m_cmdClose);
    return row;
}

cButton *frmEqualizer::makeButton(const char *name, const QString &caption) {
    cButton *button = skin::makeButton(this, QLatin1String(name), caption);
    button->setFixedSize(64, 22);
    return button;
}

void frmEqualizer::showPresets() {
    m_showing = true;
    m_cmbPresets->clear();
    for (const PresetLine &line : m_model.lines())
        m_cmbPresets->addItem(line.text, line.itemData);
    m_cmbPresets->setCurrentIndex(m_model.selectedIndex());
    m_showing = false;
}

void frmEqualizer::showSliders() {
    m_showing = true;
    for (int k = 0; k < kEqualizerBands; ++k)
        (void)m_bands[size_t(k)]->model().setValue(m_model.sliders()[size_t(k)]);
    m_showing = false;
    m_cmdDelete->setVisible(m_model.deleteVisible());
    m_curve->responseChanged();
}

void frmEqualizer::done(int result) {
    if (!m_unloaded) {
        m_unloaded = true;
        m_model.Form_Unload();
    }
    QDialog::done(result);
}

}  // namespace varnelo
