#include "recitation/parametriceq.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace varnelo {

namespace {

// Gains glide in steps once per block, a fifth of the remaining distance each (about 20 ms to
// settle at 44.1 kHz).
constexpr int kRampBlock = 32;
constexpr double kRampFraction = 0.2;
constexpr double kSettledDb = 0.005;
// A far jump glides no faster than this per block: a large step of a filter's coefficients
// sends a transient through its memories that shows as a click.
constexpr double kMaxRampStepDb = 1.0;
// A band needs its centre safely below Nyquist.
constexpr double kHighestCentreOfNyquist = 0.9;
// Largest magnitude the 16-bit output carries on both sides.
constexpr double kFullScale = 32767.0 / 32768.0;
constexpr double kVolumeGlideSeconds = 0.005;
constexpr double kLimiterReleaseSeconds = 0.1;
// Filter memories below this (about -300 dB) are silence; left alone they decay into subnormal
// numbers, which some processors handle a hundred times slower.
constexpr double kSilentState = 1e-15;

double flushedState(double z) {
    return std::abs(z) < kSilentState ? 0.0 : z;
}

}  // namespace

BiquadCoefficients peakingCoefficients(double centreHz, double bandwidthOctaves, double gainDb,
                                       double sampleRate) {
    const double a = std::pow(10.0, gainDb / 40.0);
    const double w0 = 2 * std::numbers::pi * centreHz / sampleRate;
    const double sinW0 = std::sin(w0);
    const double alpha = sinW0 * std::sinh(std::numbers::ln2 / 2 * bandwidthOctaves * w0 / sinW0);
    const double a0 = 1 + alpha / a;
    BiquadCoefficients c;
    c.b0 = (1 + alpha * a) / a0;
    c.b1 = -2 * std::cos(w0) / a0;
    c.b2 = (1 - alpha * a) / a0;
    c.a1 = c.b1;
    c.a2 = (1 - alpha / a) / a0;
    return c;
}

double biquadResponseDb(const BiquadCoefficients &c, double freq, double sampleRate) {
    const std::complex<double> z1 = std::polar(1.0, -2 * std::numbers::pi * freq / sampleRate);
    const std::complex<double> z2 = z1 * z1;
    const std::complex<double> h = (c.b0 + c.b1 * z1 + c.b2 * z2) / (1.0 + c.a1 * z1 + c.a2 * z2);
    return 20 * std::log10(std::abs(h));
}

bool eqBandCarried(int band, double sampleRate) {
    return kEqCentres[size_t(band)] < kHighestCentreOfNyquist * sampleRate / 2;
}

EqCoefficientTable equalizerCoefficients(const EqGainTable &gainsDb, double sampleRate) {
    EqCoefficientTable bands{};
    for (int band = 0; band < ParametricEq::kBands; ++band) {
        const double gain = gainsDb[size_t(band)];
        if (gain != 0 && eqBandCarried(band, sampleRate))
            bands[size_t(band)] = peakingCoefficients(kEqCentres[size_t(band)], kEqBandwidthOctaves,
                                                      gain, sampleRate);
    }
    return bands;
}

double equalizerResponseDb(const EqCoefficientTable &bands, double freq, double sampleRate) {
    // |H|^2 of each band in real arithmetic from cos w and cos 2w, and one logarithm for the
    // product: the curve asks at hundreds of points each time a band moves.
    const double w = 2 * std::numbers::pi * freq / sampleRate;
    const double cos1 = std::cos(w);
    const double cos2 = 2 * cos1 * cos1 - 1;
    double power = 1;
    for (const BiquadCoefficients &c : bands) {
        const double num = c.b0 * c.b0 + c.b1 * c.b1 + c.b2 * c.b2 +
                           2 * (c.b0 * c.b1 + c.b1 * c.b2) * cos1 + 2 * c.b0 * c.b2 * cos2;
        const double den =
            1 + c.a1 * c.a1 + c.a2 * c.a2 + 2 * (c.a1 + c.a1 * c.a2) * cos1 + 2 * c.a2 * cos2;
        power *= num / den;
    }
    return 10 * std::log10(power);
}

double equalizerResponseDb(const EqGainTable &gainsDb, double freq, double sampleRate) {
    return equalizerResponseDb(equalizerCoefficients(gainsDb, sampleRate), freq, sampleRate);
}

ParametricEq::ParametricEq(int sampleRate) : m_rate(sampleRate) {}

void ParametricEq::setSampleRate(int sampleRate) {
    m_rate = sampleRate;
    reset();
}

void ParametricEq::setEnabled(bool enabled) {
    m_enabled = enabled;
}

void ParametricEq::setGains(const EqGainTable &gainsDb) {
    m_targets = gainsDb;
}

double ParametricEq::effectiveTarget(int band) const {
    if (!m_enabled || !eqBandCarried(band, m_rate)) {
        return 0;
    }
    return m_targets[size_t(band)];
}

void ParametricEq::updateCoefficients(Band &band, int index) {
    band.c =
        peakingCoefficients(kEqCentres[size_t(index)], kEqBandwidthOctaves, band.current, m_rate);
}

void ParametricEq::reset() {
    for (int i = 0; i < kBands; ++i) {
        Band &band = m_bands[size_t(i)];
        band.current = effectiveTarget(i);
        band.z1 = {};
        band.z2 = {};
        updateCoefficients(band, i);
    }
}

void ParametricEq::process(double *interleaved, qint64 frames) {
    for (qint64 start = 0; start < frames; start += kRampBlock) {
        const qint64 count = std::min<qint64>(kRampBlock, frames - start);
        double *block = interleaved + 2 * start;
        for (int i = 0; i < kBands; ++i) {
            Band &band = m_bands[size_t(i)];
            const double target = effectiveTarget(i);
            if (band.current != target) {
                const double step = std::clamp((target - band.current) * kRampFraction,
                                               -kMaxRampStepDb, kMaxRampStepDb);
                band.current =
                    std::abs(target - band.current) < kSettledDb ? target : band.current + step;
                updateCoefficients(band, i);
            }
            if (band.current == 0) {
                // Flat: exactly the identity, so the memories restart from silence.
                band.z1 = {};
                band.z2 = {};
                continue;
            }
            const BiquadCoefficients c = band.c;
            // Both channels in one pass: each sample waits on the one before it, and two
            // independent chains keep the processor busy while it waits.
            double l1 = band.z1[0];
            double l2 = band.z2[0];
            double r1 = band.z1[1];
            double r2 = band.z2[1];
            for (qint64 n = 0; n < count; ++n) {
                const double xl = block[2 * n];
                const double xr = block[2 * n + 1];
                const double yl = c.b0 * xl + l1;
                const double yr = c.b0 * xr + r1;
                l1 = c.b1 * xl - c.a1 * yl + l2;
                r1 = c.b1 * xr - c.a1 * yr + r2;
                l2 = c.b2 * xl - c.a2 * yl;
                r2 = c.b2 * xr - c.a2 * yr;
                block[2 * n] = yl;
                block[2 * n + 1] = yr;
            }
            // Once per block is enough: no band decays from kSilentState to the subnormal range
            // within one block.
            band.z1 = {flushedState(l1), flushedState(r1)};
            band.z2 = {flushedState(l2), flushedState(r2)};
        }
    }
}

MasterStage::MasterStage(int sampleRate) {
    setSampleRate(sampleRate);
}

void MasterStage::setSampleRate(int sampleRate) {
    m_smoothing = 1 - std::exp(-1.0 / (kVolumeGlideSeconds * sampleRate));
    m_release = std::exp(-1.0 / (kLimiterReleaseSeconds * sampleRate));
    reset();
}

void MasterStage::setGain(double gain) {
    m_target = std::clamp(gain, 0.0, 1.0);
}

void MasterStage::reset() {
    m_gain = m_target;
    m_envelope = 0;
}

void MasterStage::process(const double *interleaved, qint16 *out, qint64 frames) {
    for (qint64 n = 0; n < frames; ++n) {
        if (m_gain != m_target) {
            m_gain += (m_target - m_gain) * m_smoothing;
            if (std::abs(m_target - m_gain) < 1e-6) {
                m_gain = m_target;
            }
        }
        double left = interleaved[2 * n] * m_gain;
        double right = interleaved[2 * n + 1] * m_gain;
        // Instant attack, slow release: the output never passes full scale, and a signal that
        // never did passes unchanged.
        const double peak = std::max(std::abs(left), std::abs(right));
        m_envelope = std::max(peak, m_envelope * m_release);
        if (m_envelope > kFullScale) {
            const double g = kFullScale / m_envelope;
            left *= g;
            right *= g;
        }
        out[2 * n] = qint16(std::clamp(std::lround(left * 32768.0), -32768L, 32767L));
        out[2 * n + 1] = qint16(std::clamp(std::lround(right * 32768.0), -32768L, 32767L));
    }
}

}  // namespace varnelo
