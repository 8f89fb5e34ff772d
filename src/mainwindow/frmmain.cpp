#include "mainwindow/frmmain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

#include <variant>

#include "controls/cbutton.h"
#include "controls/ucslider.h"
#include "controls/ucslidertip.h"
#include "controls/usercontrol1.h"
#include "data/clipboardreferencehook.h"
#include "data/configchoices.h"
#include "data/suracatalogue.h"
#include "data/translations.h"
#include "display/pageclick.h"
#include "display/qthtmlview.h"
#include "display/settingskeys.h"
#include "display/shutdownvalues.h"
#include "mainwindow/captionbuttons.h"
#include "mainwindow/frmtextinfo.h"
#include "mainwindow/frmtitle.h"
#include "mainwindow/keypreview.h"
#include "mainwindow/maincommands.h"
#include "mainwindow/mainpanel.h"
#include "mainwindow/skin.h"
#include "platform/documentopener.h"
#include "platform/folders.h"
#include "platform/messagebox.h"
#include "platform/qtscheduler.h"
#include "platform/settingsfile.h"
#include "platform/settingsstore.h"
#include "platform/storedtext.h"
#include "platform/widgetdialogs.h"
#include "recitation/recitationcontroller.h"

namespace varnelo {

namespace {

constexpr int Twips = PanelStack::TwipsPerPixel;
static_assert(Twips == ArabicPage::TwipsPerPixel);
using skin::PanelColour;
const QString MainCaption = QStringLiteral("V a r n e l o  4.0  B e t a  3");
constexpr int CaptionHeight = ArabicPage::CaptionHeight;
constexpr int PageLeft = ArabicPage::PageLeft;
constexpr int ViewportMargin = ArabicPage::ViewportMargin;

const std::array<const char *, 3> ViewNames = {"wbTamsen", "wbDabrel", "wbVerrin"};
const std::array<const char *, 4> PanelSections = {"Arabic", "T", "D", "W"};

// The skin of a panel: the dark frame colour with a light inner edge.
class SkinPanel : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter p(this);
        p.fillRect(rect(), PanelColour);
        p.setPen(QColor(110, 100, 110));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
};

}  // namespace

frmMain::frmMain(Services services, const QString &executableFolder, const QString &systemTemp,
                 QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      m_store(services.store),
      m_messages(services.messages),
      m_clipboard(services.clipboard),
      m_fmod(services.audio, [this](const QString &title,
                                    const QString &text) { m_messages.information(title, text); }),
      m_executableFolder(executableFolder),
      m_systemTemp(systemTemp),
      m_textCommands(*this, services.clipboard) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Varnelo 4.0  Beta 1"));
    setMouseTracking(true);
    m_sliderTip = new ucSliderTip(this);
    m_stack.heights[0] = MainPanel::kHeight;
    for (int i = 0; i < PanelStack::Count; ++i) {
        m_panels[i] = new SkinPanel(this);
        m_panels[i]->setObjectName(QStringLiteral("Picture1_%1").arg(i));
        m_panels[i]->installEventFilter(this);
    }
    buildMainPanel(services);
    buildArabicPanel();
    for (int w = 2; w <= 4; ++w)
        buildTranslationPanel(w);
    connectSuraList();
    m_keyPreview = new KeyPreview(*this, *m_commands, *m_main->cmbSura,
                                  {m_main->optVerseAdvance[0], m_main->optVerseAdvance[1]});
    m_showAbout = [] {};
    m_endProcess = [] {};
}

frmMain::~frmMain() {
    m_clipboardHook.reset();
    // The commands work on the engine and scheduler, which go before the child widgets do.
    delete m_keyPreview;
    delete m_commands;
    delete m_title;
}

QWidget *frmMain::makeSkinButton(QWidget *panel, const QString &name, const QString &symbol,
                                 std::function<void()> onClick) {
    auto *button = new QPushButton(symbol, panel);
    button->setObjectName(name);
    button->setFlat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(16, 14);
    button->setStyleSheet(QStringLiteral("color: white; border: none; font-weight: bold;"));
    connect(button, &QPushButton::clicked, this, std::move(onClick));
    return button;
}

void frmMain::buildMainPanel(const Services &services) {
    QWidget *panel = m_panels[0];
    m_main = new MainPanel(panel, m_sliderTip);
    m_captions[0] = m_main->caption;
    m_captions[0]->setText(MainCaption);
    m_captions[0]->installEventFilter(this);

    makeSkinButton(panel, QStringLiteral("imgFitScreen"), QStringLiteral("#"),
                   [this] { imgFitScreen_Click(); });
    makeSkinButton(panel, QStringLiteral("imgMin_0"), QStringLiteral("_"), [this] {
        if (m_title)
            m_title->showMinimized();
        hide();
    });
    makeSkinButton(panel, QStringLiteral("imgClose_0"), QStringLiteral("x"), [this] { close(); });

    for (int i = 1; i <= 4; ++i)
        connect(m_main->chkVisible[i], &cButton::Click, this, [this, i] { chkVisible_Click(i); });

    Scheduler *scheduler = services.scheduler;
    if (!scheduler)
        scheduler = (m_ownScheduler = std::make_unique<QtScheduler>()).get();
    SaveFileDialog *saveDialog = services.saveDialog;
    if (!saveDialog)
        saveDialog = (m_ownSaveDialog = std::make_unique<WidgetDialogs>(this)).get();
    DocumentOpener *opener = services.opener;
    if (!opener)
        opener = (m_ownOpener = std::make_unique<DesktopOpener>()).get();
    m_commands = new MainCommands(*this, *m_main,
                                  {m_store, m_messages, *saveDialog, *opener, *scheduler}, {});
}

void frmMain::chkVisible_Click(int i) {
    const bool checked = m_main->chkVisible[i]->checked();
    if (checked)
        m_stack.show(i);
    else
        m_stack.hide(i);
    if (i == 1 && m_loader)
        m_page->forgetTextPart();  // reload on showing again
    SetOrder();
    if (!checked)
        imgFitScreen_Click();  // the others share the room the hidden window leaves
    if (i == 1 && checked && m_loader && m_loader->loadedSura()) {
        if (m_loader->textParts().HasTextParts())
            ShowArabicPageForVerse(CurrentVerse());
        else
            m_loader->LoadGifFile(QString());
        SetText();
    }
}

void frmMain::toggleWindow(int window) {
    cButton *check = m_main->chkVisible[window];
    check->setChecked(!check->checked());
    chkVisible_Click(window);
}

void frmMain::showAboutWindow() {
    ShowTitleWindow(false);
    m_showAbout();
    ShowTitleWindow(true);
}

RecitationController &frmMain::controller() {
    return m_commands->controller();
}

int frmMain::CurrentVerse() const {
    return m_commands->controller().CurrentVerse();
}

bool frmMain::focusInTranslationView() const {
    const QWidget *focus = QApplication::focusWidget();
    for (const QtHtmlView *view : m_views) {
        if (focus && (focus == view || view->isAncestorOf(focus)))
            return true;
    }
    return false;
}

void frmMain::buildArabicPanel() {
    QWidget *panel = m_panels[1];
    m_captions[1] = new QLabel(QStringLiteral("Arabic Text"), panel);
    m_captions[1]->setObjectName(QStringLiteral("Label1_1"));
    m_captions[1]->setStyleSheet(QStringLiteral("color: rgb(227, 238, 227);"));
    m_captions[1]->move(8, 1);
    m_captions[1]->installEventFilter(this);
    m_captions[5] = new QLabel(QStringLiteral("Point at a word to see its meaning"), panel);
    m_captions[5]->setObjectName(QStringLiteral("Label1_5"));
    m_captions[5]->setStyleSheet(QStringLiteral("color: rgb(200, 190, 200);"));
    m_captions[5]->move(120, 1);
    m_captions[5]->hide();
    makeSkinButton(panel, QStringLiteral("imgMax_1"), QStringLiteral("^"), [this] {
        m_stack.moveUp(1);
        SetOrder();
    });
    makeSkinButton(panel, QStringLiteral("imgMin_1"), QStringLiteral("v"), [this] {
        m_stack.moveDown(1);
        SetOrder();
    });
    makeSkinButton(panel, QStringLiteral("imgClose_1"), QStringLiteral("x"),
                   [this] { toggleWindow(1); });

    m_page = new ArabicPage(panel, m_messages,
                            {[this] { return selectedSura(); }, [this] { return CurrentVerse(); }});
    // Keys reach the window first, so the page's own key presses are not passed on.
    connect(m_page, &ArabicPage::mouseDown, this, [this](int button) { pageMouseDown(button); });
}

void frmMain::connectSuraList() {
    QComboBox *list = m_main->cmbSura;
    connect(list, &QComboBox::currentIndexChanged, m_commands, &MainCommands::suraSelectionChanged);
    // Choosing the same entry again changes nothing in the list: it retries a failed load.
    connect(list, &QComboBox::activated, this, [this, list](int index) {
        if (std::exchange(m_suraJustChanged, false) || !m_loader || m_loader->LoadingSura() ||
            m_loader->loadedSura() != 0 || index != list->currentIndex())
            return;
        m_loader->selectionChanged();
        applyPendingReference();
    });
}

void frmMain::loadSelectedSura() {
    if (!m_loader)
        return;
    m_loader->selectionChanged();
    applyPendingReference();
    // The list reports the user's activation right after the change; until the next turn of the
    // event loop, that activation has had its load.
    m_suraJustChanged = true;
    QMetaObject::invokeMethod(
        this, [this] { m_suraJustChanged = false; }, Qt::QueuedConnection);
}

void frmMain::buildTranslationPanel(int window) {
    QWidget *panel = m_panels[window];
    m_captions[window] = new QLabel(panel);
    m_captions[window]->setObjectName(QStringLiteral("Label1_%1").arg(window));
    m_captions[window]->setStyleSheet(QStringLiteral("color: rgb(227, 238, 227);"));
    m_captions[window]->move(8, 1);
    m_captions[window]->installEventFilter(this);
    makeSkinButton(panel, QStringLiteral("imgMax_%1").arg(window), QStringLiteral("^"),
                   [this, window] {
                       m_stack.moveUp(window);
                       SetOrder();
                   });
    makeSkinButton(panel, QStringLiteral("imgMin_%1").arg(window), QStringLiteral("v"),
                   [this, window] {
                       m_stack.moveDown(window);
                       SetOrder();
                   });
    makeSkinButton(panel, QStringLiteral("imgClose_%1").arg(window), QStringLiteral("x"),
                   [this, window] { toggleWindow(window); });

    m_captionButtons[window - 2] = std::make_unique<CaptionButtons>(panel, window, m_textCommands);

    auto *view = new QtHtmlView(panel);
    view->setObjectName(QLatin1String(ViewNames[window - 2]));
    m_views[window - 2] = view;
    routePageClicks(*view, [this](int button) { pageMouseDown(button); });
}

// ---- Start-up and shutdown -------------------------------------------------------------------

bool frmMain::Form_Load() {
    m_appFolder = SetAppFolder(m_executableFolder);
    CheckSettingsVersion(m_store);
    m_tempFolder = SetTempFolder(m_systemTemp, m_appFolder);

    // Every stored value is read and converted first: one that does not convert ends start-up
    // before anything has changed.
    const auto read = ReadStartupSettings(m_store);
    if (const auto *error = std::get_if<SettingsError>(&read)) {
        m_failureMessage = StartupFailure(m_store, error->description());
        return false;
    }
    m_settings = std::get<StartupSettings>(read);

    const QString config = m_appFolder + QStringLiteral("/config.ini");
    bindTranslationWindows(config);
    QCoreApplication::processEvents();
    createLoader(config);
    controller().setOptions(m_settings.rangeMode);

    m_alwaysOnTop = m_settings.AlwaysOnTop;
    SetTopMost(m_alwaysOnTop);
    m_page->loadArrowAnimations(m_appFolder);
    applyPresentation(m_settings);

    if (!readStoredLayout()) {
        m_failureMessage = StartupFailure(m_store, m_failureMessage);
        return false;
    }
    placeWindow();
    showTitleAndHook();
    show();

    m_commands->EnableEqualiser(m_settings.equalizer.EqEnabled);
    if (m_settings.showAbout)
        showAboutWindow();
    if (m_unloaded)
        return true;  // the session ended while the About window was up
    m_arabicTextDisabled = m_noArabicArgument;
    m_loader->setArabicTextDisabled(m_arabicTextDisabled);
    m_startupDone = true;
    m_clipboardHook->setStartupDone(true);
    return true;
}

void frmMain::bindTranslationWindows(const QString &config) {
    for (QtHtmlView *view : m_views)
        view->navigateToBlank();
    for (int i = 0; i < 3; ++i) {
        m_pages[i].Browser = m_views[i];
        bindTranslationLoaders(m_pages[i], m_appFolder, m_tempFolder);
    }
    const std::array<QString, 3> names =
        StoredTranslations(m_store, ChooseTranslations(config, m_appFolder));
    for (int w = 2; w <= 4; ++w)
        AssignTrans(w, names[w - 2]);
}

void frmMain::createLoader(const QString &config) {
    m_mp3Folder = ChooseMp3Folder(config, m_appFolder, m_store);
    SuraLoadView &view = *this;
    m_loader = std::make_unique<SuraLoader>(
        view, m_messages, SuraLoader::Folders{m_appFolder, m_tempFolder, m_mp3Folder}, false);
    m_page->setLoader(m_loader.get());
}

void frmMain::placeWindow() {
    // Position after the size is known, so a first start can centre the window.
    if (m_settings.top) {
        move(m_settings.left / Twips, *m_settings.top / Twips);
    } else if (const QScreen *screen = this->screen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
}

void frmMain::showTitleAndHook() {
    m_fmod.bindEqualizerGains(&m_settings.equalizer.EqualizerGains);
    if (!m_title)
        m_title = new frmTitle(*this);
    m_title->show();
    m_volume = m_settings.volume;
    m_commands->applyVolume();
    CheckMp3();
    m_clipboardHook = std::make_unique<ClipboardReferenceHook>(
        m_clipboard, m_main->cmbSura->count(),
        [this](const VerseReference &reference) { clipboardReference(reference); });
}

void frmMain::applyPresentation(const StartupSettings &settings) {
    // Sections D, W, T in that order; each colour assignment rewrites the page.
    for (const int i : {1, 2, 0}) {
        const WindowPresentation &p = settings.translations[i];
        m_pages[i].setBackColour(qint32(p.back));
        m_pages[i].FontSize = p.size;
        m_pages[i].setForeColour(qint32(p.font));
    }
    m_page->setColours(settings.arabic.back, settings.arabic.font);
}

bool frmMain::readStoredLayout() {
    ConvertingReader reader(m_store);
    if (reader.text(keys::Arabic, keys::PanelTag, QStringLiteral("NO")) != QLatin1String("NO")) {
        std::array<QString, PanelStack::Count> tags = m_stack.tags;
        for (int i = 1; i < PanelStack::Count; ++i)
            tags[i] = reader.text(QLatin1String(PanelSections[i - 1]), keys::PanelTag, QString());
        // Tags that do not make a stack (edited or half-written) give the default stack.
        if (PanelStack::validTags(tags))
            m_stack.tags = tags;
    }

    if (m_settings.firstTime) {
        imgFitScreen_Click();  // lays the stack out too
        m_store.save(keys::Main, QStringLiteral("FirstTime"), QStringLiteral("0"));
        m_layoutRestored = true;
        return true;
    }
    const QRect area = screen() ? screen()->availableGeometry() : QRect(0, 0, 1024, 768);
    for (int i = 1; i < PanelStack::Count; ++i) {
        const int stored = reader.value(QLatin1String(PanelSections[i - 1]), keys::PanelHeight,
                                        QString::number(m_stack.heights[i]), toInteger, 0);
        m_stack.heights[i] = std::clamp(stored, PanelStack::MinimumHeight[i], area.height());
    }
    const int panelWidth =
        reader.value(keys::Main, keys::Width, QString::number(m_stack.width), toInteger, 0);
    // The window's width follows its panels; a bad stored value still ends start-up.
    reader.value(keys::Me, keys::Width, QString::number(m_stack.width), toInteger, 0);
    m_stack.width = std::clamp(panelWidth, 548, std::max(548, area.width()));
    SetRightBorder();
    if (reader.error()) {
        m_failureMessage = reader.error()->description();
        return false;
    }
    SetOrder();
    m_layoutRestored = true;
    return true;
}

void frmMain::closeEvent(QCloseEvent *event) {
    Form_Unload();
    event->accept();
}

void frmMain::Form_Unload() {
    if (m_unloaded)
        return;
    m_unloaded = true;
    m_fmod.CloseAll();
    // Ended before start-up had shown the stored values: storing now would overwrite them.
    if (!m_layoutRestored) {
        m_endProcess();
        return;
    }

    ShutdownValues values;
    values.arabic.back = quint32(m_page->backColour());
    values.arabic.font = quint32(m_page->foreColour());
    for (int i = 0; i < 3; ++i) {
        values.translations[i].back = quint32(m_pages[i].BackColour());
        values.translations[i].font = quint32(m_pages[i].ForeColour());
        values.translations[i].size = m_pages[i].FontSize;
    }
    values.left = x() * Twips;
    values.top = y() * Twips;
    values.volume = m_volume;
    for (int i = 1; i < PanelStack::Count; ++i) {
        values.panelTags[i - 1] = m_stack.tags[i];
        values.panelHeights[i - 1] = m_stack.heights[i];
    }
    values.mainWidth = m_stack.width;
    values.windowWidth = width() * Twips;
    const VerseRange &range = controller().range();
    values.sura = m_main->cmbSura->currentIndex();
    values.rangeBegin = range.RB;
    values.rangeEnd = range.RE;
    values.currentPosition = range.CV;
    values.currentVerse = CurrentVerse();
    StoreShutdownValues(m_store, values);

    // The hook may be running the reference whose load brought this close: it stops here and
    // goes with the window.
    m_clipboardHook->stop();
    if (m_title)
        m_title->hide();
    m_endProcess();
}

void frmMain::ShowTitleWindow(bool show) {
    if (show) {
        if (m_title)
            m_title->show();
        SetTopMost(m_alwaysOnTop);
    } else {
        SetTopMost(false);
        if (m_title)
            m_title->hide();
    }
}

void frmMain::SetTopMost(bool onTop) {
    if (testAttribute(Qt::WA_WState_Created) &&
        windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop)
        return;
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (visible)
        show();  // changing a window flag hides the window
}

void frmMain::CheckMp3() {
    QComboBox *list = m_main->cmbSura;
    for (int i = 0; i < list->count(); ++i)
        list->setItemText(
            i, varnelo::CheckMp3(list->itemText(i), list->itemData(i).toInt(), m_mp3Folder));
}

void frmMain::AssignTrans(int window, const QString &name) {
    clsWBProperty &page = m_pages[window - 2];
    page.setTransName(name);
    m_main->chkVisible[window]->setCaption(page.ButtonCaption);
    m_captions[window]->setText(page.WindowCaption);
    m_captions[window]->adjustSize();
    m_captionButtons[window - 2]->layout(*m_captions[window]);
}

void frmMain::showTextInfo(const QString &html) {
    frmTextInfo info(this);
    info.ShowHTML(html);
    info.exec();
}

// ---- Layout ----------------------------------------------------------------------------------

void frmMain::SetOrder() {
    for (;;) {
        int stackHeight = 0;
        const std::array<int, PanelStack::Count> tops = m_stack.tops(&stackHeight);
        for (int i = 0; i < PanelStack::Count; ++i) {
            m_panels[i]->setVisible(m_stack.isShown(i));
            m_panels[i]->setGeometry(0, tops[i], m_stack.width, m_stack.heights[i]);
            if (i > 0)
                m_main->chkVisible[i]->setChecked(m_stack.isShown(i));
        }
        resize(m_stack.width, stackHeight);
        const QRect area = screen() ? screen()->availableGeometry() : QRect(0, 0, 1024, 768);
        // Shrink the tallest panel until the stack fits the work area.
        if (!m_stack.fitHeight(area.y() + area.height()))
            break;
        for (int i = 0; i < PanelStack::Count; ++i)
            layoutPanelContent(i);
    }
    for (int i = 0; i < PanelStack::Count; ++i)
        layoutPanelContent(i);
}

void frmMain::imgFitScreen_Click() {
    const QRect area = screen() ? screen()->availableGeometry() : QRect(0, 0, 1024, 768);
    move(area.topLeft());
    m_stack.width = std::max(548, area.width());
    SetRightBorder();
    m_stack.shareHeight(area.height() - m_stack.heights[0]);
    SetOrder();
}

void frmMain::SetRightBorder() {
    const int w = m_stack.width;
    for (int i = 0; i < PanelStack::Count; ++i) {
        int right = w - 4;
        for (const char *name : {"imgClose", "imgMin", "imgMax"}) {
            auto *button = m_panels[i]->findChild<QWidget *>(
                QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i),
                Qt::FindDirectChildrenOnly);
            if (button) {
                right -= button->width();
                button->move(right, 1);
            }
        }
        if (i == 0) {
            auto *fit = m_panels[0]->findChild<QWidget *>(QStringLiteral("imgFitScreen"),
                                                          Qt::FindDirectChildrenOnly);
            right -= fit->width();
            fit->move(right, 1);
        }
    }
    m_main->layout(w);
    for (int i = 0; i < PanelStack::Count; ++i)
        layoutPanelContent(i);
}

void frmMain::layoutPanelContent(int panel) {
    const int w = m_stack.width;
    const int h = m_stack.heights[panel];
    if (panel == 1) {
        m_page->layout(w, h);
    } else if (panel >= 2) {
        m_views[panel - 2]->setGeometry(PageLeft, CaptionHeight, w - 2 * PageLeft,
                                        std::max(0, h - CaptionHeight - ViewportMargin));
    }
}

// ---- Mouse and keys --------------------------------------------------------------------------

bool frmMain::eventFilter(QObject *watched, QEvent *event) {
    const bool isCaption =
        std::find(m_captions.begin(), m_captions.end(), watched) != m_captions.end() ||
        std::find(m_panels.begin(), m_panels.end(), watched) != m_panels.end();
    if (event->type() == QEvent::MouseButtonPress) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (isCaption && mouse->button() == Qt::LeftButton) {
            m_movingWindow = true;
            m_dragStart = mouse->globalPosition().toPoint() - pos();
            return true;
        }
    } else if (event->type() == QEvent::MouseMove && m_movingWindow && isCaption) {
        move(static_cast<QMouseEvent *>(event)->globalPosition().toPoint() - m_dragStart);
        return true;
    } else if (event->type() == QEvent::MouseButtonRelease && isCaption) {
        m_movingWindow = false;
    }
    return QWidget::eventFilter(watched, event);
}

void frmMain::mouseReleaseEvent(QMouseEvent *event) {
    m_movingWindow = false;
    QWidget::mouseReleaseEvent(event);
}

void frmMain::Form_KeyDown(int keyCode, Qt::KeyboardModifiers shift) {
    m_keyPreview->dispatch(keyCode, shift);
}

// ---- Sura loading ----------------------------------------------------------------------------

int frmMain::selectedSura() const {
    return m_commands->selectedSura();
}

void frmMain::processEvents() {
    QCoreApplication::processEvents();
}

void frmMain::setRangeSliders(int sura, int lastIndex) {
    for (ucSlider *slider : m_main->sliders)
        slider->model().setSura(quint8(sura));
    controller().resetRange(lastIndex);
}

void frmMain::loadTranslations(int sura, const QString &member) {
    std::array<OpeningFormulas, 3> formulas;
    for (int i = 0; i < 3; ++i)
        formulas[i] = {m_pages[i].BismiText, m_pages[i].Bismi1Text};
    for (int w = 2; w <= 4; ++w) {
        const clsWBProperty &page = m_pages[w - 2];
        // A missing translation leaves its texts empty; the window says nothing of it.
        LoadTranslation(m_appFolder, m_tempFolder, page.TransName(), w, member, page.IsUnicode,
                        sura, formulas, m_loader->verseTimes());
    }
}

void frmMain::setCurrentSlider(int lastIndex) {
    // The controller set all three sliders with the range; the counter shows the verses.
    m_main->verseCounter->setVerses(qint16(lastIndex));
    m_page->forgetTextPart();
}

void frmMain::setCurrentVerse(int verseIndex) {
    controller().setCurrentVerse(verseIndex);
}

bool frmMain::arabicPanelVisible() const {
    return m_stack.isShown(1);
}

void frmMain::setWordHelpVisible(bool visible) {
    m_captions[5]->setVisible(visible);
}

void frmMain::openMp3(const QString &mp3Path) {
    m_fmod.CloseAll();
    m_fmod.OpenMP3File(mp3Path);
}

// ---- The current verse -----------------------------------------------------------------------

void frmMain::SetText() {
    m_page->SetText();
    const QList<VerseTime> &times = m_loader->verseTimes();
    const int verse = CurrentVerse();
    const bool inSura = verse >= 0 && verse < times.size();
    for (const int w : {2, 4, 3})
        m_pages[w - 2].setDisplayText(inSura ? times[verse].text(w) : QString());

    m_main->sliders[2]->setToolTip(QString::number(m_page->DisplayedVerse()));
}

void frmMain::pageMouseDown(int button) {
    controller().pageMouseDown(button);
}

void frmMain::clipboardReference(const VerseReference &reference) {
    if (m_unloaded)
        return;
    // The verses belong to the sura the reference names: they wait for its load, and a newer
    // reference replaces one still waiting.
    m_pendingReference = reference;
    m_main->cmbSura->setCurrentIndex(reference.listPosition);
    applyPendingReference();
}

void frmMain::applyPendingReference() {
    if (!m_pendingReference || !m_loader || m_loader->LoadingSura())
        return;
    const VerseReference reference = *std::exchange(m_pendingReference, std::nullopt);
    if (!m_unloaded && m_loader->loadedSura() == reference.listPosition + 1)
        CallSetTextAndRange(reference.firstVerse, reference.lastVerse);
}

void frmMain::CallSetTextAndRange(int first, int last) {
    controller().CallSetTextAndRange(first, last);
}

}  // namespace varnelo
