#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTest>

#include "controls/cbutton.h"
#include "controls/ucslider.h"
#include "mainwindow/equalizercurve.h"
#include "mainwindow/frmequalizer.h"
#include "platform/memorysettingsstore.h"
#include "recitation/parametriceq.h"
#include "scripteddialogs.h"

using namespace varnelo;

namespace {

class CountingHost : public EqualizerHost {
public:
    void EnableEqualiser(bool) override { ++switches; }
    void SetEqualizerValue() override { ++applied; }
    int switches = 0;
    int applied = 0;
};

class EqualizerWindowTest : public testing::Test {
protected:
    template <typename T = QWidget>
    T *child(frmEqualizer &window, const QString &name) {
        T *widget = window.findChild<T *>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }
    int band(frmEqualizer &window, int k) {
        return child<ucSlider>(window, QString("ucSlider1_%1").arg(k))->model().Value();
    }

    MemorySettingsStore m_store;
    ScriptedDialogs m_dialogs;
    EqualizerSettings m_settings;
    CountingHost m_host;
};

}  // namespace

TEST_F(EqualizerWindowTest, OpensOnTheStoredGainsWithTheirPresetAndNothingApplied) {
    frmEqualizer window(m_store, m_dialogs, m_settings, m_host);
    auto *presets = child<QComboBox>(window, "cmbPresets");
    EXPECT_EQ(presets->count(), 14);
    EXPECT_EQ(presets->itemText(0), "(Select preset)");
    EXPECT_EQ(presets->currentText(), "Preset 4");
    EXPECT_EQ(presets->itemData(4).toInt(), 1);
    for (int k = 0; k < kEqualizerBands; ++k) {
        EXPECT_EQ(band(window, k), int(kDefaultEqualizerGains[size_t(k)])) << k;
        auto *slider = child<ucSlider>(window, QString("ucSlider1_%1").arg(k));
        EXPECT_EQ(slider->model().Min(), -15);
        EXPECT_EQ(slider->model().Max(), 15);
    }
    EXPECT_EQ(child<QLabel>(window, "lblBand_0")->text(), "80");
    EXPECT_EQ(child<QLabel>(window, "lblBand_4")->text(), "1K");
    EXPECT_EQ(child<QLabel>(window, "lblBand_9")->text(), "16K");
    EXPECT_EQ(child<QCheckBox>(window, "chkDSP")->text(), "Equalizer Enabled");
    EXPECT_TRUE(child<QCheckBox>(window, "chkDSP")->isChecked());
    EXPECT_TRUE(child<cButton>(window, "cmdDelete")->isHidden());
    EXPECT_EQ(m_host.applied + m_host.switches, 0);
}

TEST_F(EqualizerWindowTest, ChoosingSavingAndDeletingPresetsThroughTheWidgets) {
    frmEqualizer window(m_store, m_dialogs, m_settings, m_host);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto *presets = child<QComboBox>(window, "cmbPresets");
    auto *curve = child<EqualizerCurve>(window, "picResponse");
    const QImage before = curve->grab().toImage();

    // A preset moves every band at once and reaches the engine once, not once per band.
    presets->activated(7);  // Preset 7
    EXPECT_EQ(band(window, 0), 7);
    EXPECT_EQ(band(window, 4), 0);
    EXPECT_EQ(m_host.applied, 1);
    // The curve follows, within its redraw interval.
    QImage after = curve->grab().toImage();
    for (int waited = 0; after == before && waited < 500; waited += 10) {
        QTest::qWait(10);
        after = curve->grab().toImage();
    }
    EXPECT_NE(after, before);

    m_dialogs.inputs = {"Loud"};
    QTest::mouseClick(child<cButton>(window, "cmdSave"), Qt::LeftButton);
    EXPECT_EQ(m_store.get("EQ", "Usr", ""), "Loud|7|7|0|0|0|0|0|0|7|7#");
    EXPECT_EQ(presets->currentIndex(), 0);
    EXPECT_EQ(presets->itemText(1), "Loud");
    EXPECT_EQ(presets->itemData(1).toInt(), 0);

    presets->activated(1);
    auto *remove = child<cButton>(window, "cmdDelete");
    EXPECT_FALSE(remove->isHidden());
    QTest::mouseClick(remove, Qt::LeftButton);
    EXPECT_EQ(m_store.get("EQ", "Usr", "unset"), "");
    EXPECT_EQ(presets->count(), 14);
    EXPECT_TRUE(remove->isHidden());

    // Closing stores the gains of the last preset chosen.
    window.close();
    EXPECT_EQ(m_store.get("EQ", "Val0", ""), "7");
    EXPECT_EQ(m_store.get("EQ", "Val8", ""), "7");
}

// A band's move marks the stretch of the curve it moves, not the whole of it; a move the curve
// cannot show marks nothing.
TEST(EqualizerCurveTest, ABandMoveRedrawsOnlyItsStretch) {
    EqGainTable gains{};
    EqualizerCurve curve([&] { return gains; }, 44100);
    curve.resize(480, 140);
    curve.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&curve));

    gains[0] = 6;  // 80 Hz
    curve.responseChanged();
    const QRect low = curve.lastChangedRect();
    EXPECT_FALSE(low.isEmpty());
    EXPECT_LE(low.left(), curve.xOf(80));
    EXPECT_GE(low.right(), curve.xOf(80));
    EXPECT_LT(low.right(), curve.xOf(2000));

    gains[9] = -6;  // 16 kHz
    curve.responseChanged();
    const QRect high = curve.lastChangedRect();
    EXPECT_GE(high.right(), curve.xOf(16000));
    EXPECT_GT(high.left(), curve.xOf(1000));

    gains[9] = -6.001f;
    curve.responseChanged();
    EXPECT_TRUE(curve.lastChangedRect().isEmpty());
}
