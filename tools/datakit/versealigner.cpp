#include "versealigner.h"

#include "recitation.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace varnelo {

namespace {

constexpr double kNone = -std::numeric_limits<double>::infinity();

// Where the silence level lies between the quietest frames (5th percentile) and the loud ones
// (90th): pauses are found below the higher level, and their edges moved to where the lower one
// is crossed, so that a verse's soft first and last sounds stay with it.
constexpr double kPauseLevel = 0.4;
constexpr double kEdgeLevel = 0.2;
// Loud frames less than this far above the quiet ones: no speech to tell apart.
constexpr double kMinRangeDb = 15;
// Sound in this few frames between two quiet stretches is a click, not speech: 20 ms of it can
// touch three.
constexpr int kClickFrames = 3;

// Weight of a verse's length against the pauses': a verse half or twice its expected length
// costs about as much as taking a pause a quarter as long as another.
constexpr double kLengthWeight = 2.0;
// Verses one stretch of speech may hold: a reciter may join up to three without a pause. A
// boundary without a pause scores as a pause of 20 ms would.
constexpr int kMaxJoined = 3;
const double kJoinedScore = std::log(20.0);
// A boundary's alternatives are pauses at least this far from the chosen one.
constexpr qint32 kElsewhereMs = 100;

float percentile(std::vector<float> values, double p) {
    const size_t at = std::min(values.size() - 1, size_t(p * double(values.size())));
    std::nth_element(values.begin(), values.begin() + qsizetype(at), values.end());
    return values[at];
}

// The fit of verse boundaries to pauses. Boundary b follows verse b; a stretch of speech runs
// from one boundary in a pause to the next boundary in a pause (or from the start of the speech,
// or to its end) and holds the verses between, joined when more than one. forward(b, j) is the
// best score of everything up to boundary b in pause j, backward(b, j) that of everything after.
class BoundaryFit {
public:
    BoundaryFit(const RecitationPauses &p, const QList<double> &weights, double spread);

    // Fills both tables; false when no choice keeps every stretch within the spread.
    bool run();
    // The pause of each boundary, -1 for one without a pause.
    std::vector<int> choice() const;
    // Per boundary, 0 to 1: how far the best choice beats the best that moves the boundary.
    std::vector<double> confidence(const std::vector<int> &chosen) const;

private:
    struct Step {
        int boundary = -1;
        int pause = -1;
    };

    size_t cell(int b, int j) const { return size_t(b) * size_t(m_count) + size_t(j); }
    double before(int b, int j) const { return b < 0 ? 0 : m_forward[cell(b, j)]; }
    double after(int b, int j) const {
        return b == m_boundaries ? 0 : m_gain[size_t(j)] + m_backward[cell(b, j)];
    }
    // Score of a stretch of ms holding `verses` verses that are expected to take e^logExpected
    // ms: kNone when outside the spread.
    double stretchScore(int verses, qint32 ms, double logExpected) const;
    // Joined verses must keep closer to their length: the join is itself the less likely case.
    double logSpread(int verses) const { return verses == 1 ? m_logSpread : m_logSpread / 2; }
    double logExpected(int p, int q) const {
        return std::log(m_expectedSum[size_t(q) + 1] - m_expectedSum[size_t(p) + 1]);
    }
    // Calls visit(p, i, score) for every stretch that ends at boundary q in pause l (q past the
    // last boundary: at the end of the speech), from boundary p in pause i (p = -1: the start).
    template <typename Visit>
    void stretchesTo(int q, int l, Visit visit) const;
    // Calls visit(q, l, score) for every stretch from boundary p in pause i.
    template <typename Visit>
    void stretchesFrom(int p, int i, Visit visit) const;

    const QList<Pause> &m_pauses;
    qint32 m_from;
    qint32 m_to;
    double m_logSpread;
    int m_boundaries;
    int m_count;
    std::vector<double> m_gain;         // per pause
    std::vector<double> m_expectedSum;  // ms the verses before each verse are expected to take
    std::vector<double> m_logMs;        // of each whole 10 ms of the speech's length
    std::vector<double> m_forward;
    std::vector<double> m_backward;
    std::vector<Step> m_previous;
    std::vector<double> m_joined;  // per boundary: the best score with it in no pause
    double m_best = kNone;
    Step m_bestPrevious;
};

BoundaryFit::BoundaryFit(const RecitationPauses &p, const QList<double> &weights, double spread)
    : m_pauses(p.pauses),
      m_from(p.speechStartMs),
      m_to(p.speechEndMs),
      m_logSpread(std::log(spread)),
      m_boundaries(int(weights.size()) - 1),
      m_count(int(p.pauses.size())) {
    // Speaking time per weight: the speech less the longest pauses, as many as boundaries.
    std::vector<qint32> lengths;
    for (const Pause &pause : m_pauses) {
        m_gain.push_back(std::log(double(pause.lengthMs())));
        lengths.push_back(pause.lengthMs());
    }
    std::sort(lengths.begin(), lengths.end(), std::greater<>());
    double speech = m_to - m_from;
    for (size_t b = 0; b < lengths.size() && b < size_t(m_boundaries); ++b) {
        speech -= lengths[b];
    }
    double total = 0;
    for (double w : weights) {
        total += w;
    }
    m_expectedSum.push_back(0);
    for (double w : weights) {
        m_expectedSum.push_back(m_expectedSum.back() +
                                std::max(speech * w / total, double(kLevelFrameMs)));
    }
    for (qint32 ms = 0; ms <= m_to - m_from; ms += kLevelFrameMs) {
        m_logMs.push_back(std::log(double(std::max(ms, kLevelFrameMs))));
    }
    const size_t cells = size_t(m_boundaries) * size_t(m_count);
    m_forward.assign(cells, kNone);
    m_backward.assign(cells, kNone);
    m_previous.assign(cells, Step{});
}

double BoundaryFit::stretchScore(int verses, qint32 ms, double logExpected) const {
    const double off =
        m_logMs[size_t(std::clamp(ms / kLevelFrameMs, 0, int(m_logMs.size()) - 1))] - logExpected;
    if (std::abs(off) > logSpread(verses)) {
        return kNone;
    }
    // Each verse of a joined stretch is taken to be as far off as the whole.
    return -verses * kLengthWeight * off * off + (verses - 1) * kJoinedScore;
}

template <typename Visit>
void BoundaryFit::stretchesTo(int q, int l, Visit visit) const {
    const qint32 end = q == m_boundaries ? m_to : m_pauses[l].startMs;
    for (int p = q - 1; p >= -1 && q - p <= kMaxJoined; --p) {
        const double expected = logExpected(p, q);
        if (p < 0) {
            visit(p, -1, stretchScore(q - p, end - m_from, expected));
            continue;
        }
        // Earlier pauses make the stretch longer: stop once it is too long.
        const double longest = std::exp(expected + logSpread(q - p));
        for (int i = (q == m_boundaries ? m_count : l) - 1; i >= 0; --i) {
            const qint32 ms = end - m_pauses[i].endMs;
            if (ms > longest) {
                break;
            }
            if (m_forward[cell(p, i)] > kNone) {
                visit(p, i, stretchScore(q - p, ms, expected));
            }
        }
    }
}

template <typename Visit>
void BoundaryFit::stretchesFrom(int p, int i, Visit visit) const {
    const qint32 start = p < 0 ? m_from : m_pauses[i].endMs;
    for (int q = p + 1; q <= m_boundaries && q - p <= kMaxJoined; ++q) {
        const double expected = logExpected(p, q);
        if (q == m_boundaries) {
            visit(q, -1, stretchScore(q - p, m_to - start, expected));
            continue;
        }
        const double longest = std::exp(expected + logSpread(q - p));
        for (int l = p < 0 ? 0 : i + 1; l < m_count; ++l) {
            const qint32 ms = m_pauses[l].startMs - start;
            if (ms > longest) {
                break;
            }
            if (m_backward[cell(q, l)] > kNone) {
                visit(q, l, stretchScore(q - p, ms, expected));
            }
        }
    }
}

bool BoundaryFit::run() {
    for (int q = 0; q <= m_boundaries; ++q) {
        for (int l = 0; l < (q == m_boundaries ? 1 : m_count); ++l) {
            double best = kNone;
            Step from;
            stretchesTo(q, l, [&](int p, int i, double score) {
                if (before(p, i) + score > best) {
                    best = before(p, i) + score;
                    from = {p, i};
                }
            });
            if (q == m_boundaries) {
                m_best = best;
                m_bestPrevious = from;
            } else {
                m_forward[cell(q, l)] = best + m_gain[size_t(l)];
                m_previous[cell(q, l)] = from;
            }
        }
    }
    // Only what the start reaches matters; the rest stays kNone. On the way, the best choice
    // that leaves each boundary without a pause.
    m_joined.assign(size_t(m_boundaries), kNone);
    for (int p = m_boundaries - 1; p >= -1; --p) {
        for (int i = p < 0 ? -1 : 0; i < (p < 0 ? 0 : m_count); ++i) {
            if (before(p, i) == kNone) {
                continue;
            }
            double best = kNone;
            stretchesFrom(p, i, [&](int q, int l, double score) {
                best = std::max(best, score + after(q, l));
                for (int b = p + 1; b < q; ++b) {
                    m_joined[size_t(b)] =
                        std::max(m_joined[size_t(b)], before(p, i) + score + after(q, l));
                }
            });
            if (p >= 0) {
                m_backward[cell(p, i)] = best;
            }
        }
    }
    return m_best > kNone;
}

std::vector<int> BoundaryFit::choice() const {
    std::vector<int> chosen(static_cast<size_t>(m_boundaries), -1);
    for (Step at = m_bestPrevious; at.boundary >= 0; at = m_previous[cell(at.boundary, at.pause)]) {
        chosen[size_t(at.boundary)] = at.pause;
    }
    return chosen;
}

std::vector<double> BoundaryFit::confidence(const std::vector<int> &chosen) const {
    std::vector<double> result;
    for (int b = 0; b < m_boundaries; ++b) {
        if (chosen[size_t(b)] < 0) {
            result.push_back(0);  // placed by the text alone
            continue;
        }
        const Pause &at = m_pauses[chosen[size_t(b)]];
        double other = m_joined[size_t(b)];
        for (int j = 0; j < m_count; ++j) {
            const Pause &pause = m_pauses[j];
            if (pause.endMs < at.startMs - kElsewhereMs ||
                pause.startMs > at.endMs + kElsewhereMs) {
                other = std::max(other, before(b, j) + m_backward[cell(b, j)]);
            }
        }
        // A margin of ln 2, an alternative whose pause is half as long and that fits the text
        // as well, gives one half.
        result.push_back(other == kNone ? 1.0
                                        : 1.0 - std::pow(0.5, (m_best - other) / std::log(2.0)));
    }
    return result;
}

}  // namespace

void LevelMeter::add(const qint16 *interleaved, qint64 frames, int channels) {
    for (qint64 i = 0; i < frames; ++i) {
        double mono = 0;
        for (int c = 0; c < channels; ++c) {
            mono += interleaved[i * channels + c];
        }
        mono /= channels;
        m_sum += mono * mono;
        ++m_inFrame;
        if (++m_sample >= frameEnd()) {
            closeFrame();
        }
    }
}

void LevelMeter::closeFrame() {
    m_levels.push_back(float(10 * std::log10(1 + m_sum / double(qMax<qint64>(m_inFrame, 1)))));
    m_sum = 0;
    m_inFrame = 0;
}

std::vector<float> LevelMeter::levels() const {
    LevelMeter rest = *this;
    if (rest.m_inFrame > 0) {
        rest.closeFrame();
    }
    return rest.m_levels;
}

RecitationPauses findPauses(const std::vector<float> &levels) {
    RecitationPauses result;
    const int frames = int(levels.size());
    result.lengthMs = frames * kLevelFrameMs;
    if (frames == 0) {
        return result;
    }
    const double quiet = percentile(levels, 0.05);
    const double range = percentile(levels, 0.9) - quiet;
    if (range < kMinRangeDb) {
        return result;
    }
    const double pauseLevel = quiet + kPauseLevel * range;
    const double edgeLevel = std::min(pauseLevel, std::max(quiet + kEdgeLevel * range, quiet + 6));
    int firstLoud = 0;
    while (firstLoud < frames && levels[size_t(firstLoud)] < pauseLevel) {
        ++firstLoud;
    }
    int lastLoud = frames - 1;
    while (lastLoud > firstLoud && levels[size_t(lastLoud)] < pauseLevel) {
        --lastLoud;
    }
    const auto loud = [&](int f, double level) { return levels[size_t(f)] >= level; };
    int from = firstLoud;
    while (from > 0 && loud(from - 1, edgeLevel)) {
        --from;
    }
    int to = lastLoud + 1;
    while (to < frames && loud(to, edgeLevel)) {
        ++to;
    }
    result.speechStartMs = from * kLevelFrameMs;
    result.speechEndMs = to * kLevelFrameMs;

    // Quiet stretches between the first and last loud frames, clicks bridged.
    QList<QPair<int, int>> stretches;
    for (int f = firstLoud; f <= lastLoud;) {
        if (loud(f, pauseLevel)) {
            ++f;
            continue;
        }
        int end = f;
        while (end <= lastLoud && !loud(end, pauseLevel)) {
            ++end;
        }
        if (!stretches.isEmpty() && f - stretches.last().second <= kClickFrames) {
            stretches.last().second = end;
        } else {
            stretches.append({f, end});
        }
        f = end;
    }
    for (auto [start, end] : stretches) {
        int quietStart = start;
        while (quietStart < end && loud(quietStart, edgeLevel)) {
            ++quietStart;
        }
        int quietEnd = end;
        while (quietEnd > quietStart && loud(quietEnd - 1, edgeLevel)) {
            --quietEnd;
        }
        // No frame as quiet as the edge level (a noisy pause): keep the whole stretch.
        if (quietStart < quietEnd) {
            start = quietStart;
            end = quietEnd;
        }
        if ((end - start) * kLevelFrameMs >= kMinPauseMs) {
            result.pauses.append({start * kLevelFrameMs, end * kLevelFrameMs});
        }
    }
    return result;
}

double spokenWeight(const QString &arabic) {
    double letters = 0;
    for (QChar c : speakableArabic(arabic)) {
        if (c.unicode() >= 0x0621 && c.unicode() <= 0x064A) {
            ++letters;
        }
    }
    // A verse of one or two letters is still a breath's worth of sound.
    return letters + 3;
}

VerseBoundaries chooseVerseBoundaries(const RecitationPauses &p, const QList<double> &weights) {
    VerseBoundaries result;
    const int boundaries = int(weights.size()) - 1;
    if (boundaries < 0) {
        result.error = QStringLiteral("no verses to align");
        return result;
    }
    if (p.speechStartMs < 0) {
        result.error = QStringLiteral("no speech stands out from the silence");
        return result;
    }
    std::vector<int> chosen;
    std::vector<double> confidence;
    if (boundaries > 0) {
        // A stretch may first take a quarter to four times its expected length; wider only when
        // no choice fits so.
        for (double spread : {4.0, 16.0, 64.0}) {
            BoundaryFit fit(p, weights, spread);
            if (fit.run()) {
                chosen = fit.choice();
                confidence = fit.confidence(chosen);
                break;
            }
        }
        const auto joined = std::count(chosen.cbegin(), chosen.cend(), -1);
        if (chosen.empty() || joined * 4 > boundaries) {
            result.error = QStringLiteral(
                               "%1 pause(s) in the recitation fit only %2 of its %3 "
                               "verse boundaries")
                               .arg(p.pauses.size())
                               .arg(chosen.empty() ? 0 : boundaries - joined)
                               .arg(boundaries);
            return result;
        }
    }
    // Verses joined without a pause share their stretch of speech in proportion to their weights.
    qint32 start = std::max(0, p.speechStartMs - kSpeechMarginMs);
    qint32 speechFrom = p.speechStartMs;
    for (int b = 0; b < boundaries; ++b) {
        result.confidence.append(confidence[size_t(b)]);
        if (chosen[size_t(b)] < 0) {
            int next = b + 1;
            while (next < boundaries && chosen[size_t(next)] < 0) {
                ++next;
            }
            const qint32 speechTo =
                next < boundaries ? p.pauses[chosen[size_t(next)]].startMs : p.speechEndMs;
            double ahead = 0;
            for (int v = b + 1; v <= next; ++v) {
                ahead += weights[v];
            }
            const qint32 at =
                speechFrom +
                qint32(std::lround((speechTo - speechFrom) * weights[b] / (weights[b] + ahead)));
            result.spoken.append({start, at});
            start = at;
            speechFrom = at;
            continue;
        }
        const Pause &pause = p.pauses[chosen[size_t(b)]];
        const qint32 middle = pause.startMs + pause.lengthMs() / 2;
        result.spoken.append({start, std::min(pause.startMs + kSpeechMarginMs, middle)});
        start = std::max(pause.endMs - kSpeechMarginMs, middle);
        speechFrom = pause.endMs;
    }
    result.spoken.append({start, std::min(p.speechEndMs + kSpeechMarginMs, p.lengthMs)});
    return result;
}

}  // namespace varnelo
