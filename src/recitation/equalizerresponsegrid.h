#pragma once

#include <array>
#include <vector>

#include "recitation/parametriceq.h"

namespace varnelo {

// The equalizer's combined response at a fixed set of frequencies, kept band by band: when one
// band's gain changes only its share is computed again, and the total at a point is ten adds.
class EqualizerResponseGrid {
public:
    // Frequencies in Hz at which the response is kept, for filters at sampleRate; all bands flat.
    void setFrequencies(std::vector<double> frequencies, double sampleRate);
    // Takes up new gains, computing again only the bands whose gain changed; false when none did.
    bool setGains(const EqGainTable &gainsDb);

    int size() const { return int(m_freqs.size()); }
    double frequency(int point) const { return m_freqs[size_t(point)]; }
    // Combined response in dB at a point, for the gains last set.
    double totalDb(int point) const { return m_total[size_t(point)]; }

private:
    void computeBand(int band, float gainDb);

    std::vector<double> m_freqs;
    double m_rate = 44100;
    std::vector<double> m_cos1, m_cos2;
    std::array<std::vector<double>, 10> m_bandDb;
    std::vector<double> m_total;
    EqGainTable m_gains{};
};

}  // namespace varnelo
