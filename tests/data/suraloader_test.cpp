#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <functional>

#include "archivefixture.h"
#include "data/suracatalogue.h"
#include "data/suraloader.h"
#include "platform/messagebox.h"

using namespace varnelo;
using namespace varnelo::test;

namespace {

constexpr auto Store = ArchiveWriter::Packing::Store;

class RecordingView : public SuraLoadView {
public:
    QStringList calls;
    int selection = 0;
    bool panelVisible = true;
    std::function<void()> onEvents;        // what the user does while events run
    std::function<void()> onTranslations;  // the same, while translations load
    std::function<void()> atEveryEvent;    // looks at the loader each time events run
    QByteArray shownImage;

    int selectedSura() const override { return selection; }
    void processEvents() override {
        calls << "events";
        if (atEveryEvent)
            atEveryEvent();
        if (onEvents)
            std::exchange(onEvents, nullptr)();
    }
    void setRangeSliders(int sura, int last) override {
        calls << QStringLiteral("rangeSliders %1 %2").arg(sura).arg(last);
    }
    void loadTranslations(int, const QString &member) override {
        calls << "translations " + member;
        if (onTranslations)
            std::exchange(onTranslations, nullptr)();
    }
    void hideWordPicture() override { calls << "hideWordPicture"; }
    void setCurrentSlider(int last) override {
        calls << QStringLiteral("currentSlider %1").arg(last);
    }
    void showArabicPageForVerse(int verse) override {
        calls << QStringLiteral("page %1").arg(verse);
    }
    bool arabicPanelVisible() const override { return panelVisible; }
    void showArabicImage(const QString &path) override {
        QFile f(path);
        shownImage = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        calls << "image " + QFileInfo(path).fileName();
    }
    void showArabicNotInstalled() override { calls << "notInstalled"; }
    void hideScrollAnimations() override { calls << "hideScroll"; }
    void setWordHelpVisible(bool visible) override {
        calls << QStringLiteral("wordHelp %1").arg(visible);
    }
    void setCurrentVerse(int verse) override { calls << QStringLiteral("verse %1").arg(verse); }
    void updateShadeCaption() override { calls << "shade"; }
    void SetText() override { calls << "SetText"; }
    void openMp3(const QString &path) override { calls << "mp3 " + QFileInfo(path).fileName(); }
};

class RecordingMessages : public MessageBox {
public:
    QStringList texts;
    void information(const QString &, const QString &text) override { texts << text; }
    bool question(const QString &, const QString &) override { return false; }
    QString inputBox(const QString &, const QString &) override { return {}; }
};

class SuraLoaderTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    RecordingView view;
    RecordingMessages messages;
    QString app() const { return dir.path(); }
    QString temp() const { return dir.filePath("temp"); }

    void SetUp() override {
        ASSERT_TRUE(QDir().mkpath(temp()));
        QList<Member> pos, hgt, wm;
        for (int sura : {1, 2, 3, 4, 67, 78}) {
            const QString stem = SuraFileNumber(sura);
            pos.append({stem + ".pos", QByteArray(verseCountOf(sura) * 8, 0), Store});
            if (sura >= 2 && sura <= 77) {
                hgt.append({stem + ".hgt", QByteArray(verseCountOf(sura) * 2, 0), Store});
                wm.append({stem + ".qwf", QByteArray("\x01\0\0\0\0\0\0\0\0\x01\0m", 12)});
            }
        }
        ASSERT_TRUE(writeArchive(app() + "/data/pos.dat", pos));
        ASSERT_TRUE(writeArchive(app() + "/data/hgt.dat", hgt));
        ASSERT_TRUE(writeArchive(app() + "/data/wm.dat", wm));
        ASSERT_TRUE(writeArchive(app() + "/data/a.dat", {{"001.vxf", "GIF89a-1"}}));
    }

    SuraLoader loader(bool noArabic = false) {
        return SuraLoader(view, messages, {app(), temp(), app() + "/mp3/"}, noArabic);
    }
    void select(SuraLoader &l, int sura) {
        view.selection = sura;
        l.selectionChanged();
    }
};

}  // namespace

TEST_F(SuraLoaderTest, Sura1LoadsInOrderWithoutHeightsOrWords) {
    SuraLoader l = loader();
    select(l, 1);
    EXPECT_EQ(view.calls,
              (QStringList{"events", "rangeSliders 1 6", "translations 001.txt", "hideWordPicture",
                           "currentSlider 6", "image 001.vxf", "events", "hideScroll", "wordHelp 0",
                           "verse 0", "shade", "SetText", "mp3 001.mp3"}));
    EXPECT_EQ(view.shownImage, "GIF89a-1");
    EXPECT_EQ(l.verseTimes().size(), 7);
    EXPECT_TRUE(l.VerseHeights().isEmpty());
    EXPECT_EQ(l.WordCount(), 0);
    EXPECT_EQ(l.SuraFileNumber(), "001");
    EXPECT_EQ(l.Mp3FilePath(), app() + "/mp3/001.mp3");
    EXPECT_FALSE(l.LoadingSura());
    EXPECT_TRUE(messages.texts.isEmpty());
    EXPECT_TRUE(QDir(temp()).isEmpty());
}

TEST_F(SuraLoaderTest, Sura2ShowsItsFirstPartAndLoadsWords) {
    SuraLoader l = loader();
    select(l, 2);
    EXPECT_EQ(view.calls,
              (QStringList{"events", "rangeSliders 2 286", "translations 002.txt",
                           "hideWordPicture", "currentSlider 286", "page 0", "hideScroll", "events",
                           "wordHelp 1", "verse 0", "shade", "SetText", "mp3 002.mp3"}));
    EXPECT_EQ(l.VerseHeights().size(), 288);
    ASSERT_EQ(l.WordCount(), 1);
    EXPECT_EQ(l.WordRecords()[0].meaning, "m");
    EXPECT_TRUE(l.textParts().HasTextParts());

    // Sura 78 has no word data: the previous sura's words and heights go.
    view.calls.clear();
    select(l, 78);
    EXPECT_TRUE(view.calls.contains("wordHelp 0"));
    EXPECT_EQ(l.WordCount(), 0);
    EXPECT_TRUE(l.VerseHeights().isEmpty());
}

TEST_F(SuraLoaderTest, ArabicImageSkippedWhenDisabledAndNotInstalledWhenMissing) {
    SuraLoader off = loader(true);
    select(off, 1);
    EXPECT_FALSE(view.calls.join(',').contains("image"));
    EXPECT_FALSE(view.calls.contains("notInstalled"));

    // Sura 67 is read from a.dat, which lacks its member; sura 3 has no archive of its own.
    SuraLoader l = loader();
    view.calls.clear();
    select(l, 67);
    EXPECT_TRUE(view.calls.contains("notInstalled"));
    EXPECT_TRUE(view.calls.contains("mp3 067.mp3"));
    select(l, 3);
    view.calls.clear();
    l.LoadGifFile("a");
    EXPECT_EQ(view.calls, QStringList{"notInstalled"});
    view.panelVisible = false;
    view.calls.clear();
    l.LoadGifFile("a");
    EXPECT_TRUE(view.calls.isEmpty());
}

TEST_F(SuraLoaderTest, AMissingFileStopsTheLoadAndTheNextSelectionStillLoads) {
    ASSERT_TRUE(QFile::remove(app() + "/data/hgt.dat"));
    SuraLoader l = loader();
    select(l, 2);
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains("hgt.dat")) << messages.texts[0].toStdString();
    EXPECT_FALSE(view.calls.contains("SetText"));
    EXPECT_FALSE(l.LoadingSura());

    view.calls.clear();
    select(l, 1);
    EXPECT_TRUE(view.calls.contains("mp3 001.mp3"));

    // A selection made while the failing load ran is loaded after it.
    view.calls.clear();
    view.onTranslations = [&] {
        view.selection = 78;
        l.selectionChanged();
    };
    select(l, 3);
    EXPECT_EQ(messages.texts.size(), 2);
    EXPECT_EQ(view.calls.filter("mp3 ").join(','), "mp3 078.mp3");
    EXPECT_EQ(l.loadedSura(), 78);

    // A sura without its member in pos.dat stops before anything changes on screen.
    view.calls.clear();
    select(l, 5);
    EXPECT_EQ(view.calls, QStringList{"events"});
    EXPECT_TRUE(messages.texts.last().contains("005.pos"));
    EXPECT_EQ(l.loadedSura(), 0);
}

TEST_F(SuraLoaderTest, TheLastSelectionDuringALoadIsLoadedNext) {
    SuraLoader l = loader();
    int loadsStarted = 0;
    // While sura 2 loads, the user picks 3 and then 4; the click handler runs each time.
    view.onEvents = [&] {
        ++loadsStarted;
        view.onEvents = [&] {
            for (int sura : {3, 4}) {
                view.selection = sura;
                l.selectionChanged();
                EXPECT_TRUE(l.LoadingSura());
            }
        };
    };
    select(l, 2);
    EXPECT_EQ(l.loadedSura(), 4);
    EXPECT_EQ(view.calls.filter("mp3 ").join(','), "mp3 002.mp3,mp3 004.mp3");
    EXPECT_EQ(loadsStarted, 1);
    EXPECT_FALSE(l.LoadingSura());

    // Selecting back the sura being loaded needs no second load.
    view.calls.clear();
    view.onEvents = [&] {
        view.onEvents = [&] {
            view.selection = 3;
            l.selectionChanged();
            view.selection = 1;
            l.selectionChanged();
        };
    };
    select(l, 1);
    EXPECT_EQ(view.calls.filter("mp3 ").join(','), "mp3 001.mp3");
}

TEST_F(SuraLoaderTest, ASuraCountsAsLoadedOnlyOnceItsLoadHasEnded) {
    SuraLoader l = loader();
    QStringList seen;
    view.atEveryEvent = [&] {
        seen << QStringLiteral("%1 %2").arg(l.loadedSura()).arg(l.LoadingSura());
    };
    // Sura 1 lets events run before loading and after its image; sura 2 before loading and
    // after extracting its words, when its times are in and the old recitation file is open.
    select(l, 1);
    EXPECT_EQ(l.loadedSura(), 1);
    select(l, 2);
    EXPECT_EQ(l.loadedSura(), 2);
    EXPECT_EQ(seen, QStringList(4, "0 1"));

    // A failed load leaves nothing loaded; choosing the same sura again retries it.
    ASSERT_TRUE(QFile::rename(app() + "/data/wm.dat", app() + "/wm.dat"));
    select(l, 3);
    EXPECT_EQ(l.loadedSura(), 0);
    ASSERT_EQ(messages.texts.size(), 1);
    ASSERT_TRUE(QFile::rename(app() + "/wm.dat", app() + "/data/wm.dat"));
    view.calls.clear();
    l.selectionChanged();
    EXPECT_EQ(l.loadedSura(), 3);
    EXPECT_EQ(view.calls.filter("mp3 ").join(','), "mp3 003.mp3");
    EXPECT_EQ(messages.texts.size(), 1);
}
