#include "recitation/recitationcontroller.h"

#include <algorithm>
#include <limits>

#include "data/suracatalogue.h"
#include "platform/messagebox.h"
#include "platform/scheduler.h"
#include "platform/settingsfile.h"
#include "recitation/clsfmod.h"

namespace varnelo {

namespace {

// The follower's backstop for what no position watch sees (a file shorter than its verse table):
// coarse, since the watches already place every verse step.
constexpr int kSafetyTickMs = 150;
constexpr int kCountdownMs = 1000;
// A pause typed into the settings beyond a day is a day.
constexpr int kLongestWaitSeconds = 24 * 60 * 60;

constexpr int kBeginSlider = 0;
constexpr int kEndSlider = 1;
constexpr int kCurrentSlider = 2;

}  // namespace

RecitationController::RecitationController(Services services, RangeModeOptions options)
    : m_fmod(services.fmod),
      m_scheduler(services.scheduler),
      m_messages(services.messages),
      m_view(services.view),
      m_options(options) {}

RecitationController::~RecitationController() {
    dropWait();
    disarm();
    if (m_safetyId != 0) {
        m_scheduler.cancel(m_safetyId);
    }
}

void RecitationController::setOptions(const RangeModeOptions &options) {
    m_options = options;
    settle();
}

bool RecitationController::waiting() const {
    return m_wait.has_value();
}

// ---- Helpers ------------------------------------------------------------------------------------

bool RecitationController::accepting() const {
    // The sura's data are half-way between two suras during a load: a command now would mix them.
    return !m_view.suraLoading();
}

bool RecitationController::suraSelected() const {
    return m_view.suraListIndex() != -1 && !m_view.verseTimes().isEmpty();
}

const VerseTime *RecitationController::verseTime(int index) const {
    const QList<VerseTime> &times = m_view.verseTimes();
    return index >= 0 && index < times.size() ? &times[index] : nullptr;
}

int RecitationController::verseNumber(int index) const {
    return hasOpeningEntry(m_view.selectedSura()) ? index : index + 1;
}

QString RecitationController::tipText(int value) const {
    return QString::number(verseNumber(value));
}

int RecitationController::rangeLength() const {
    const int override = m_range.RangeLengthOverride.trimmed().toInt();
    return override > 0 ? override : m_range.RE - m_range.RB;
}

// ---- Sura load ----------------------------------------------------------------------------------

void RecitationController::resetRange(int lastIndex) {
    // Whatever waited or followed belongs to the sura that was closed.
    dropWait();
    disarm();
    const int max = std::max(lastIndex, 0);
    m_range = VerseRange{0, max, 0, max, QStringLiteral("0")};
    m_view.showRange(m_range);
    m_view.setSliderTip(kBeginSlider, tipText(m_range.RB));
    m_view.setSliderTip(kEndSlider, tipText(m_range.RE));
    m_currentVerse = 0;
    // The load closed the sound: a held pause would turn the next Play into a silent resume.
    m_paused = false;
    m_stopped = false;
    settle();
}

void RecitationController::setCurrentVerse(int verseIndex) {
    m_currentVerse = verseIndex;
}

void RecitationController::suraSelectedByUser() {
    dropWait();
    settle();
}

// ---- Sliders ------------------------------------------------------------------------------------

bool RecitationController::setSlider(int index, int value) {
    if (!accepting() || !suraSelected() || index < kBeginSlider || index > kCurrentSlider) {
        return false;
    }
    const bool done = assignSlider(index, value, true);
    settle();
    return done;
}

bool RecitationController::assignSlider(int index, int value, bool showText) {
    if (value < 0 || value > m_range.Max) {
        return false;
    }
    int &slot = index == kBeginSlider ? m_range.RB : index == kEndSlider ? m_range.RE : m_range.CV;
    if (slot == value) {
        return true;
    }
    slot = value;
    m_view.showRange(m_range);
    sliderChanged(index, showText);
    return true;
}

void RecitationController::sliderChanged(int index, bool showText) {
    if (index == kCurrentSlider) {
        m_currentVerse = m_range.CV;
        m_view.hideWordPicture();
        if (showText) {
            showCurrent();
        }
    }
    if (m_view.suraListIndex() != -1) {
        const int value = index == kBeginSlider ? m_range.RB
                          : index == kEndSlider ? m_range.RE
                                                : m_range.CV;
        m_view.setSliderTip(index, tipText(value));
    }
    if (index == kEndSlider) {
        if (const VerseTime *end = verseTime(m_range.RE)) {
            // A section already playing now ends at the new range end.
            m_fmod.SetEnd(end->end);
        }
    }
}

void RecitationController::showCurrent() {
    if (m_textShown && m_shownVerse == m_currentVerse) {
        return;
    }
    m_view.SetText();
    m_textShown = true;
    m_shownVerse = m_currentVerse;
}

// ---- Transport ----------------------------------------------------------------------------------

void RecitationController::cmdPlay_Click() {
    if (!accepting()) {
        return;
    }
    play();
    settle();
}

void RecitationController::play() {
    if (m_view.suraListIndex() == -1) {
        return;
    }
    if (m_paused) {
        pause(false);
        return;
    }
    m_following = false;
    m_view.hideWordPicture();
    if (m_view.suraListText().contains(QLatin1String("mp3 missing"))) {
        m_view.showTitleWindow(false);
        m_messages.information(
            QStringLiteral("Audio file not installed"),
            QStringLiteral("MP3 file for this sura is not installed. ") +
                QStringLiteral("\r\n\r\n") +
                QStringLiteral("Please download the MP3 files installer or the MP3 files from ") +
                QLatin1String(SupportAddress));
        m_view.showTitleWindow(true);
        return;
    }
    if (!m_rangeMode) {
        if (const VerseTime *verse = verseTime(m_range.CV)) {
            playSection(verse->start, verse->end);
        }
        m_view.applyVolume();
    } else {
        const VerseTime *begin = verseTime(m_range.RB);
        const VerseTime *end = verseTime(m_range.RE);
        if (begin != nullptr && end != nullptr) {
            playSection(begin->start, end->end);
        }
        m_view.applyVolume();
        m_timesLeft = m_options.NoofTimes;
        m_repetition = 1;
        m_following = true;
        assignSlider(kCurrentSlider, m_range.RB, false);
    }
    m_currentVerse = m_range.CV;
    showCurrent();
    m_view.setSliderTip(kEndSlider, tipText(m_range.RE));
    m_view.setSliderTip(kBeginSlider, tipText(m_range.RB));
}

void RecitationController::playSection(qint32 from, qint32 to) {
    // Whatever plays now is no longer held by the pause key.
    m_paused = false;
    m_stopped = false;
    m_fmod.Play(from, to);
}

void RecitationController::togglePause() {
    if (!accepting() || m_view.suraListIndex() == -1) {
        return;
    }
    // With nothing sounding a pause would hold nothing, and the next Play would only resume it.
    if (!m_paused && !m_fmod.isPlaying()) {
        return;
    }
    pause(!m_paused);
    settle();
}

void RecitationController::pause(bool hold) {
    if (hold) {
        m_fmod.PausePlaying();
        m_paused = true;
    } else {
        m_fmod.ResumePlaying();
        m_paused = false;
    }
}

void RecitationController::cmdStop_Click() {
    ++m_stopCount;
    dropWait();
    m_fmod.StopPlaying();
    m_paused = false;
    m_following = false;
    m_stopped = true;
    if (accepting()) {
        assignSlider(kCurrentSlider, m_range.RB, true);
    }
    settle();
}

void RecitationController::StopPlaying() {
    m_fmod.StopPlaying();
    m_paused = false;
    settle();
}

void RecitationController::cmdNext_Click() {
    if (!accepting()) {
        return;
    }
    if (m_view.selectSuraListIndex(m_view.suraListIndex() + 1)) {
        play();
    }
    settle();
}

void RecitationController::cmdPrev_Click() {
    if (!accepting()) {
        return;
    }
    const int index = m_view.suraListIndex();
    if (index > 0 && m_view.selectSuraListIndex(index - 1)) {
        play();
    }
    settle();
}

void RecitationController::optVerseAdvance_Click(int index) {
    if (!accepting() || (index != 0 && index != 1)) {
        return;
    }
    dropWait();
    m_rangeMode = index == 0;
    m_fmod.StopPlaying();
    m_paused = false;
    m_following = false;
    m_view.setPlayTip(QLatin1String(m_rangeMode ? kReciteRangeTip : kReciteVerseTip));
    m_view.showMode(m_rangeMode);
    play();
    settle();
}

void RecitationController::setStopWait(bool stopWait) {
    m_stopWait = stopWait;
    settle();
}

// ---- Verse and range commands -------------------------------------------------------------------

void RecitationController::reciteNextVerse() {
    if (!accepting() || !suraSelected() || !Keyboard()) {
        return;
    }
    stepCurrentVerse(1);
    settle();
}

void RecitationController::recitePreviousVerse() {
    if (!accepting() || !suraSelected() || !Keyboard()) {
        return;
    }
    stepCurrentVerse(-1);
    settle();
}

void RecitationController::stepCurrentVerse(int delta) {
    m_view.setHideWordMark(true);
    m_view.hideWordPicture();
    if (delta > 0) {
        assignSlider(kCurrentSlider, m_range.CV != m_range.RE ? m_range.CV + 1 : m_range.RB, true);
    } else {
        assignSlider(kCurrentSlider, m_range.CV != m_range.RB ? m_range.CV - 1 : m_range.RE, true);
    }
    play();
    m_view.setHideWordMark(false);
}

void RecitationController::cmdRangeMoveForward() {
    if (!accepting() || !suraSelected()) {
        return;
    }
    rangeMoveForward();
    settle();
}

void RecitationController::rangeMoveForward() {
    if (m_range.RE == m_range.Max) {
        return;
    }
    const int length = m_range.RE - m_range.RB;
    assignSlider(kBeginSlider, m_range.RE + 1, true);
    if (m_range.RB + length > m_range.Max) {
        // Cut at the sura's end, the range remembers its length for the moves and sura changes.
        m_range.RangeLengthOverride = QString::number(length);
        assignSlider(kEndSlider, m_range.Max, true);
    } else {
        m_range.RangeLengthOverride = QStringLiteral("0");
        assignSlider(kEndSlider, m_range.RB + length, true);
    }
    assignSlider(kCurrentSlider, m_range.RB, true);
    play();
}

void RecitationController::cmdRangeMoveBackward() {
    if (!accepting() || !suraSelected()) {
        return;
    }
    rangeMoveBackward();
    settle();
}

void RecitationController::rangeMoveBackward() {
    if (m_range.RB == 0) {
        return;
    }
    const int length = rangeLength();
    // Below the sura's start the begin stays and the range restarts where it was.
    assignSlider(kBeginSlider, m_range.RB - length - 1, true);
    assignSlider(kEndSlider, m_range.RB + length, true);
    assignSlider(kCurrentSlider, m_range.RB, true);
    play();
}

void RecitationController::setRangeLength(int n) {
    if (!accepting() || !suraSelected()) {
        return;
    }
    assignSlider(kEndSlider, m_range.RB + n - 1, true);
    play();
    settle();
}

void RecitationController::wholeSura() {
    if (!accepting() || !suraSelected()) {
        return;
    }
    assignSlider(kBeginSlider, 0, true);
    assignSlider(kEndSlider, m_range.Max, true);
    assignSlider(kCurrentSlider, 0, true);
    play();
    settle();
}

void RecitationController::CallSetText(int verse, bool setBeginFlag, bool setEndFlag) {
    if (!accepting() || !suraSelected()) {
        return;
    }
    const int index = hasOpeningEntry(m_view.selectedSura()) ? verse : verse - 1;
    if (index < 0 || index > m_range.Max) {
        return;
    }
    if (setBeginFlag) {
        assignSlider(kBeginSlider, index, true);
    } else if (setEndFlag) {
        assignSlider(kEndSlider, index, true);
    } else {
        m_currentVerse = index;
        assignSlider(kCurrentSlider, index, false);
        showCurrent();
        m_view.applyVolume();
        pageClick(1);
    }
    settle();
}

void RecitationController::CallSetTextAndRange(int first, int last) {
    if (!accepting() || !suraSelected() || last < first) {
        return;
    }
    if (!hasOpeningEntry(m_view.selectedSura())) {
        first -= 1;
        if (last != first) {
            last -= 1;
        }
    }
    if (first < 0 || last < first || last > m_range.Max) {
        return;
    }
    m_currentVerse = first;
    assignSlider(kBeginSlider, first, true);
    assignSlider(kEndSlider, last, true);
    assignSlider(kCurrentSlider, first, false);
    showCurrent();
    m_view.applyVolume();
    pageClick(1);
    settle();
}

void RecitationController::pageMouseDown(int button) {
    if (!accepting() || m_view.suraListIndex() == -1 || m_view.verseTimes().isEmpty()) {
        return;
    }
    pageClick(button);
    settle();
}

void RecitationController::pageClick(int button) {
    m_view.setHideWordMark(true);
    m_view.hideWordPicture();
    if (button == 1) {
        const VerseTime *verse = verseTime(m_range.CV);
        const VerseTime *end = verseTime(m_rangeMode ? m_range.RE : m_range.CV);
        if (m_rangeMode) {
            m_following = true;
        }
        if (verse != nullptr && end != nullptr) {
            playSection(verse->start, end->end);
        }
        m_currentVerse = m_range.CV;
    } else if (button == 2) {
        if (!m_rangeMode) {
            stepCurrentVerse(1);
        } else if (m_range.CV < m_range.RE) {
            m_following = true;
            assignSlider(kCurrentSlider, m_range.CV + 1, false);
            const VerseTime *verse = verseTime(m_range.CV);
            const VerseTime *end = verseTime(m_range.RE);
            if (verse != nullptr && end != nullptr) {
                playSection(verse->start, end->end);
            }
            m_currentVerse = m_range.CV;
        }
    }
    showCurrent();
    m_view.setHideWordMark(false);
}

// ---- The follower
// --------------------------------------------------------------------------------

void RecitationController::tick() {
    // PauseBreaked False is the lock: set before every wait and by a pause.
    if (!m_following || m_wait || !m_fmod.PauseBreaked || !Auto() || m_view.suraLoading()) {
        return;
    }
    qint32 pos = 0;
    m_fmod.GetPosition(pos);
    const VerseTime *current = verseTime(m_currentVerse);
    if (m_range.CV != m_range.RE && current != nullptr && pos >= current->end) {
        if (m_options.PauseBetweenVerses > 0) {
            m_fmod.PausePlaying();
            waitFor(m_options.PauseBetweenVerses, WaitKind::Verse, [this, pos] {
                if (m_fmod.PauseBreaked) {
                    return;  // played or resumed meanwhile: that restarted things, drop the step
                }
                // Paused by the user meanwhile: the verse moves on, the sound stays held.
                if (!m_paused) {
                    m_fmod.ResumePlaying();
                }
                afterVerseEnd(pos);
            });
            return;
        }
        afterVerseEnd(pos);
        return;
    }
    rangeEnd(pos);
}

void RecitationController::afterVerseEnd(qint32 pos) {
    m_view.hideWordPicture();
    m_currentVerse += 1;
    assignSlider(kCurrentSlider, m_currentVerse, false);
    showCurrent();
    rangeEnd(pos);
}

void RecitationController::rangeEnd(qint32 pos) {
    const VerseTime *end = verseTime(m_range.RE);
    const qint32 length = m_fmod.StreamLength();
    if (!((end != nullptr && pos >= end->end) || (length > 0 && pos >= length))) {
        return;
    }
    if (m_options.NoofTimes == 0) {
        m_fmod.PauseBreaked = false;
        waitFor(m_options.Pause, WaitKind::Range, [this] {
            m_fmod.PauseBreaked = true;
            ++m_repetition;
            replayRange();
        });
    } else if (m_timesLeft == 1) {
        lastRepetitionDone();
    } else if (m_timesLeft >= 2) {
        --m_timesLeft;
        m_fmod.PauseBreaked = false;
        waitFor(m_options.Pause, WaitKind::Range, [this] {
            m_fmod.PauseBreaked = true;
            replayRange();
        });
    }
}

void RecitationController::replayRange() {
    assignSlider(kCurrentSlider, m_range.RB, false);
    const VerseTime *begin = verseTime(m_range.RB);
    const VerseTime *end = verseTime(m_range.RE);
    if (begin != nullptr && end != nullptr) {
        playSection(begin->start, end->end);
    }
    m_view.applyVolume();
    m_currentVerse = m_range.CV;
    showCurrent();
}

void RecitationController::lastRepetitionDone() {
    if (m_range.CV != m_range.Max) {
        if (!m_options.NextRange) {
            stopFollowing();
            return;
        }
        m_fmod.PauseBreaked = false;
        waitFor(m_options.Pause, WaitKind::Range, [this] {
            m_fmod.PauseBreaked = true;
            rangeMoveForward();
        });
        return;
    }
    if (m_options.NextSura) {
        if (m_view.selectedSura() == 114) {
            stopFollowing();
            return;
        }
        m_fmod.PauseBreaked = false;
        waitFor(m_options.Pause, WaitKind::NextSura, [this] {
            m_fmod.PauseBreaked = true;
            nextSura();
        });
    } else if (m_options.RestartSura) {
        m_fmod.PauseBreaked = false;
        waitFor(m_options.Pause, WaitKind::Range, [this] {
            m_fmod.PauseBreaked = true;
            restartSura();
        });
    } else if (m_options.StopRecitation) {
        stopFollowing();
    }
    // None of the three set (a hand-edited store): the range end is seen and nothing happens.
}

void RecitationController::nextSura() {
    const bool wholeSura = m_range.RB == 0 && m_range.RE == m_range.Max;
    const int length = rangeLength();
    const int stops = m_stopCount;
    if (!m_view.selectSuraListIndex(m_view.suraListIndex() + 1)) {
        return;
    }
    if (stops != m_stopCount) {
        return;  // Stop was pressed while the sura loaded
    }
    if (!wholeSura && length <= m_range.Max) {
        assignSlider(kEndSlider, m_range.RB + length, true);
    }
    play();
}

void RecitationController::restartSura() {
    const int length = rangeLength();
    assignSlider(kBeginSlider, 0, true);
    assignSlider(kEndSlider, m_range.RB + length, true);
    play();
}

void RecitationController::stopFollowing() {
    m_following = false;
}

// ---- Waits --------------------------------------------------------------------------------------

void RecitationController::waitFor(int seconds, WaitKind kind, std::function<void()> continuation) {
    if (seconds <= 0 || m_stopWait) {
        continuation();
        return;
    }
    const int ms = std::min(seconds, kLongestWaitSeconds) * 1000;
    PendingWait wait;
    wait.kind = kind;
    wait.continuation = std::move(continuation);
    wait.deadline = m_scheduler.now() + ms;
    wait.nextSura = m_view.selectedSura() + 1;
    m_wait = std::move(wait);
    m_wait->timeoutId = m_scheduler.after(ms, [this] {
        m_wait->timeoutId = 0;
        finishWait();
    });
    m_wait->countdownId = m_scheduler.after(std::min(ms, kCountdownMs), [this] { countdown(); });
}

void RecitationController::countdown() {
    m_wait->countdownId = 0;
    const qint64 left = m_wait->deadline - m_scheduler.now();
    if (left > 0) {
        m_wait->countdownId =
            m_scheduler.after(int(std::min<qint64>(left, kCountdownMs)), [this] { countdown(); });
    }
    updateStatus();
}

void RecitationController::endWaitSoon() {
    if (!m_wait || m_wait->turnId != 0) {
        return;
    }
    m_scheduler.cancel(m_wait->timeoutId);
    m_scheduler.cancel(m_wait->countdownId);
    m_wait->timeoutId = 0;
    m_wait->countdownId = 0;
    // The command that ended the wait finishes first, as it would before a waiting loop returned.
    m_wait->turnId = m_scheduler.after(0, [this] {
        m_wait->turnId = 0;
        finishWait();
    });
}

void RecitationController::finishWait() {
    if (!m_wait) {
        return;
    }
    std::function<void()> continuation = std::move(m_wait->continuation);
    dropWait();
    continuation();
    settle();
}

void RecitationController::dropWait() {
    if (!m_wait) {
        return;
    }
    for (const int id : {m_wait->timeoutId, m_wait->countdownId, m_wait->turnId}) {
        if (id != 0) {
            m_scheduler.cancel(id);
        }
    }
    m_wait.reset();
}

// ---- Arming and status --------------------------------------------------------------------------

void RecitationController::settle() {
    if (m_wait && m_wait->turnId == 0 && (m_fmod.PauseBreaked || m_stopWait)) {
        endWaitSoon();
    }
    arm();
    updateStatus();
    m_textShown = false;
}

void RecitationController::disarm() {
    ++m_armGeneration;
    for (const int id : m_watchIds) {
        m_fmod.cancelWatch(id);
    }
    m_watchIds.clear();
}

void RecitationController::arm() {
    disarm();
    const bool flowing =
        m_fmod.PauseBreaked && !m_paused && !m_wait && m_fmod.isPlaying() && !m_view.suraLoading();
    const bool follow = flowing && m_following && Auto();
    if (!follow && m_safetyId != 0) {
        m_scheduler.cancel(m_safetyId);
        m_safetyId = 0;
    }
    if (!flowing) {
        return;
    }
    const int generation = m_armGeneration;
    const auto watch = [this, generation, follow](qint32 ms) {
        m_watchIds.push_back(m_fmod.watchPosition(ms, [this, generation, follow](qint32) {
            if (generation != m_armGeneration) {
                return;  // due in the same batch as a watch whose tick re-armed
            }
            if (follow) {
                tick();
            }
            settle();
        }));
    };
    if (!follow) {
        // A single verse: only the status line needs to see its end.
        if (m_fmod.EndPosition() > 0) {
            watch(m_fmod.EndPosition());
        }
        return;
    }
    const VerseTime *current = verseTime(m_currentVerse);
    if (m_range.CV != m_range.RE && current != nullptr) {
        watch(current->end);
    }
    if (const VerseTime *end = verseTime(m_range.RE)) {
        watch(end->end);
    }
    // A recitation file shorter than its timings ends the range at its own end.
    if (m_fmod.StreamLength() > 0) {
        watch(m_fmod.StreamLength());
    }
    if (m_safetyId == 0) {
        // Scheduled only while the sound runs; the last one comes after the sound stopped.
        m_safetyId = m_scheduler.after(kSafetyTickMs, [this] {
            m_safetyId = 0;
            tick();
            settle();
        });
    }
}

QString RecitationController::status() const {
    return m_status;
}

QString RecitationController::computeStatus() const {
    if (m_wait) {
        const qint64 left = std::max<qint64>(m_wait->deadline - m_scheduler.now(), 0);
        const qint64 seconds = (left + 999) / 1000;
        if (m_wait->kind == WaitKind::NextSura) {
            QString text = QStringLiteral("Next: sura %1").arg(m_wait->nextSura);
            if (seconds > 0 && m_wait->turnId == 0) {
                text += QStringLiteral(" in %1 s").arg(seconds);
            }
            return text;
        }
        return QStringLiteral("Pause %1 s").arg(seconds);
    }
    if (m_paused) {
        return QStringLiteral("Paused");
    }
    if (m_fmod.isPlaying() && suraSelected()) {
        QString text = QStringLiteral("Verse %1 of %2")
                           .arg(verseNumber(m_currentVerse))
                           .arg(verseNumber(m_range.Max));
        if (m_following && Auto()) {
            if (m_options.NoofTimes == 0) {
                text += QStringLiteral(" \u00b7 Repetition %1").arg(m_repetition);
            } else {
                const int done = std::max(m_options.NoofTimes - m_timesLeft + 1, 1);
                text += QStringLiteral(" \u00b7 Repetition %1 of %2")
                            .arg(std::min(done, m_options.NoofTimes))
                            .arg(m_options.NoofTimes);
            }
        }
        return text;
    }
    return m_stopped ? QStringLiteral("Stopped") : QString();
}

void RecitationController::updateStatus() {
    const QString text = computeStatus();
    if (text != m_status) {
        m_status = text;
        m_view.showStatus(m_status);
    }
}

}  // namespace varnelo
