#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <vector>

#include "recitation/rangemodeoptions.h"
#include "recitation/recitationview.h"

namespace varnelo {

class MessageBox;
class Scheduler;
class clsFMod;

// The recitation controller: verse mode and range mode over the loaded sura, the transport
// commands, the range commands and the follower that moves the current verse with the sound and
// applies the range-mode options at a range's end. It owns the verse range (RB, RE, CV), which
// the window's sliders only show and report drags into.
//
// The follower runs on the engine's position watches plus a coarse safety timer while a range
// plays; idle or paused it schedules nothing. Waits (pause between verses, after a range) are a
// state of the controller, never a loop: the follower's work after a wait is kept and run when
// the wait ends, by time-out, StopWait, or a Play or resume.
class RecitationController {
public:
    struct Services {
        clsFMod &fmod;
        Scheduler &scheduler;
        MessageBox &messages;
        RecitationView &view;
    };

    // The Play tips of the two modes.
    static constexpr char kReciteVerseTip[] = "Recite Verse";
    static constexpr char kReciteRangeTip[] = "Recite Range";

    RecitationController(Services services, RangeModeOptions options);
    ~RecitationController();
    RecitationController(const RecitationController &) = delete;
    RecitationController &operator=(const RecitationController &) = delete;

    // Range-mode options, as frmRangeModeSetup stores them.
    const RangeModeOptions &options() const { return m_options; }
    void setOptions(const RangeModeOptions &options);

    // ---- State --------------------------------------------------------------------------------
    // Verse mode (optVerseAdvance(1)) and range mode (optVerseAdvance(0)).
    bool Keyboard() const { return !m_rangeMode; }
    bool Auto() const { return m_rangeMode; }
    int CurrentVerse() const { return m_currentVerse; }
    bool Paused() const { return m_paused; }
    int TimesLeft() const { return m_timesLeft; }
    // Timer1: the follower is switched on (range playing, waiting or paused in range mode).
    bool following() const { return m_following; }
    // A wait between verses or after a range is pending.
    bool waiting() const;
    const VerseRange &range() const { return m_range; }
    // The status line's text.
    QString status() const;

    // ---- What a sura load does ----------------------------------------------------------------
    // The sliders span 0..lastIndex with the whole sura as range, CV 0 and the override "0"; no
    // change handler runs (the load shows the verse itself).
    void resetRange(int lastIndex);
    void setCurrentVerse(int verseIndex);
    // The user selected another sura: a pending wait is dropped, so nothing of the old sura's
    // recitation resumes on the new one.
    void suraSelectedByUser();

    // ---- Sliders ------------------------------------------------------------------------------
    // A slider (0 RB, 1 RE, 2 CV) takes value and runs the change handler; false, and nothing
    // changes, when value is outside 0..Max or no sura is loaded.
    bool setSlider(int index, int value);

    // ---- Transport ----------------------------------------------------------------------------
    void cmdPlay_Click();
    // The pause key and button: pauses, or resumes when paused.
    void togglePause();
    void cmdStop_Click();
    void cmdNext_Click();
    void cmdPrev_Click();
    // 0 range mode, 1 verse mode: stops the sound, sets the Play tip and plays in the new mode.
    void optVerseAdvance_Click(int index);
    // Stops the sound (StopPlaying).
    void StopPlaying();
    // While set any wait ends at once; layout changes set and clear it.
    void setStopWait(bool stopWait);

    // ---- Verse and range commands -------------------------------------------------------------
    // Keys C and Z in verse mode: the next (previous) verse, wrapping inside the range, recited.
    void reciteNextVerse();
    void recitePreviousVerse();
    void cmdRangeMoveForward();
    void cmdRangeMoveBackward();
    // Keys 1..9: RE = RB + n - 1 (left as it is when beyond the sura), then Play.
    void setRangeLength(int n);
    // Key Home: the whole sura from its start, recited.
    void wholeSura();
    // A verse number from the verse dialog: the current verse (recited) or, with a flag, the range
    // begin or end. A number naming no verse of the sura is refused without a change.
    void CallSetText(int verse, bool setBeginFlag, bool setEndFlag);
    // Makes the verse numbers first..last the range and recites from first; a reference beyond
    // the sura or with last < first is ignored.
    void CallSetTextAndRange(int first, int last);
    // A press on the Arabic page or a translation page: 1 left, 2 right, other buttons 0.
    void pageMouseDown(int button);

private:
    enum class WaitKind { Verse, Range, NextSura };
    // A wait of the follower: what it does when the wait ends, and the timers that end it.
    struct PendingWait {
        WaitKind kind = WaitKind::Range;
        std::function<void()> continuation;
        qint64 deadline = 0;
        int nextSura = 0;
        int timeoutId = 0;
        int countdownId = 0;
        int turnId = 0;  // the wait has ended; the continuation runs at this scheduler turn
    };

    bool accepting() const;
    bool suraSelected() const;
    const VerseTime *verseTime(int index) const;
    int verseNumber(int index) const;
    QString tipText(int value) const;
    int rangeLength() const;

    // A slider assignment the way the window's slider takes it: refused outside 0..Max, and the
    // change handler runs only on a change. showText: the CV handler shows the verse itself.
    bool assignSlider(int index, int value, bool showText);
    void sliderChanged(int index, bool showText);

    void play();
    void pause(bool hold);
    void playSection(qint32 from, qint32 to);
    void showCurrent();
    void replayRange();
    void rangeMoveForward();
    void rangeMoveBackward();
    void stepCurrentVerse(int delta);
    void pageClick(int button);

    // The follower.
    void tick();
    void afterVerseEnd(qint32 pos);
    void rangeEnd(qint32 pos);
    void lastRepetitionDone();
    void nextSura();
    void restartSura();
    void stopFollowing();

    // Waits.
    void waitFor(int seconds, WaitKind kind, std::function<void()> continuation);
    void endWaitSoon();
    void finishWait();
    void dropWait();
    void countdown();

    // After every command, tick and wait: a wait ended by a Play or resume, watches and the
    // safety tick armed for what now plays, the status line.
    void settle();
    void arm();
    void disarm();
    QString computeStatus() const;
    void updateStatus();

    clsFMod &m_fmod;
    Scheduler &m_scheduler;
    MessageBox &m_messages;
    RecitationView &m_view;

    RangeModeOptions m_options;
    VerseRange m_range;
    bool m_rangeMode = true;
    bool m_paused = false;
    bool m_following = false;
    int m_currentVerse = 0;
    int m_timesLeft = 0;

    bool m_stopWait = false;
    bool m_stopped = false;
    int m_repetition = 1;  // of an unlimited range
    std::optional<PendingWait> m_wait;
    // Bumped by Stop: a follower that loads the next sura does not play when the user stopped
    // meanwhile.
    int m_stopCount = 0;

    std::vector<int> m_watchIds;
    int m_armGeneration = 0;
    int m_safetyId = 0;
    QString m_status;
    // SetText once per command for the same verse: the CV handler and the command both show it.
    bool m_textShown = false;
    int m_shownVerse = -1;
};

}  // namespace varnelo
