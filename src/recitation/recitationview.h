#pragma once

#include <QList>
#include <QString>

#include "data/suradata.h"

namespace varnelo {

// The verse range the three verse sliders show: range begin, range end and current verse, all
// verse indexes of the loaded sura from 0 to Max (its last index).
struct VerseRange {
    int RB = 0;
    int RE = 0;
    int CV = 0;
    int Max = 0;
    // Range length that range moves and sura changes use instead of RE - RB while it reads as a
    // number above 0; "0" after every sura load.
    QString RangeLengthOverride = QStringLiteral("0");

    bool operator==(const VerseRange &) const = default;
};

// What the recitation controller asks of the main window. The controller calls these on the
// window's thread; none of them may call back into a controller command.
class RecitationView {
public:
    virtual ~RecitationView() = default;

    // The sura list: selected position (-1 when none), its number of entries, the selected entry's
    // text ("mp3 missing" marks a sura without its file) and sura number (0 when none).
    virtual int suraListIndex() const = 0;
    virtual int suraListCount() const = 0;
    virtual QString suraListText() const = 0;
    virtual int selectedSura() const = 0;
    // Selects list position index, which loads that sura before it returns (window events run
    // meanwhile). False, with nothing changed, when index is no entry of the list.
    virtual bool selectSuraListIndex(int index) = 0;
    // True while a sura load runs; its data are then half-way between two suras.
    virtual bool suraLoading() const = 0;
    // The loaded sura's verse table (empty before the first load).
    virtual const QList<VerseTime> &verseTimes() const = 0;

    // Shows the controller's CurrentVerse on the Arabic page and in the translation windows.
    virtual void SetText() = 0;
    // Hides the word marker picture (width and height 0).
    virtual void hideWordPicture() = 0;
    // While set, moving the mouse over the page shows no word marker.
    virtual void setHideWordMark(bool hide) = 0;
    // The three sliders show range; their tips show tips (index 0..2, "" leaves a tip as it is).
    virtual void showRange(const VerseRange &range) = 0;
    virtual void setSliderTip(int index, const QString &tip) = 0;
    // The Play button's tool-tip: "Recite Verse" or "Recite Range".
    virtual void setPlayTip(const QString &tip) = 0;
    // The mode option buttons show the mode (true: range mode).
    virtual void showMode(bool rangeMode) = 0;
    // Applies the volume slider's position to the engine.
    virtual void applyVolume() = 0;
    // The modal bracket: false before a modal window, true after it.
    virtual void showTitleWindow(bool show) = 0;
    // One line saying what the recitation does now.
    virtual void showStatus(const QString &text) = 0;
};

}  // namespace varnelo
