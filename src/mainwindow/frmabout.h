#pragma once

#include <QDialog>
#include <QString>

#include <array>

class QCheckBox;
class QLabel;
class QPushButton;

namespace varnelo {

class DocumentOpener;
class MessageBox;
class QtHtmlView;
class SettingsStore;

// The about window: the product page, keyboard shortcuts and version history from main1.dat on
// three tabs, the start-up option and the site address. Modal; the start-up option is stored
// however the window closes.
class frmAbout : public QDialog {
    Q_OBJECT

public:
    // appFolder and tempFolder are AppFolder and TempFolder; opener opens the text file and
    // addresses the window links to, messages reports one that could not be opened.
    frmAbout(SettingsStore &store, const QString &appFolder, const QString &tempFolder,
             DocumentOpener &opener, MessageBox &messages, QWidget *parent = nullptr);

    // Shows the page of tab index (0 product, 1 keyboard, 2 version history); any other index
    // leaves the view empty.
    void SetWB(int index);
    // Opens address in the user's browser; a failure is reported in a message box.
    void Link2Net(const QString &address);

    // The address Label1 opens.
    const QString &SiteLink() const { return m_siteLink; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void selectTab(int index);
    void followLink(const QString &address);
    void reportUnopened(bool opened, const QString &target);
    void storeStartupOption();

    SettingsStore &m_store;
    QString m_appFolder;
    DocumentOpener &m_opener;
    MessageBox &m_messages;
    std::array<QString, 3> m_pages;
    QString m_siteLink;
    std::array<QPushButton *, 3> m_lblTab{};
    QtHtmlView *m_webBrowser1;
    QCheckBox *m_chkStartup;
    QPushButton *m_cmdClose;
    QLabel *m_label1;
};

}  // namespace varnelo
