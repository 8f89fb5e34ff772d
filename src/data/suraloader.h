#pragma once

#include <QList>
#include <QString>

#include "data/suracatalogue.h"
#include "data/suradata.h"

namespace varnelo {

class MessageBox;

// What the sura loader asks of the main window: its sliders, translation windows, Arabic page and
// audio engine. The loader calls these in the order of the load sequence.
class SuraLoadView {
public:
    virtual ~SuraLoadView() = default;

    // The sura number of the selected list item, or 0 when nothing is selected.
    virtual int selectedSura() const = 0;
    // Lets pending window events run; they may change the selection.
    virtual void processEvents() = 0;
    // Range-begin and range-end sliders span 0..lastIndex, covering it all, for sura.
    virtual void setRangeSliders(int sura, int lastIndex) = 0;
    // Each translation window (2, 3, 4) loads member of sura into the loader's verseTimes().
    virtual void loadTranslations(int sura, const QString &member) = 0;
    virtual void hideWordPicture() = 0;
    // The current-verse slider and verse counter span 0..lastIndex; the range length override is 0.
    virtual void setCurrentSlider(int lastIndex) = 0;
    // Shows the part of the Arabic text that holds verseIndex (for suras with parts).
    virtual void showArabicPageForVerse(int verseIndex) = 0;
    // The Arabic panel is shown; a hidden one loads no image.
    virtual bool arabicPanelVisible() const = 0;
    // Shows the extracted GIF file, which is deleted after the call.
    virtual void showArabicImage(const QString &gifPath) = 0;
    // Shows the text saying the Arabic text of the sura is not installed.
    virtual void showArabicNotInstalled() = 0;
    virtual void hideScrollAnimations() = 0;
    virtual void setWordHelpVisible(bool visible) = 0;
    virtual void setCurrentVerse(int verseIndex) = 0;
    // Refreshes the window-shade caption with the selected item's text.
    virtual void updateShadeCaption() = 0;
    virtual void SetText() = 0;
    // Closes the previous recitation file and opens mp3Path.
    virtual void openMp3(const QString &mp3Path) = 0;
};

// Loads the selected sura: verse times, translations, heights, Arabic image, word records and the
// recitation file, in that order, through the view.
class SuraLoader {
public:
    struct Folders {
        QString app;   // program folder, holding data/
        QString temp;  // extraction folder
        QString mp3;   // ends in a separator
    };

    // arabicTextDisabled: the Arabic text window is switched off for this run.
    SuraLoader(SuraLoadView &view, MessageBox &messages, Folders folders, bool arabicTextDisabled);

    // The list's click handler: loads the selected sura. A selection made while a load runs is
    // loaded once that load ends, if it still differs from what was loaded. A missing pos.dat,
    // hgt.dat or wm.dat (or member) stops the load with a message naming it; calling this again
    // with the same selection retries it.
    void selectionChanged();
    // Shows the Arabic image of part letter of the loaded sura; the not-installed text when its
    // archive or member is missing.
    void LoadGifFile(const QString &letter);

    // Set from the command line once start-up has read it; no image loads while it is set.
    void setArabicTextDisabled(bool disabled) { m_arabicTextDisabled = disabled; }
    bool LoadingSura() const { return m_loading; }
    // The sura whose load completed: 0 before the first load, while a load runs (its tables and
    // the open recitation file may belong to different suras then) and after a failed one.
    int loadedSura() const { return m_loadedSura; }
    const QString &SuraFileNumber() const { return m_suraFileNumber; }
    const QString &Mp3FilePath() const { return m_mp3FilePath; }
    QList<VerseTime> &verseTimes() { return m_verseTimes; }
    const QList<VerseTime> &verseTimes() const { return m_verseTimes; }
    // Elements 1..n for suras 2-77, empty otherwise.
    const QList<qint16> &VerseHeights() const { return m_verseHeights; }
    const QList<WordRecord> &WordRecords() const { return m_wordRecords; }
    int WordCount() const { return int(m_wordRecords.size()); }
    SuraTextParts &textParts() { return m_textParts; }
    const SuraTextParts &textParts() const { return m_textParts; }

private:
    // One pass of the load sequence; a missing file stops it with a message.
    void load(int sura);
    void fail(const QString &error);

    SuraLoadView &m_view;
    MessageBox &m_messages;
    Folders m_folders;
    bool m_arabicTextDisabled;
    bool m_loading = false;
    int m_sura = 0;  // the sura the tables hold, complete or not
    int m_loadedSura = 0;
    QString m_suraFileNumber;
    QString m_mp3FilePath;
    QList<VerseTime> m_verseTimes;
    QList<qint16> m_verseHeights;
    QList<WordRecord> m_wordRecords;
    SuraTextParts m_textParts;
};

}  // namespace varnelo
