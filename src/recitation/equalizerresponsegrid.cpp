#include "recitation/equalizerresponsegrid.h"

#include <cmath>
#include <numbers>

namespace varnelo {

void EqualizerResponseGrid::setFrequencies(std::vector<double> frequencies, double sampleRate) {
    m_freqs = std::move(frequencies);
    m_rate = sampleRate;
    const size_t n = m_freqs.size();
    m_cos1.resize(n);
    m_cos2.resize(n);
    for (size_t i = 0; i < n; ++i) {
        const double c = std::cos(2 * std::numbers::pi * m_freqs[i] / sampleRate);
        m_cos1[i] = c;
        m_cos2[i] = 2 * c * c - 1;
    }
    for (std::vector<double> &band : m_bandDb)
        band.assign(n, 0.0);
    m_total.assign(n, 0.0);
    m_gains = {};
}

void EqualizerResponseGrid::computeBand(int band, float gainDb) {
    std::vector<double> &db = m_bandDb[size_t(band)];
    if (gainDb == 0 || !eqBandCarried(band, m_rate)) {
        std::fill(db.begin(), db.end(), 0.0);
        return;
    }
    const BiquadCoefficients c =
        peakingCoefficients(kEqCentres[size_t(band)], kEqBandwidthOctaves, gainDb, m_rate);
    // |H|^2 from cos w and cos 2w, with the terms that do not depend on the point taken out.
    const double num0 = c.b0 * c.b0 + c.b1 * c.b1 + c.b2 * c.b2;
    const double num1 = 2 * (c.b0 * c.b1 + c.b1 * c.b2);
    const double num2 = 2 * c.b0 * c.b2;
    const double den0 = 1 + c.a1 * c.a1 + c.a2 * c.a2;
    const double den1 = 2 * (c.a1 + c.a1 * c.a2);
    const double den2 = 2 * c.a2;
    for (size_t i = 0; i < db.size(); ++i) {
        const double num = num0 + num1 * m_cos1[i] + num2 * m_cos2[i];
        const double den = den0 + den1 * m_cos1[i] + den2 * m_cos2[i];
        db[i] = 10 * std::log10(num / den);
    }
}

bool EqualizerResponseGrid::setGains(const EqGainTable &gainsDb) {
    bool changed = false;
    for (int band = 0; band < ParametricEq::kBands; ++band) {
        if (gainsDb[size_t(band)] != m_gains[size_t(band)]) {
            computeBand(band, gainsDb[size_t(band)]);
            changed = true;
        }
    }
    m_gains = gainsDb;
    if (!changed)
        return false;
    for (size_t i = 0; i < m_total.size(); ++i) {
        double sum = 0;
        for (const std::vector<double> &band : m_bandDb)
            sum += band[i];
        m_total[i] = sum;
    }
    return true;
}

}  // namespace varnelo
