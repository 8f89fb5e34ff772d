#pragma once

#include <QObject>
#include <QPointer>

#include <memory>

#include "mainwindow/equalizerwindowmodel.h"
#include "mainwindow/keyboardcommands.h"
#include "recitation/rangemodeoptions.h"
#include "recitation/recitationcontroller.h"
#include "recitation/recitationview.h"

namespace varnelo {

class DocumentOpener;
class MainPanel;
class MessageBox;
class SaveFileDialog;
class Scheduler;
class SettingsStore;
class frmMain;
class frmQuickSuraSelect;
class frmQuickVerseSelect;

// The main window's commands: what its buttons, sliders and keys do. It owns the recitation
// controller and is the controller's view and the keyboard's target, so the window itself only
// assembles the parts.
class MainCommands : public QObject,
                     public RecitationView,
                     public KeyboardTarget,
                     public EqualizerHost {
    Q_OBJECT

public:
    struct Services {
        SettingsStore &store;
        MessageBox &messages;
        SaveFileDialog &saveDialog;
        DocumentOpener &opener;
        Scheduler &scheduler;
    };

    MainCommands(frmMain &window, MainPanel &panel, Services services, RangeModeOptions options);
    ~MainCommands() override;

    RecitationController &controller() { return m_controller; }
    const RecitationController &controller() const { return m_controller; }

    // The sura list's selection changed (by the user, a key, a dialog or the follower).
    void suraSelectionChanged();
    // "Range to MP3" and the index button.
    void cmdRangeToMP3_Click();
    void cmdIndex_Click();
    // Opens the verse dialog: "Move to Verse" (begin/end false), or a range marker.
    void showVerseDialog(const QString &caption, bool setBegin, bool setEnd);
    // The sura dialog's follow-up: the verse dialog for the sura just selected.
    void CallVerseSelecter();
    // The equalizer window, modal inside the modal bracket.
    void cmdEqualizer_Click();

    // EqualizerHost.
    void EnableEqualiser(bool on) override;
    void SetEqualizerValue() override;

    // RecitationView.
    int suraListIndex() const override;
    int suraListCount() const override;
    QString suraListText() const override;
    int selectedSura() const override;
    bool selectSuraListIndex(int index) override;
    bool suraLoading() const override;
    const QList<VerseTime> &verseTimes() const override;
    void SetText() override;
    void hideWordPicture() override;
    void setHideWordMark(bool hide) override;
    void showRange(const VerseRange &range) override;
    void setSliderTip(int index, const QString &tip) override;
    void setPlayTip(const QString &tip) override;
    void showMode(bool rangeMode) override;
    void applyVolume() override;
    void showTitleWindow(bool show) override;
    void showStatus(const QString &text) override;

    // KeyboardTarget.
    bool focusInTranslationText() const override;
    bool verseMode() const override;
    void openRangeModeSetup() override;
    void openQuickSuraSelect() override;
    void RestoreLastPosition() override;
    void scrollPage(bool up) override;
    void togglePause() override;
    void selectMode(bool rangeMode) override;
    void toggleWindow(int window) override;
    void closeMainWindow() override;
    void reciteNextVerse() override;
    void recitePreviousVerse() override;
    void play() override;
    void moveRangeForward() override;
    void moveRangeBackward() override;
    void setRangeLength(int n) override;
    void moveToVerse() override;
    void setRangeBegin() override;
    void setRangeEnd() override;
    void wholeSura() override;
    void previousSura() override;
    void nextSura() override;
    void changeVolume(int delta) override;
    void showAbout() override;

private:
    void connectPanel();
    void sliderMoved(int index);
    // The volume slider moved or was clicked.
    void volumeChanged();

    frmMain &m_window;
    MainPanel &m_panel;
    Services m_services;
    RecitationController m_controller;
    QPointer<frmQuickSuraSelect> m_suraDialog;
    QPointer<frmQuickVerseSelect> m_verseDialog;
    bool m_showingRange = false;   // the sliders follow the controller; their events are no drags
    bool m_selectingSura = false;  // the controller selects: no user selection
};

}  // namespace varnelo
