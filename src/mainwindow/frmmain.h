#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "data/suraloader.h"
#include "data/versereference.h"
#include "display/arabicpage.h"
#include "display/clswbproperty.h"
#include "display/startupsettings.h"
#include "display/textcommands.h"
#include "mainwindow/frmtitle.h"
#include "mainwindow/panelstack.h"
#include "recitation/clsfmod.h"

class QLabel;

namespace varnelo {

class AudioOutput;
class CaptionButtons;
class Clipboard;
class ClipboardReferenceHook;
class DocumentOpener;
class KeyPreview;
class MainCommands;
class MainPanel;
class MessageBox;
class QtHtmlView;
class RecitationController;
class SaveFileDialog;
class Scheduler;
class SettingsStore;
class ucSliderTip;

// The program's window: the stack of the main panel, the Arabic page and three translation
// windows, with the state every command works on. Collaborators come in from outside so tests
// can hand in fakes.
class frmMain : public QWidget, private SuraLoadView, private TextCommandsView {
    Q_OBJECT

public:
    struct Services {
        SettingsStore &store;
        AudioOutput &audio;
        MessageBox &messages;
        Clipboard &clipboard;
        // Left out: the desktop's own (Qt's timers, the desktop opener, a file dialog).
        SaveFileDialog *saveDialog = nullptr;
        DocumentOpener *opener = nullptr;
        Scheduler *scheduler = nullptr;
    };

    // executableFolder and systemTemp are where the program and the system's temporary folder are.
    frmMain(Services services, const QString &executableFolder, const QString &systemTemp,
            QWidget *parent = nullptr);
    ~frmMain() override;

    // The command line asked for no Arabic text; start-up applies it at its end.
    void setNoArabicArgument(bool given) { m_noArabicArgument = given; }
    // Shows the About window modally at first start; tests replace it.
    void setAboutShower(std::function<void()> show) { m_showAbout = std::move(show); }
    // What ends the process once shutdown has stored everything.
    void setProcessEnder(std::function<void()> end) { m_endProcess = std::move(end); }

    // Start-up. False when a stored value does not convert: the store is then wiped and
    // failureMessage() says what to show before the program ends.
    bool Form_Load();
    const QString &failureMessage() const { return m_failureMessage; }
    // Shutdown: stops the sound and stores every value the user set, once; then ends the process.
    void Form_Unload();

    void CheckMp3();
    // Shows the current verse on the Arabic page and in the translation windows.
    void SetText() override;
    void ShowArabicPageForVerse(int verseIndex) { m_page->ShowArabicPageForVerse(verseIndex); }
    // Makes first..last (verse numbers) the range and recites it.
    void CallSetTextAndRange(int first, int last);
    void AssignTrans(int window, const QString &name);
    // The page's mouse press: recites the current verse (left) or the next one (right); dropped
    // while no sura is loaded or a load runs.
    void pageMouseDown(int button);
    // Shows or hides text window 1..4 as its check button says.
    void chkVisible_Click(int window);
    // Flips text window 1..4 as a click on its check button does.
    void toggleWindow(int window);
    // Loads the sura list's selection; a failed load is retried when chosen again.
    void loadSelectedSura();
    // The About window, inside the modal bracket.
    void showAboutWindow();
    // The modal bracket: releases always-on-top and hides the title window before a modal window
    // (false), and undoes that after it (true).
    void ShowTitleWindow(bool show) override;
    void SetTopMost(bool onTop);
    // The focus is in one of the translation windows.
    bool focusInTranslationView() const;
    // The word under the page point (page pixels) gets the marker and its meaning.
    void pageMouseMove(int x, int y) { m_page->mouseMove(x, y); }
    // Scroll arrows of the Arabic page: up (true) or down, one step of 200 twips.
    void scrollArrow(bool up) { m_page->scrollArrow(up); }
    // A key as the window's key preview takes it (Qt key code); for windows that pass keys on.
    void Form_KeyDown(int keyCode, Qt::KeyboardModifiers shift);

    // Window layout.
    void SetOrder();
    void SetRightBorder();
    void imgFitScreen_Click();
    void layoutPanelContent(int panel);
    const PanelStack &panelStack() const { return m_stack; }

    const QString &AppFolder() const { return m_appFolder; }
    const QString &TempFolder() const { return m_tempFolder; }
    const QString &Mp3Folder() const { return m_mp3Folder; }
    bool ArabicTextDisabled() const { return m_arabicTextDisabled; }
    bool StartupDone() const { return m_startupDone; }
    bool AlwaysOnTop() const { return m_alwaysOnTop; }
    int CurrentVerse() const;
    int DisplayedVerse() const { return m_page->DisplayedVerse(); }
    int volume() const { return m_volume; }
    void setVolume(int volume) { m_volume = volume; }
    // The equalizer gains and on/off state of the run.
    EqualizerSettings &equalizer() { return m_settings.equalizer; }
    // Top of the Arabic page inside its viewport, in twips (0 or negative).
    int pageTop() const { return m_page->pageTop(); }
    const ArabicPage &arabicPage() const { return *m_page; }
    ArabicPage &arabicPage() { return *m_page; }
    RecitationController &controller();
    MainCommands &commands() { return *m_commands; }
    const MainPanel &mainPanel() const { return *m_main; }
    const SuraLoader &loader() const { return *m_loader; }
    clsFMod &Fmod() { return m_fmod; }
    const clsWBProperty &page(int window) const { return m_pages[window - 2]; }
    frmTitle *titleWindow() const { return m_title; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // SuraLoadView: what loading a sura does to the window.
    int selectedSura() const override;
    void processEvents() override;
    void setRangeSliders(int sura, int lastIndex) override;
    void loadTranslations(int sura, const QString &member) override;
    void hideWordPicture() override { m_page->hideWordPicture(); }
    void setCurrentSlider(int lastIndex) override;
    void showArabicPageForVerse(int verseIndex) override { ShowArabicPageForVerse(verseIndex); }
    bool arabicPanelVisible() const override;
    void showArabicImage(const QString &gifPath) override { m_page->showImage(gifPath); }
    void showArabicNotInstalled() override { m_page->showNotInstalled(); }
    void hideScrollAnimations() override { m_page->hideScrollAnimations(); }
    void setWordHelpVisible(bool visible) override;
    void setCurrentVerse(int verseIndex) override;
    void updateShadeCaption() override {}  // window-shade mode comes with the window commands
    void openMp3(const QString &mp3Path) override;

    // TextCommandsView: what the caption-bar commands do to the window.
    clsWBProperty &translationPage(int window) override { return m_pages[window - 2]; }
    void showTextInfo(const QString &html) override;
    void openWindowMenu(int) override {}  // the window menus come with the menu commands

    void buildMainPanel(const Services &services);
    void buildArabicPanel();
    void connectSuraList();
    void buildTranslationPanel(int window);
    QWidget *makeSkinButton(QWidget *panel, const QString &name, const QString &symbol,
                            std::function<void()> onClick);
    // Start-up steps, in the order Form_Load takes them.
    void bindTranslationWindows(const QString &config);
    void createLoader(const QString &config);
    bool readStoredLayout();
    void placeWindow();
    // The title window, volume, MP3 marks and the clipboard hook.
    void showTitleAndHook();
    void applyPresentation(const StartupSettings &settings);
    // The clipboard's verse reference: selects its sura and recites its verses once loaded.
    void clipboardReference(const VerseReference &reference);
    void applyPendingReference();

    SettingsStore &m_store;
    MessageBox &m_messages;
    Clipboard &m_clipboard;
    clsFMod m_fmod;
    QString m_executableFolder;
    QString m_systemTemp;
    QString m_appFolder;
    QString m_tempFolder;
    QString m_mp3Folder;
    QString m_failureMessage;
    std::function<void()> m_showAbout;
    std::function<void()> m_endProcess;
    std::unique_ptr<SuraLoader> m_loader;
    std::unique_ptr<ClipboardReferenceHook> m_clipboardHook;
    std::array<clsWBProperty, 3> m_pages;
    TextCommands m_textCommands;
    std::array<std::unique_ptr<CaptionButtons>, 3> m_captionButtons;
    PanelStack m_stack;
    StartupSettings m_settings;

    bool m_arabicTextDisabled = false;
    bool m_noArabicArgument = false;
    bool m_startupDone = false;
    bool m_unloaded = false;
    bool m_layoutRestored = false;
    bool m_alwaysOnTop = false;
    // The list's change has just loaded; the activation the list reports next needs no retry.
    bool m_suraJustChanged = false;
    int m_volume = 500;
    // A clipboard reference that arrived while a sura loaded; applied when the load ends.
    std::optional<VerseReference> m_pendingReference;
    QPoint m_dragStart;
    bool m_movingWindow = false;

    std::array<QWidget *, PanelStack::Count> m_panels{};
    std::array<QLabel *, 6> m_captions{};
    ucSliderTip *m_sliderTip = nullptr;
    MainPanel *m_main = nullptr;
    std::unique_ptr<Scheduler> m_ownScheduler;
    std::unique_ptr<SaveFileDialog> m_ownSaveDialog;
    std::unique_ptr<DocumentOpener> m_ownOpener;
    MainCommands *m_commands = nullptr;
    KeyPreview *m_keyPreview = nullptr;
    ArabicPage *m_page = nullptr;
    std::array<QtHtmlView *, 3> m_views{};
    QPointer<frmTitle> m_title;
};

}  // namespace varnelo
