#include "mainwindowfixture.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>

#include "../controls/giftestfiles.h"
#include "controls/animatedgifctl.h"
#include "data/suracatalogue.h"
#include "display/qthtmlview.h"

namespace varnelo::test {

const std::array<std::array<const char *, 3>, 3> Translations = {{
    {"alpha", "Al", "Alpha window"},
    {"beta", "Be", "Beta window"},
    {"gamma", "Ga", "Gamma window"},
}};

const WordRecord FirstWord{0, 2, 2, 20, 10, " first "};
const WordRecord SecondWord{1, 22, 2, 40, 10, "second"};

qint32 verseEnd(int index) {
    return index * 10 + 5;
}

namespace {

QByteArray wordBytes(const WordRecord &w) {
    const QByteArray meaning = w.meaning.toLatin1();
    return QByteArray(1, char(w.verse)) + littleEndian<qint16>({w.left, w.top, w.right, w.bottom}) +
           littleEndian<quint16>({quint16(meaning.size())}) + meaning;
}

}  // namespace

void MainWindowFixture::SetUp() {
    writeFile("config.ini", "[Main]\nText1=Alpha\nText2=BETA.dat\nText3=gamma\nMP3Path=" +
                                dataPath("mp3/").toUtf8() + "\n");
    ASSERT_TRUE(QDir().mkpath(dataPath("mp3")));
    QMap<QString, QList<Member>> archives;
    for (const auto &[name, button, caption] : Translations) {
        archives[QString("data/tdata/%1.dat").arg(name)] = {
            {"config.ini", QByteArray("[Main]\nButtonCaption=") + button + "\nWindowCaption=" +
                               caption + "\n[info]\nSource=" + name + " archive\nUpdated=2021\n"},
            {"bismi.txt", QByteArray("bismi ") + name}};
    }
    for (int sura : {1, 2, 9, 36, 67})
        addSura(archives, sura);
    for (auto it = archives.cbegin(); it != archives.cend(); ++it)
        ASSERT_TRUE(writeArchive(dataPath(it.key()), it.value()));
}

void MainWindowFixture::addSura(QMap<QString, QList<Member>> &archives, int sura) {
    constexpr auto Store = ArchiveWriter::Packing::Store;
    const QString stem = SuraFileNumber(sura);
    const int n = verseCountOf(sura);
    QByteArray times, text;
    for (int k = 0; k < n; ++k) {
        const auto [start, end] = verseTime(sura, k);
        times += littleEndian<qint32>({start, end});
        text += QByteArray("v") + QByteArray::number(k + 1) + "\r\n";
    }
    archives["data/pos.dat"].append({stem + ".pos", times, Store});
    for (const auto &translation : Translations)
        archives[QString("data/tdata/%1.dat").arg(translation[0])].append({stem + ".txt", text});
    if (sura >= 2 && sura <= 77) {
        archives["data/hgt.dat"].append({stem + ".hgt", QByteArray(2 * n, 0), Store});
        archives["data/wm.dat"].append(
            {stem + ".qwf", wordBytes(FirstWord) + wordBytes(SecondWord)});
    }
    QList<TextPart> parts = textPartsOf(sura);
    if (parts.isEmpty())
        parts = {TextPart{}};
    const QString pages =
        sura >= 2 && sura <= 66 ? QString("data/%1.dat").arg(stem) : QString("data/a.dat");
    for (int i = 0; i < parts.size(); ++i) {
        QList<TestFrame> frames;
        for (int f = 0; f < 3 + i; ++f)
            frames.append(patternFrame(0, 0, 48, m_pageHeight, 2, f));
        archives[pages].append(
            {stem + parts[i].letter + ".vxf",
             writeTestGif(48, m_pageHeight, {qRgb(0, 0, 0), qRgb(255, 255, 255)}, frames)});
    }
}

void MainWindowFixture::writeFile(const QString &relative, const QByteArray &bytes) {
    QFile file(dataPath(relative));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

bool MainWindowFixture::installMp3() {
    return installMp3(tone(44100, 2, 3 * 44100, 440, 0.2));
}

bool MainWindowFixture::installMp3(const Pcm &pcm) {
    Mp3Maker maker;
    const QString made = maker.make("002", pcm, {});
    return !made.isEmpty() && QFile::copy(made, dataPath("mp3/002.mp3"));
}

frmMain &MainWindowFixture::window() {
    if (!m_window) {
        m_window = std::make_unique<frmMain>(
            frmMain::Services{m_store, m_audio, m_messages, m_clipboard, m_saveDialog, m_opener},
            m_dir.path(), m_temp.path());
        m_window->setAboutShower([this] {
            ++m_aboutShown;
            if (m_duringAbout)
                m_duringAbout();
        });
        m_window->setProcessEnder([this] { ++m_ended; });
    }
    return *m_window;
}

void MainWindowFixture::selectVerseMode() {
    QTest::mouseClick(get<QRadioButton>("optVerseAdvance_1"), Qt::LeftButton);
}

void MainWindowFixture::activate() {
    window().activateWindow();
    QApplication::setActiveWindow(&window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
}

void MainWindowFixture::press(QWidget *target, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    if (QApplication::activeWindow() != &window())
        activate();
    target->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), target) << target->objectName().toStdString();
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

AnimatedGifCtl *MainWindowFixture::page() {
    return get<AnimatedGifCtl>("AnimatedGifCtl1");
}

QtHtmlView *MainWindowFixture::view(int window) {
    const char *names[] = {"wbTamsen", "wbDabrel", "wbVerrin"};
    return get<QtHtmlView>(names[window - 2]);
}

QPlainTextEdit *MainWindowFixture::notInstalled() {
    return get<QPlainTextEdit>("txtNotInstalled");
}

void MainWindowFixture::choose(int sura) {
    list()->showPopup();
    QAbstractItemView *entries = list()->view();
    const QRect entry = entries->visualRect(entries->model()->index(sura - 1, 0));
    QTest::mouseClick(entries->viewport(), Qt::LeftButton, {}, entry.center());
}

void MainWindowFixture::whileLoading(int sura, std::function<void()> action, int tries) {
    QMetaObject::invokeMethod(
        &window(),
        [this, sura, action, tries] {
            if (window().loader().SuraFileNumber() == SuraFileNumber(sura))
                action();
            else if (tries > 0)
                whileLoading(sura, action, tries - 1);
        },
        Qt::QueuedConnection);
}

int MainWindowFixture::lastIndexOf(int sura) const {
    return verseCountOf(sura) - 1;
}

}  // namespace varnelo::test
