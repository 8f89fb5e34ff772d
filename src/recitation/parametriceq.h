#pragma once

#include <QtGlobal>

#include <array>

namespace varnelo {

// Gains of the ten equalizer bands in dB, band order as kEqCentres.
using EqGainTable = std::array<float, 10>;

inline constexpr std::array<double, 10> kEqCentres = {80,   170,  310,   600,   1000,
                                                      3000, 6000, 12000, 14000, 16000};
// Every band is 18 semitones wide.
inline constexpr double kEqBandwidthOctaves = 1.5;

// Coefficients of one peaking biquad, normalised so that a0 = 1.
struct BiquadCoefficients {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
};

// Peaking filter of the audio-EQ cookbook with the bandwidth given in octaves between the
// -gain/2 points; the bandwidth is pre-warped (w0 / sin w0) so bands near Nyquist keep their
// width. The gain at the centre is exactly gainDb.
BiquadCoefficients peakingCoefficients(double centreHz, double bandwidthOctaves, double gainDb,
                                       double sampleRate);
// Magnitude response of a biquad in dB at freq.
double biquadResponseDb(const BiquadCoefficients &c, double freq, double sampleRate);

// Whether a band's centre is safely below Nyquist; a band that is not stays flat.
bool eqBandCarried(int band, double sampleRate);
using EqCoefficientTable = std::array<BiquadCoefficients, 10>;
// The coefficients the filter settles on for these gains; a flat or uncarried band passes all.
EqCoefficientTable equalizerCoefficients(const EqGainTable &gainsDb, double sampleRate);
// Combined magnitude response in dB at freq of the ten bands.
double equalizerResponseDb(const EqCoefficientTable &bands, double freq, double sampleRate);
double equalizerResponseDb(const EqGainTable &gainsDb, double freq, double sampleRate);

// Ten peaking bands per channel on interleaved stereo, in double precision. Gain changes and
// switching on or off glide over about 20 ms, so no change clicks; a band at 0 dB costs nothing.
class ParametricEq {
public:
    static constexpr int kBands = 10;

    explicit ParametricEq(int sampleRate = 44100);

    // Sets the rate of what follows and clears the filter memories (a new stream).
    void setSampleRate(int sampleRate);
    int sampleRate() const { return m_rate; }
    // Switched off, every band glides to 0 dB and the filter then passes samples unchanged.
    void setEnabled(bool enabled);
    bool isEnabled() const { return m_enabled; }
    // New target gains in dB; bands whose centre the sample rate cannot carry stay flat.
    void setGains(const EqGainTable &gainsDb);
    const EqGainTable &gains() const { return m_targets; }
    // Clears the filter memories and jumps to the target gains (after a seek).
    void reset();
    // Filters `frames` stereo pairs in place.
    void process(double *interleaved, qint64 frames);

private:
    struct Band {
        BiquadCoefficients c;
        double current = 0;  // dB now applied
        std::array<double, 2> z1{}, z2{};
    };

    double effectiveTarget(int band) const;
    void updateCoefficients(Band &band, int index);

    int m_rate;
    bool m_enabled = false;
    EqGainTable m_targets{};
    std::array<Band, kBands> m_bands{};
};

// Master volume after the equalizer, and a peak limiter that keeps the result inside full scale
// when boosted bands would clip. Converts to 16-bit.
class MasterStage {
public:
    explicit MasterStage(int sampleRate = 44100);

    void setSampleRate(int sampleRate);
    // Linear gain 0..1; changes glide over a few milliseconds.
    void setGain(double gain);
    double gain() const { return m_target; }
    // Jumps to the target gain and releases the limiter (after a seek).
    void reset();
    // Applies gain and limiter to `frames` stereo pairs and writes them as 16-bit samples.
    void process(const double *interleaved, qint16 *out, qint64 frames);

private:
    double m_target = 1;
    double m_gain = 1;
    double m_smoothing = 0;
    double m_release = 0;
    double m_envelope = 0;
};

}  // namespace varnelo
