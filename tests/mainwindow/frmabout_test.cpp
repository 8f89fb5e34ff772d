#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "data/archivewriter.h"
#include "display/qthtmlview.h"
#include "mainwindow/aboutmodel.h"
#include "platform/documentopener.h"
#include "mainwindow/frmabout.h"
#include "platform/memorysettingsstore.h"
#include "platform/messagebox.h"
#include "platform/settingsfile.h"

using namespace varnelo;

namespace {

class RecordingOpener : public DocumentOpener {
public:
    bool openFile(const QString &path) override {
        files << path;
        return succeed;
    }
    bool openAddress(const QString &address) override {
        addresses << address;
        return succeed;
    }

    QStringList files;
    QStringList addresses;
    bool succeed = true;
};

class RecordingMessages : public MessageBox {
public:
    void information(const QString &, const QString &text) override { shown << text; }
    bool question(const QString &, const QString &) override { return false; }
    QString inputBox(const QString &, const QString &) override { return {}; }

    QStringList shown;
};

QByteArray page(const char *body) {
    return QByteArray("<html><body><p>") + body + "</p></body></html>";
}

// A program folder with data/main1.dat holding the given members and an empty temp folder.
class AboutTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir(m_dir.path()).mkpath("data"));
        ASSERT_TRUE(QDir(m_dir.path()).mkpath("temp"));
    }

    void writeArchive(const QList<std::pair<QString, QByteArray>> &members) {
        ArchiveWriter writer;
        for (const auto &[name, bytes] : members)
            writer.addMember(name, bytes, ArchiveWriter::Packing::Encode);
        ASSERT_EQ(writer.writeTo(appFolder() + "/data/main1.dat"), std::nullopt);
    }
    void writeAllPages() {
        writeArchive({{"about.htm", page("Product page")},
                      {"keyboard.htm", page("Shortcut list")},
                      {"version.htm", page("History of versions")}});
    }

    QString appFolder() const { return m_dir.path(); }
    QString tempFolder() const { return m_dir.path() + "/temp/"; }
    QString shownText(frmAbout &window) const {
        return window.findChild<QtHtmlView *>("WebBrowser1")->plainText();
    }

    QTemporaryDir m_dir;
    MemorySettingsStore m_store;
    RecordingOpener m_opener;
    RecordingMessages m_messages;
};

}  // namespace

TEST_F(AboutTest, PagesComeFromTheArchiveAndLeaveNoTemporaryFiles) {
    // The product page names its charset; the others fall back to UTF-8.
    writeArchive({{"about.htm",
                   "<html><head><meta charset=\"windows-1252\"></head><body>Caf\xe9"
                   "</body></html>"},
                  {"keyboard.htm", page("Key \xe2\x86\x92 action")},
                  {"version.htm", page("")}});
    const auto pages = ReadAboutPages(appFolder(), tempFolder());
    EXPECT_TRUE(pages[0].contains(QString::fromUtf8("Caf\xc3\xa9")));
    EXPECT_TRUE(pages[1].contains(QString::fromUtf8("Key \xe2\x86\x92 action")));
    EXPECT_EQ(pages[2], QString::fromLatin1(page("")));
    EXPECT_TRUE(QDir(tempFolder()).isEmpty());
}

TEST_F(AboutTest, MissingArchiveOrMemberGivesAPageSayingSo) {
    auto pages = ReadAboutPages(appFolder(), tempFolder());
    for (size_t i = 0; i < pages.size(); ++i) {
        EXPECT_TRUE(
            pages[i].contains(QString("This page (%1) could not be read").arg(AboutPageMembers[i])))
            << pages[i].toStdString();
        EXPECT_TRUE(pages[i].contains("main1.dat"));
    }

    writeArchive({{"about.htm", page("Product page")}, {"version.htm", page("History")}});
    pages = ReadAboutPages(appFolder(), tempFolder());
    EXPECT_EQ(pages[0], QString::fromLatin1(page("Product page")));
    EXPECT_TRUE(pages[1].contains("This page (keyboard.htm) could not be read"));
    EXPECT_TRUE(pages[1].contains("has no such page"));
    EXPECT_EQ(pages[2], QString::fromLatin1(page("History")));

    // The window opens all the same and says what is missing.
    frmAbout window(m_store, appFolder(), tempFolder(), m_opener, m_messages);
    window.findChild<QPushButton *>("lblTab(1)")->click();
    EXPECT_TRUE(shownText(window).contains("This page (keyboard.htm) could not be read"));
    EXPECT_EQ(FileOpen(tempFolder() + "absent.htm"), "");
}

TEST(AboutRules, StartupOptionMatchesWhatStartUpDoes) {
    MemorySettingsStore store;
    EXPECT_FALSE(DontShowAtStartup(store));
    // Start-up shows the window only for "1", so anything else reads as checked.
    for (const auto &[stored, dontShow] :
         {std::pair{"1", false}, {"0", true}, {"True", true}, {"rubbish", true}}) {
        store.save("About", "Show3", stored);
        EXPECT_EQ(DontShowAtStartup(store), dontShow) << stored;
    }
    SaveDontShowAtStartup(store, true);
    EXPECT_EQ(store.get("About", "Show3", ""), "0");
    SaveDontShowAtStartup(store, false);
    EXPECT_EQ(store.get("About", "Show3", ""), "1");
}

TEST(AboutRules, LinkRule) {
    using Kind = AboutLinkAction::Kind;
    const QString app = "/opt/varnelo";
    for (const char *address : {"about:blank#DivovoVU", "file:///x/y.htm#DivovoVU", "#DivovoVU",
                                "https://example.com/#DivovoVU"}) {
        const AboutLinkAction action = AboutLinkRule(address, app);
        EXPECT_EQ(action.kind, Kind::OpenFile) << address;
        EXPECT_EQ(action.target, "/opt/varnelo/divovovu.txt");
    }
    EXPECT_EQ(AboutLinkRule("https://github.com/x", app).kind, Kind::OpenAddress);
    EXPECT_EQ(AboutLinkRule("https://github.com/x", app).target, "https://github.com/x");
    EXPECT_EQ(AboutLinkRule("mailto:a@example.com", app).kind, Kind::OpenAddress);
    // Plain clicks, the blank page, local files and a marker in other letter case go nowhere.
    for (const char *address :
         {"click", "right", "about:blank", "file:///etc/passwd", "x.htm#divovovu", ""})
        EXPECT_EQ(AboutLinkRule(address, app).kind, Kind::None) << address;
}

TEST_F(AboutTest, TabsShowTheirPagesWithOneBoldLabel) {
    writeAllPages();
    frmAbout window(m_store, appFolder(), tempFolder(), m_opener, m_messages);
    EXPECT_TRUE(window.isModal());
    EXPECT_EQ(window.windowTitle(), "About Varnelo");
    EXPECT_EQ(shownText(window), "Product page");

    const auto boldTabs = [&] {
        QList<int> bold;
        for (int i = 0; i < 3; ++i) {
            if (window.findChild<QPushButton *>(QString("lblTab(%1)").arg(i))->font().bold())
                bold << i;
        }
        return bold;
    };
    EXPECT_EQ(boldTabs(), QList<int>{0});
    const std::pair<int, const char *> clicks[] = {{2, "History of versions"},
                                                   {1, "Shortcut list"},
                                                   {1, "Shortcut list"},
                                                   {0, "Product page"}};
    for (const auto &[tab, text] : clicks) {
        window.findChild<QPushButton *>(QString("lblTab(%1)").arg(tab))->click();
        EXPECT_EQ(shownText(window), text);
        EXPECT_EQ(boldTabs(), QList<int>{tab});
    }
    window.SetWB(3);
    EXPECT_EQ(shownText(window), "");
}

TEST_F(AboutTest, StartupOptionIsStoredHoweverTheWindowCloses) {
    writeAllPages();
    {
        frmAbout window(m_store, appFolder(), tempFolder(), m_opener, m_messages);
        EXPECT_FALSE(window.findChild<QCheckBox *>("chkStartup")->isChecked());
        window.findChild<QPushButton *>("cmdClose")->click();
        EXPECT_EQ(m_store.get("About", "Show3", ""), "1");
    }
    {
        frmAbout window(m_store, appFolder(), tempFolder(), m_opener, m_messages);
        window.findChild<QCheckBox *>("chkStartup")->setChecked(true);
        window.show();
        QTest::keyClick(&window, Qt::Key_Escape);
        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(m_store.get("About", "Show3", ""), "0");
    }
}

TEST_F(AboutTest, LinksOpenOutsideAndThePageStays) {
    writeAllPages();
    frmAbout window(m_store, appFolder(), tempFolder(), m_opener, m_messages);
    auto *view = window.findChild<QtHtmlView *>("WebBrowser1");
    emit view->anchorClicked(QUrl("help.htm#DivovoVU"));
    emit view->anchorClicked(QUrl("https://github.com/x"));
    EXPECT_EQ(m_opener.files, QStringList{appFolder() + "/divovovu.txt"});
    EXPECT_EQ(m_opener.addresses, QStringList{"https://github.com/x"});
    EXPECT_EQ(shownText(window), "Product page");

    auto *label1 = window.findChild<QLabel *>("Label1");
    EXPECT_TRUE(label1->text().contains(SupportAddress));
    emit label1->linkActivated(window.SiteLink());
    EXPECT_EQ(m_opener.addresses.last(), SupportAddress);
    EXPECT_TRUE(m_messages.shown.isEmpty());

    // A file the desktop cannot open is reported, not silently dropped.
    m_opener.succeed = false;
    emit view->anchorClicked(QUrl("#DivovoVU"));
    ASSERT_EQ(m_messages.shown.size(), 1);
    EXPECT_TRUE(m_messages.shown[0].contains("divovovu.txt"));
}

TEST_F(AboutTest, AccessKeysAndEnterWorkFromTheKeyboard) {
    writeAllPages();
    frmAbout window(m_store, appFolder(), tempFolder(), m_opener, m_messages);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    auto *chkStartup = window.findChild<QCheckBox *>("chkStartup");
    QTest::keyClick(&window, Qt::Key_D, Qt::AltModifier);
    // A mnemonic clicks with a short animation.
    EXPECT_TRUE(QTest::qWaitFor([&] { return chkStartup->isChecked(); }));
    EXPECT_TRUE(chkStartup->hasFocus());

    // Enter moves on instead of closing the window or pressing a button.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(chkStartup->hasFocus());
    EXPECT_TRUE(chkStartup->isChecked());

    QTest::keyClick(&window, Qt::Key_H, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return shownText(window) == "History of versions"; }));
    QTest::keyClick(&window, Qt::Key_K, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return shownText(window) == "Shortcut list"; }));

    QTest::keyClick(&window, Qt::Key_C, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }));
    EXPECT_EQ(m_store.get("About", "Show3", ""), "0");
}
