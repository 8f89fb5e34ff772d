#include "mainwindow/maincommands.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QRadioButton>

#include "controls/cbutton.h"
#include "controls/picturebutton.h"
#include "controls/sliderpic.h"
#include "controls/ucslider.h"
#include "data/suracatalogue.h"
#include "display/arabicpage.h"
#include "display/settingskeys.h"
#include "mainwindow/frmequalizer.h"
#include "mainwindow/frmmain.h"
#include "mainwindow/frmquicksuraselect.h"
#include "mainwindow/frmquickverseselect.h"
#include "mainwindow/frmrangemodesetup.h"
#include "mainwindow/mainpanel.h"
#include "platform/documentopener.h"
#include "platform/messagebox.h"
#include "platform/settingsstore.h"
#include "platform/storedtext.h"
#include "platform/virtualkeys.h"
#include "recitation/rangeexport.h"
#include "recitation/streamframelocator.h"

namespace varnelo {

MainCommands::MainCommands(frmMain &window, MainPanel &panel, Services services,
                           RangeModeOptions options)
    : QObject(&window),
      m_window(window),
      m_panel(panel),
      m_services(services),
      m_controller({window.Fmod(), services.scheduler, services.messages, *this}, options) {
    connectPanel();
    m_panel.cmdPlay->setToolTip(QLatin1String(RecitationController::kReciteRangeTip));
}

MainCommands::~MainCommands() = default;

void MainCommands::connectPanel() {
    MainPanel &p = m_panel;
    connect(p.cmdPlay, &PictureButton::clicked, this, [this] { m_controller.cmdPlay_Click(); });
    // The pause button is the P key.
    connect(p.cmdPause, &PictureButton::clicked, this, [this] { Form_KeyDown(*this, 'P', 0); });
    connect(p.cmdStop, &PictureButton::clicked, this, [this] { m_controller.cmdStop_Click(); });
    connect(p.cmdNext, &PictureButton::clicked, this, [this] { m_controller.cmdNext_Click(); });
    connect(p.cmdPrev, &PictureButton::clicked, this, [this] { m_controller.cmdPrev_Click(); });
    for (int i = 0; i < 2; ++i) {
        connect(p.optVerseAdvance[i], &QRadioButton::clicked, this,
                [this, i] { m_controller.optVerseAdvance_Click(i); });
    }
    for (int i = 0; i < 3; ++i) {
        connect(&p.sliders[i]->model(), &ucSliderModel::Change, this,
                [this, i] { sliderMoved(i); });
    }
    connect(p.cmdRangeBegin, &cButton::Click, this, [this] { setRangeBegin(); });
    connect(p.cmdRangeEnd, &cButton::Click, this, [this] { setRangeEnd(); });
    connect(p.cmdCurrentVerse, &cButton::Click, this, [this] { moveToVerse(); });
    connect(p.cmdRangeMoveBackward, &cButton::Click, this, [this] { moveRangeBackward(); });
    connect(p.cmdRangeMoveForward, &cButton::Click, this, [this] { moveRangeForward(); });
    connect(p.cmdRangeModeSetup, &cButton::Click, this, [this] { openRangeModeSetup(); });
    connect(p.cmdRangeToMP3, &cButton::Click, this, [this] { cmdRangeToMP3_Click(); });
    connect(p.cmdIndex, &cButton::Click, this, [this] { cmdIndex_Click(); });
    connect(p.cmdAbout, &cButton::Click, this, [this] { showAbout(); });
    connect(p.cmdEqualizer, &cButton::Click, this, [this] { cmdEqualizer_Click(); });
    connect(&p.SliderPic1->model(), &SliderPicModel::Change, this, [this] { volumeChanged(); });
    connect(p.SliderPic1, &SliderPic::Click, this, [this] { volumeChanged(); });
}

void MainCommands::sliderMoved(int index) {
    if (m_showingRange)
        return;
    // A drag the controller refuses (no sura yet) snaps back to what it holds.
    if (!m_controller.setSlider(index, m_panel.sliders[index]->model().Value()))
        showRange(m_controller.range());
}

void MainCommands::volumeChanged() {
    m_window.setVolume(m_panel.SliderPic1->model().CurPosition());
    m_window.Fmod().SetVolume(m_window.volume());
}

void MainCommands::suraSelectionChanged() {
    if (!m_selectingSura)
        m_controller.suraSelectedByUser();
    m_window.loadSelectedSura();
}

// ---- RecitationView -------------------------------------------------------------------------

int MainCommands::suraListIndex() const {
    return m_panel.cmbSura->currentIndex();
}

int MainCommands::suraListCount() const {
    return m_panel.cmbSura->count();
}

QString MainCommands::suraListText() const {
    return m_panel.cmbSura->currentText();
}

int MainCommands::selectedSura() const {
    const int index = m_panel.cmbSura->currentIndex();
    return index < 0 ? 0 : m_panel.cmbSura->itemData(index).toInt();
}

bool MainCommands::selectSuraListIndex(int index) {
    if (index < 0 || index >= m_panel.cmbSura->count())
        return false;
    m_selectingSura = true;
    m_panel.cmbSura->setCurrentIndex(index);
    m_selectingSura = false;
    return true;
}

bool MainCommands::suraLoading() const {
    return m_window.loader().LoadingSura();
}

const QList<VerseTime> &MainCommands::verseTimes() const {
    return m_window.loader().verseTimes();
}

void MainCommands::SetText() {
    m_window.SetText();
}

void MainCommands::hideWordPicture() {
    m_window.arabicPage().hideWordPicture();
}

void MainCommands::setHideWordMark(bool hide) {
    m_window.arabicPage().setHideWordMark(hide);
}

void MainCommands::showRange(const VerseRange &range) {
    m_showingRange = true;
    const std::array<int, 3> values = {range.RB, range.RE, range.CV};
    for (int i = 0; i < 3; ++i) {
        ucSliderModel &model = m_panel.sliders[i]->model();
        if (range.Max > 0 && model.Max() != range.Max)
            (void)model.setMax(range.Max);
        (void)model.setValue(values[i]);
    }
    m_showingRange = false;
}

void MainCommands::setSliderTip(int index, const QString &tip) {
    if (!tip.isEmpty())
        m_panel.sliders[index]->setToolTip(tip);
}

void MainCommands::setPlayTip(const QString &tip) {
    m_panel.cmdPlay->setToolTip(tip);
}

void MainCommands::showMode(bool rangeMode) {
    m_panel.optVerseAdvance[rangeMode ? 0 : 1]->setChecked(true);
}

void MainCommands::applyVolume() {
    // The slider holds the volume: a stored value out of its range is brought into it.
    SliderPicModel &slider = m_panel.SliderPic1->model();
    slider.setCurPosition(m_window.volume());
    m_window.setVolume(slider.CurPosition());
    m_window.Fmod().SetVolume(m_window.volume());
}

void MainCommands::showTitleWindow(bool show) {
    m_window.ShowTitleWindow(show);
}

void MainCommands::showStatus(const QString &text) {
    m_panel.lblStatus->setText(text);
}

// ---- KeyboardTarget -------------------------------------------------------------------------

bool MainCommands::focusInTranslationText() const {
    return m_window.focusInTranslationView();
}

bool MainCommands::verseMode() const {
    return m_controller.Keyboard();
}

void MainCommands::openRangeModeSetup() {
    RangeModeOptions options = m_controller.options();
    m_window.ShowTitleWindow(false);
    const bool changed =
        frmRangeModeSetup::edit(&m_window, m_services.store, m_services.messages, options);
    m_window.ShowTitleWindow(true);
    if (changed)
        m_controller.setOptions(options);
}

void MainCommands::openQuickSuraSelect() {
    if (!m_suraDialog) {
        m_suraDialog = new frmQuickSuraSelect(
            m_services.messages,
            [this](int listPosition) { m_panel.cmbSura->setCurrentIndex(listPosition); },
            [this] { CallVerseSelecter(); }, &m_window);
    }
    m_window.ShowTitleWindow(false);
    m_suraDialog->exec();
    m_window.ShowTitleWindow(true);
}

void MainCommands::showVerseDialog(const QString &caption, bool setBegin, bool setEnd) {
    const int sura = selectedSura();
    if (sura == 0)
        return;
    if (!m_verseDialog) {
        m_verseDialog = new frmQuickVerseSelect(
            m_services.messages,
            [this](int verse, bool begin, bool end) {
                m_controller.CallSetText(verse, begin, end);
            },
            &m_window);
    }
    m_verseDialog->prepare(caption, sura, VerseCounts[sura], setBegin, setEnd);
    m_window.ShowTitleWindow(false);
    m_verseDialog->exec();
    m_window.ShowTitleWindow(true);
}

void MainCommands::CallVerseSelecter() {
    showVerseDialog(QStringLiteral("Move to verse"), false, false);
}

void MainCommands::RestoreLastPosition() {
    ConvertingReader reader(m_services.store);
    const QString main = QLatin1String(keys::Main);
    // Each value is applied on its own: one that does not fit leaves that slider as it was.
    const int sura = reader.value(main, keys::Sura, QStringLiteral("0"), toInteger, 0);
    // The last exit had no sura: there is no position to restore, and clearing the list would
    // leave the current sura sounding with no key able to pause it.
    if (sura == -1)
        return;
    if (sura >= 0 && sura < m_panel.cmbSura->count())
        m_panel.cmbSura->setCurrentIndex(sura);
    if (suraListIndex() < 0 || suraLoading())
        return;
    const VerseRange &range = m_controller.range();
    const std::array<const char *, 3> sliderKeys = {keys::RangeBegin, keys::RangeEnd, keys::CurPos};
    const std::array<int, 3> defaults = {0, range.Max, 0};
    for (int i = 0; i < 3; ++i) {
        const int value =
            reader.value(main, sliderKeys[i], QString::number(defaults[i]), toInteger, defaults[i]);
        (void)m_controller.setSlider(i, value);
    }
    const int verse = reader.value(main, keys::CurVerse, QStringLiteral("0"), toInteger, 0);
    if (verse >= 0 && verse <= range.Max)
        m_controller.setCurrentVerse(verse);
    SetText();
}

void MainCommands::scrollPage(bool up) {
    m_window.arabicPage().scrollKey(up);
}

void MainCommands::togglePause() {
    m_controller.togglePause();
}

void MainCommands::selectMode(bool rangeMode) {
    // Selecting the option that is already selected changes nothing.
    if (m_controller.Auto() != rangeMode)
        m_controller.optVerseAdvance_Click(rangeMode ? 0 : 1);
}

void MainCommands::toggleWindow(int window) {
    m_window.toggleWindow(window);
}

void MainCommands::closeMainWindow() {
    m_window.close();
}

void MainCommands::reciteNextVerse() {
    m_controller.reciteNextVerse();
}

void MainCommands::recitePreviousVerse() {
    m_controller.recitePreviousVerse();
}

void MainCommands::play() {
    m_controller.cmdPlay_Click();
}

void MainCommands::moveRangeForward() {
    m_controller.cmdRangeMoveForward();
}

void MainCommands::moveRangeBackward() {
    m_controller.cmdRangeMoveBackward();
}

void MainCommands::setRangeLength(int n) {
    m_controller.setRangeLength(n);
}

void MainCommands::moveToVerse() {
    showVerseDialog(QStringLiteral("Move to Verse"), false, false);
}

void MainCommands::setRangeBegin() {
    showVerseDialog(QStringLiteral("Set Range Begin"), true, false);
}

void MainCommands::setRangeEnd() {
    showVerseDialog(QStringLiteral("Set Range End"), false, true);
}

void MainCommands::wholeSura() {
    m_controller.wholeSura();
}

void MainCommands::previousSura() {
    m_controller.cmdPrev_Click();
}

void MainCommands::nextSura() {
    m_controller.cmdNext_Click();
}

void MainCommands::changeVolume(int delta) {
    const SliderPicModel &slider = m_panel.SliderPic1->model();
    m_window.setVolume(std::clamp(slider.CurPosition() + delta, slider.Min(), slider.Max()));
    applyVolume();
}

void MainCommands::EnableEqualiser(bool on) {
    clsFMod &fmod = m_window.Fmod();
    if (on) {
        fmod.EnableEqualizer();
        fmod.SetEqualizerValue();
    } else {
        fmod.DisableEqualizer();
    }
    m_panel.cmdEqualizer->setCaption(on ? QStringLiteral("Equalizer ON")
                                        : QStringLiteral("Equalizer OFF"));
}

void MainCommands::SetEqualizerValue() {
    m_window.Fmod().SetEqualizerValue();
}

void MainCommands::cmdEqualizer_Click() {
    m_window.ShowTitleWindow(false);
    frmEqualizer::showModal(&m_window, m_services.store, m_services.messages, m_window.equalizer(),
                            *this);
    m_window.ShowTitleWindow(true);
}

void MainCommands::showAbout() {
    m_window.showAboutWindow();
}

// ---- Commands of their own ------------------------------------------------------------------

void MainCommands::cmdRangeToMP3_Click() {
    const int sura = selectedSura();
    if (sura == 0 || suraLoading())
        return;
    RangeExportRequest request;
    request.sura = sura;
    request.suraListText = suraListText();
    request.RB = m_controller.range().RB;
    request.RE = m_controller.range().RE;
    for (const VerseTime &time : verseTimes())
        request.verseTimes.append({time.start, time.end});
    request.Mp3FilePath = m_window.loader().Mp3FilePath();
    RangeExport exporter(m_services.messages, m_services.saveDialog,
                         [this] { m_controller.cmdStop_Click(); });
    const StreamFrameLocator frames(m_window.Fmod().stream());
    m_window.ShowTitleWindow(false);
    exporter.cmdRangeToMP3(request, frames);
    m_window.ShowTitleWindow(true);
}

void MainCommands::cmdIndex_Click() {
    const QString index = m_window.AppFolder() + QStringLiteral("/Dozive.chm");
    const bool installed = QFileInfo(index).isFile();
    if (installed && m_services.opener.openFile(index))
        return;
    // An installed index that nothing here opens is not reported as missing: the user would
    // install it again to no end.
    m_window.SetTopMost(false);
    if (installed)
        m_services.messages.information(
            QStringLiteral("Quran Index"),
            QStringLiteral("%1 is installed, but no program on this computer opens help files "
                           "of its kind (.chm).")
                .arg(QDir::toNativeSeparators(index)));
    else
        m_services.messages.information(
            QStringLiteral("Quran Index not found"),
            QStringLiteral("Riruv Iveva Zuror for Varnelo is not installed"));
    m_window.SetTopMost(m_window.AlwaysOnTop());
}

}  // namespace varnelo
