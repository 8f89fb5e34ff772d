#pragma once

#include <gtest/gtest.h>

#include <QComboBox>
#include <QMap>
#include <QString>
#include <QTemporaryDir>

#include <array>
#include <functional>
#include <memory>
#include <stdexcept>
#include <utility>

#include "../data/archivefixture.h"
#include "../recitation/mp3fixture.h"
#include "../recitation/scripteddialogs.h"
#include "controls/ucslider.h"
#include "data/suradata.h"
#include "mainwindow/frmmain.h"
#include "platform/clipboard.h"
#include "platform/fakeaudiooutput.h"
#include "platform/memorysettingsstore.h"

class QPlainTextEdit;

namespace varnelo {
class AnimatedGifCtl;
class QtHtmlView;
}  // namespace varnelo

namespace varnelo::test {

// The three translations of the program folder: archive name, button and window caption. Each
// has an information section "Source=<name> archive", "Updated=2021".
extern const std::array<std::array<const char *, 3>, 3> Translations;

// Words of the pages of suras 2-77: one of verse 0 and one of verse 1, in page pixels.
extern const WordRecord FirstWord;
extern const WordRecord SecondWord;

// Verse index k of every sura is recited from 10k to 10k + 5 ms.
qint32 verseEnd(int index);

// A program folder: config.ini, three translations, per-sura data of suras 1, 2, 9, 36, 67 with
// page images (part i of a sura has 3 + i frames), and collaborators for the window.
class MainWindowFixture : public testing::Test {
protected:
    explicit MainWindowFixture(FakeAudioOutput::Mode mode = FakeAudioOutput::Mode::Manual)
        : m_output(std::make_unique<FakeAudioOutput>(true, mode)), m_audio(*m_output) {}

    void SetUp() override;

    // Start and end (ms) of verse index k of a sura; a variant may give real lengths.
    virtual std::pair<qint32, qint32> verseTime(int sura, int k) const {
        Q_UNUSED(sura);
        return {k * 10, verseEnd(k)};
    }

    QString dataPath(const QString &relative) const { return m_dir.filePath(relative); }
    void writeFile(const QString &relative, const QByteArray &bytes);
    // 002.mp3, three seconds long, so that verses of sura 2 can play.
    bool installMp3();
    // 002.mp3 made of these samples.
    bool installMp3(const Pcm &pcm);

    frmMain &window();
    bool load() { return window().Form_Load(); }
    // Verse mode: a click or C recites one verse.
    void selectVerseMode();
    // Makes the shown window the active one, so that the focus and keys work as for the user.
    void activate();
    // Gives target the focus and types the key into whatever then has it.
    void press(QWidget *target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // A new window on the same store, as at the next start.
    void restart() {
        m_window.reset();
        m_aboutShown = m_ended = 0;
    }

    template <typename T>
    T *get(const QString &name) {
        T *child = window().findChild<T *>(name);
        if (!child)
            throw std::runtime_error("no " + name.toStdString());
        return child;
    }
    QComboBox *list() { return get<QComboBox>("cmbSura"); }
    ucSliderModel &slider(int i) { return get<ucSlider>(QString("ucSlider1_%1").arg(i))->model(); }
    QString sliderTip(int i) { return get<ucSlider>(QString("ucSlider1_%1").arg(i))->toolTip(); }
    AnimatedGifCtl *page();
    QtHtmlView *view(int window);
    QPlainTextEdit *notInstalled();
    void select(int sura) { list()->setCurrentIndex(sura - 1); }
    // The user picks the entry from the open list, as with the mouse.
    void choose(int sura);
    // Runs action when the window next lets events run after sura's times are in, which only a
    // load of sura does.
    void whileLoading(int sura, std::function<void()> action, int tries = 20);
    int lastIndexOf(int sura) const;

    // Height in pixels of the Arabic page images.
    int m_pageHeight = 16;
    QTemporaryDir m_dir;
    QTemporaryDir m_temp;
    MemorySettingsStore m_store;
    std::unique_ptr<FakeAudioOutput> m_output;
    FakeAudioOutput &m_audio;
    ScriptedDialogs m_messages;
    FakeClipboard m_clipboard;
    int m_aboutShown = 0;
    int m_ended = 0;
    std::function<void()> m_duringAbout;
    // Handed to the window when set; the desktop's own otherwise.
    SaveFileDialog *m_saveDialog = nullptr;
    DocumentOpener *m_opener = nullptr;
    std::unique_ptr<frmMain> m_window;

private:
    void addSura(QMap<QString, QList<Member>> &archives, int sura);
};

}  // namespace varnelo::test
