#include "mainwindow/frmabout.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "display/qthtmlview.h"
#include "mainwindow/aboutmodel.h"
#include "platform/documentopener.h"
#include "platform/messagebox.h"
#include "platform/settingsfile.h"

namespace varnelo {

namespace {

const std::array<const char *, 3> TabCaptions = {"&Varnelo", "&Keyboard Shortcuts",
                                                 "Version &History"};

void setTextColour(QPushButton *button, const QColor &colour) {
    QPalette palette = button->palette();
    palette.setColor(QPalette::ButtonText, colour);
    button->setPalette(palette);
}

}  // namespace

frmAbout::frmAbout(SettingsStore &store, const QString &appFolder, const QString &tempFolder,
                   DocumentOpener &opener, MessageBox &messages, QWidget *parent)
    : QDialog(parent),
      m_store(store),
      m_appFolder(appFolder),
      m_opener(opener),
      m_messages(messages),
      m_siteLink(QLatin1String(SupportAddress)),
      m_webBrowser1(new QtHtmlView(this)),
      m_chkStartup(new QCheckBox(tr("&Don't show this screen on startup"), this)),
      m_cmdClose(new QPushButton(tr("&Close"), this)),
      m_label1(new QLabel(this)) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(tr("About Varnelo"));
    setModal(true);

    auto *tabs = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        auto *tab = new QPushButton(tr(TabCaptions[size_t(i)]), this);
        tab->setObjectName(QStringLiteral("lblTab(%1)").arg(i));
        tab->setFlat(true);
        tab->setAutoDefault(false);
        connect(tab, &QPushButton::pressed, this, [tab] { setTextColour(tab, QColor(0, 0, 255)); });
        connect(tab, &QPushButton::released, this, [tab] { setTextColour(tab, Qt::black); });
        connect(tab, &QPushButton::clicked, this, [this, i] { selectTab(i); });
        m_lblTab[size_t(i)] = tab;
        tabs->addWidget(tab);
    }
    tabs->addStretch();

    m_webBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    m_webBrowser1->setMinimumSize(480, 320);
    m_webBrowser1->navigateToBlank();
    m_webBrowser1->setBeforeNavigate([this](const QString &address, bool &cancel) {
        // The view never leaves the page; a link the window follows opens elsewhere.
        cancel = true;
        followLink(address);
    });

    m_chkStartup->setObjectName(QStringLiteral("chkStartup"));
    m_chkStartup->setChecked(DontShowAtStartup(m_store));
    m_cmdClose->setObjectName(QStringLiteral("cmdClose"));
    m_cmdClose->setAutoDefault(false);
    connect(m_cmdClose, &QPushButton::clicked, this, &QDialog::accept);
    // The option outlives the window whichever way it closes.
    connect(this, &QDialog::finished, this, &frmAbout::storeStartupOption);

    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setTextFormat(Qt::RichText);
    m_label1->setText(
        QStringLiteral("<a href=\"%1\">%2</a>")
            .arg(m_siteLink.toHtmlEscaped(), QString::fromLatin1(SupportAddress).toHtmlEscaped()));
    m_label1->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(m_label1, &QLabel::linkActivated, this, [this] { Link2Net(m_siteLink); });

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_chkStartup);
    bottom->addStretch();
    bottom->addWidget(m_label1);
    bottom->addWidget(m_cmdClose);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(tabs);
    layout->addWidget(m_webBrowser1, 1);
    layout->addLayout(bottom);

    m_pages = ReadAboutPages(appFolder, tempFolder);
    selectTab(0);
}

void frmAbout::SetWB(int index) {
    m_webBrowser1->clear();
    if (index >= 0 && index < int(m_pages.size()))
        m_webBrowser1->writeDocument(m_pages[size_t(index)]);
}

void frmAbout::Link2Net(const QString &address) {
    reportUnopened(m_opener.openAddress(address), address);
}

void frmAbout::keyPressEvent(QKeyEvent *event) {
    // Enter moves on to the next control rather than closing the window.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        focusNextChild();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmAbout::selectTab(int index) {
    for (size_t i = 0; i < m_lblTab.size(); ++i) {
        QFont font = m_lblTab[i]->font();
        font.setBold(int(i) == index);
        m_lblTab[i]->setFont(font);
    }
    m_webBrowser1->setVisible(true);
    SetWB(index);
}

void frmAbout::followLink(const QString &address) {
    const AboutLinkAction action = AboutLinkRule(address, m_appFolder);
    switch (action.kind) {
        case AboutLinkAction::Kind::OpenFile:
            reportUnopened(m_opener.openFile(action.target), action.target);
            break;
        case AboutLinkAction::Kind::OpenAddress:
            Link2Net(action.target);
            break;
        case AboutLinkAction::Kind::None:
            break;
    }
}

void frmAbout::reportUnopened(bool opened, const QString &target) {
    if (!opened)
        m_messages.information(windowTitle(), tr("Could not open %1.").arg(target));
}

void frmAbout::storeStartupOption() {
    SaveDontShowAtStartup(m_store, m_chkStartup->isChecked());
}

}  // namespace varnelo
