#pragma once

#include "timingsbuilder.h"

#include <QList>
#include <QString>
#include <QtGlobal>

#include <vector>

namespace varnelo {

// Levels are measured over frames of this length.
inline constexpr int kLevelFrameMs = 10;

// Mean-square level of each 10 ms of a recitation, in dB (0 for digital silence), from samples
// fed in order.
class LevelMeter {
public:
    explicit LevelMeter(int rate) : m_rate(rate) {}
    // Adds frames of interleaved samples; the level is that of their mono mix.
    void add(const qint16 *interleaved, qint64 frames, int channels);
    // One level per 10 ms so far, a last partial frame included.
    std::vector<float> levels() const;

private:
    qint64 frameEnd() const { return (qint64(m_levels.size()) + 1) * m_rate / 100; }
    void closeFrame();

    int m_rate;
    qint64 m_sample = 0;
    qint64 m_inFrame = 0;
    double m_sum = 0;
    std::vector<float> m_levels;
};

// A stretch without speech, in ms of the recitation.
struct Pause {
    qint32 startMs = 0;
    qint32 endMs = 0;
    qint32 lengthMs() const { return endMs - startMs; }
};

struct RecitationPauses {
    QList<Pause> pauses;        // between the first and last speech, in order
    qint32 speechStartMs = -1;  // where speech starts and ends; -1 when no speech stands out
    qint32 speechEndMs = -1;
    qint32 lengthMs = 0;
};

// The pauses of a recitation from its 10 ms levels. The silence level comes from the recitation
// itself: it lies between the level of its quietest and of its loud frames, so that a room's noise
// counts as silence. Pauses are at least kMinPauseMs long; a click of up to 20 ms does not break
// one.
inline constexpr qint32 kMinPauseMs = 60;
RecitationPauses findPauses(const std::vector<float> &levels);

// How long a verse's text takes to say, relative to the others: its letters.
double spokenWeight(const QString &arabic);

struct VerseBoundaries {
    QList<VerseSpan> spoken;   // per verse index, from the first to the last of its speech
    QList<double> confidence;  // per verse index from 1: how sure its start is, 0 to 1
    QString error;
};

// Places the verse boundaries (one fewer than weights, one weight per verse index) in the pauses:
// the choice that best combines long pauses with verse lengths in proportion to the weights.
// A verse starts kSpeechMarginMs before its speech and its spoken end lies as far after it. Each
// boundary's confidence says how much better the choice is than the best one that puts that
// boundary elsewhere. Fails when the recitation has fewer pauses than boundaries.
inline constexpr qint32 kSpeechMarginMs = 20;
VerseBoundaries chooseVerseBoundaries(const RecitationPauses &pauses, const QList<double> &weights);

}  // namespace varnelo
