#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "mp3fixture.h"
#include "recitation/parametriceq.h"
#include "referencebiquad.h"

using namespace varnelo;
using varnelo::test::toneLevelDb;

namespace {

constexpr int kRate = 44100;

std::vector<double> sine(double freq, double amplitude, qint64 frames, int rate = kRate) {
    std::vector<double> out(size_t(frames) * 2);
    for (qint64 i = 0; i < frames; ++i) {
        out[size_t(2 * i)] = out[size_t(2 * i + 1)] =
            amplitude * std::sin(2 * std::numbers::pi * freq * double(i) / rate);
    }
    return out;
}

// Level in dBFS of freq (amplitude 0.1) in the right channel through an enabled equalizer with
// these gains, after it has settled (first 200 ms dropped), measured over whole periods.
double levelThrough(const EqGainTable &gains, double freq, int rate = kRate) {
    ParametricEq eq(rate);
    eq.setEnabled(true);
    eq.setGains(gains);
    const qint64 settle = rate / 5;
    const qint64 measure = rate;
    std::vector<double> pcm = sine(freq, 0.1, settle + measure, rate);
    eq.process(pcm.data(), settle + measure);
    std::vector<qint16> out(size_t(measure) * 2);
    MasterStage master(rate);
    master.process(pcm.data() + 2 * settle, out.data(), measure);
    return toneLevelDb(out.data(), measure, 2, 1, rate, freq);
}

EqGainTable oneBand(int band, float gain) {
    EqGainTable gains{};
    gains[size_t(band)] = gain;
    return gains;
}

// Largest magnitude in both channels of `frames` frames.
double peakOf(const double *pcm, qint64 frames) {
    double peak = 0;
    for (qint64 i = 0; i < 2 * frames; ++i) {
        peak = std::max(peak, std::abs(pcm[i]));
    }
    return peak;
}

}  // namespace

TEST(ParametricEq, CookbookPeakHasItsGainAtTheCentreAndHalfAtTheBandEdges) {
    for (const double rate : {44100.0, 48000.0}) {
        for (const double centre : kEqCentres) {
            const BiquadCoefficients c = peakingCoefficients(centre, 1.5, 12, rate);
            EXPECT_NEAR(biquadResponseDb(c, centre, rate), 12, 1e-9) << centre;
            // The pre-warped width is close to 1.5 octaves up to a quarter of the rate and only
            // somewhat wider above.
            const double edge = biquadResponseDb(c, centre / std::pow(2, 0.75), rate);
            if (centre < rate / 4) {
                EXPECT_NEAR(edge, 6, 0.6) << centre;
            } else {
                EXPECT_GT(edge, 6) << centre;
                EXPECT_LT(edge, 10) << centre;
            }
        }
    }
}

// Each band, boosted or cut, filters noise as the cookbook filter does, and a band at 0 dB is the
// identity.
TEST(ParametricEq, EachBandFiltersAsTheTextbookPeakDoes) {
    std::vector<double> noise(size_t(kRate / 10) * 2);
    quint32 state = 11;
    for (double &x : noise) {
        state = state * 1664525u + 1013904223u;
        x = (double(state >> 8) / double(1 << 24) - 0.5) * 0.5;
    }
    for (int band = 0; band < ParametricEq::kBands; ++band) {
        for (const float gain : {7.5f, -12.0f, 0.0f}) {
            ParametricEq eq(kRate);
            eq.setEnabled(true);
            eq.setGains(oneBand(band, gain));
            eq.reset();
            std::vector<double> filtered = noise;
            eq.process(filtered.data(), qint64(noise.size() / 2));
            test::ReferencePeak left(kEqCentres[size_t(band)], 1.5, gain, kRate);
            test::ReferencePeak right(kEqCentres[size_t(band)], 1.5, gain, kRate);
            double worst = 0;
            for (size_t i = 0; i < noise.size(); i += 2) {
                worst = std::max(worst, std::abs(filtered[i] - left.step(noise[i])));
                worst = std::max(worst, std::abs(filtered[i + 1] - right.step(noise[i + 1])));
            }
            EXPECT_LT(worst, 1e-9) << kEqCentres[size_t(band)] << " Hz at " << gain << " dB";
            if (gain == 0) {
                EXPECT_EQ(filtered, noise);
            }
        }
    }
}

TEST(ParametricEq, EachBandBoostsAndCutsItsCentreAndLeavesFarBandsAlone) {
    for (int band = 0; band < ParametricEq::kBands; ++band) {
        const double centre = kEqCentres[size_t(band)];
        // A tone three octaves away (or more) from the band.
        const double far = centre >= 1000 ? 100 : 8000;
        for (const float gain : {9.0f, -9.0f}) {
            EXPECT_NEAR(levelThrough(oneBand(band, gain), centre), -20 + gain, 1.0) << centre;
            EXPECT_NEAR(levelThrough(oneBand(band, gain), far), -20, 0.5) << centre << " " << far;
        }
    }
}

TEST(ParametricEq, OffOrFlatPassesSamplesUnchangedAndBandsAboveNyquistStayFlat) {
    const std::vector<double> input = sine(997, 0.7, 4096);
    std::vector<double> pcm = input;
    ParametricEq off(kRate);
    off.setGains(oneBand(4, 12));
    off.process(pcm.data(), 4096);
    EXPECT_EQ(pcm, input);

    ParametricEq flat(kRate);
    flat.setEnabled(true);
    flat.process(pcm.data(), 4096);
    EXPECT_EQ(pcm, input);

    // At 22.05 kHz a 16 kHz band cannot exist; a 10 kHz tone stays as it was.
    EXPECT_NEAR(levelThrough(oneBand(9, 12), 10000, 22050), -20, 0.3);
}

TEST(ParametricEq, GainChangesAndSwitchingGlideWithoutJumps) {
    ParametricEq eq(kRate);
    eq.setEnabled(true);
    const qint64 frames = kRate / 2;
    std::vector<double> pcm = sine(1000, 0.1, frames);
    eq.process(pcm.data(), 2205);  // 50 ms flat
    eq.setGains(oneBand(4, 12));
    eq.process(pcm.data() + 2 * 2205, frames - 2205);
    // The boost builds up over milliseconds: the first period after the change is still close
    // to the old level, and nothing overshoots the new one.
    EXPECT_LT(peakOf(pcm.data() + 2 * 2205, 44), 0.2);
    EXPECT_LT(peakOf(pcm.data(), frames), 0.1 * std::pow(10, 12 / 20.0) * 1.05);
    // Switching off glides back to flat, then passes samples unchanged.
    eq.setEnabled(false);
    std::vector<double> after = sine(1000, 0.1, frames);
    const std::vector<double> input = after;
    eq.process(after.data(), frames);
    EXPECT_NE(after[2], input[2]);
    EXPECT_EQ(after[size_t(2 * (frames - 1))], input[size_t(2 * (frames - 1))]);
}

TEST(MasterStage, VolumeScalesAndTheLimiterKeepsBoostsInsideFullScale) {
    const qint64 frames = kRate / 2;
    std::vector<double> pcm = sine(1000, 0.5, frames);
    std::vector<qint16> out(size_t(frames) * 2);
    MasterStage master(kRate);
    master.process(pcm.data(), out.data(), frames);
    EXPECT_NEAR(toneLevelDb(out.data(), frames, 2, 0, kRate, 1000), -6.02, 0.05);
    master.setGain(128.0 / 255);
    master.reset();
    master.process(pcm.data(), out.data(), frames);
    EXPECT_NEAR(toneLevelDb(out.data(), frames, 2, 0, kRate, 1000), -6.02 - 5.99, 0.05);

    // All ten bands boosted on a loud tone: peaks touch full scale but are not flattened
    // against it (after the first 5 ms, never three samples in a row at the rails) and the result
    // stays loud (limited, not wrapped or silenced).
    ParametricEq eq(kRate);
    eq.setEnabled(true);
    EqGainTable boost;
    boost.fill(15);
    eq.setGains(boost);
    eq.reset();
    std::vector<double> loud = sine(1000, 0.9, frames);
    eq.process(loud.data(), frames);
    MasterStage limited(kRate);
    limited.process(loud.data(), out.data(), frames);
    auto rail = [&](size_t i) { return out[i] >= 32767 || out[i] <= -32767; };
    int flattened = 0;
    for (size_t i = 2 * 220 + 4; i < out.size(); ++i) {
        flattened += (rail(i) && rail(i - 2) && rail(i - 4)) ? 1 : 0;
    }
    EXPECT_EQ(flattened, 0);
    EXPECT_GT(toneLevelDb(out.data() + kRate / 2, frames - kRate / 4, 2, 0, kRate, 1000), -3.0);
}

TEST(ParametricEq, SilenceAfterSoundNeverDecaysIntoSubnormals) {
    const auto subnormals = [](const std::vector<double> &pcm) {
        return std::count_if(pcm.begin(), pcm.end(),
                             [](double v) { return std::fpclassify(v) == FP_SUBNORMAL; });
    };
    // Each band alone (its output is its memory once the input is silent), then all together.
    std::vector<EqGainTable> settings;
    for (int band = 0; band < ParametricEq::kBands; ++band) {
        settings.push_back(oneBand(band, band % 2 ? -15.0f : 15.0f));
    }
    settings.push_back({-8, 10, 10, 6, 2, -4, -8, -10, -11, -11});
    for (const int rate : {44100, 48000}) {
        for (const EqGainTable &gains : settings) {
            ParametricEq eq(rate);
            eq.setEnabled(true);
            eq.setGains(gains);
            eq.reset();
            std::vector<double> pcm(size_t(rate) * 2, 0.0);
            pcm[0] = pcm[1] = 1.0;
            eq.process(pcm.data(), rate);
            EXPECT_EQ(subnormals(pcm), 0) << rate;
            for (int second = 0; second < 8; ++second) {
                std::fill(pcm.begin(), pcm.end(), 0.0);
                eq.process(pcm.data(), rate);
                EXPECT_EQ(subnormals(pcm), 0) << rate << " second " << second;
            }
            // The memories ended at zero: nothing of the impulse is left.
            EXPECT_EQ(pcm.back(), 0.0);
        }
    }

    // A flat band is still the identity, bit for bit, after the flushing.
    ParametricEq flat(kRate);
    flat.setEnabled(true);
    flat.setGains(oneBand(3, 0));
    const std::vector<double> input = sine(440, 1e-12, 8192);
    std::vector<double> pcm = input;
    flat.process(pcm.data(), 8192);
    EXPECT_EQ(pcm, input);
}
