#pragma once

#include <cmath>
#include <numbers>
#include <vector>

namespace varnelo::test {

// A peaking equalizer written straight from the audio-EQ cookbook (bandwidth in octaves, w0/sin w0
// pre-warped) as a direct form I on one channel, a yardstick for the engine's own filters.
class ReferencePeak {
public:
    ReferencePeak(double centreHz, double octaves, double gainDb, double rate) {
        const double amp = std::pow(10.0, gainDb / 40.0);
        const double w0 = 2 * std::numbers::pi * centreHz / rate;
        const double alpha =
            std::sin(w0) * std::sinh(std::log(2.0) / 2 * octaves * w0 / std::sin(w0));
        m_b[0] = 1 + alpha * amp;
        m_b[1] = -2 * std::cos(w0);
        m_b[2] = 1 - alpha * amp;
        m_a[0] = 1 + alpha / amp;
        m_a[1] = -2 * std::cos(w0);
        m_a[2] = 1 - alpha / amp;
    }

    double step(double x) {
        const double y =
            (m_b[0] * x + m_b[1] * m_x1 + m_b[2] * m_x2 - m_a[1] * m_y1 - m_a[2] * m_y2) / m_a[0];
        m_x2 = m_x1;
        m_x1 = x;
        m_y2 = m_y1;
        m_y1 = y;
        return y;
    }

private:
    double m_b[3] = {};
    double m_a[3] = {};
    double m_x1 = 0, m_x2 = 0, m_y1 = 0, m_y2 = 0;
};

}  // namespace varnelo::test
