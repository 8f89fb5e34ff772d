#include <gtest/gtest.h>

#include "recitation/equalizerresponsegrid.h"

using namespace varnelo;

namespace {

std::vector<double> logSpaced(int points) {
    std::vector<double> freqs;
    for (int i = 0; i < points; ++i)
        freqs.push_back(20 * std::pow(1000.0, double(i) / (points - 1)));
    return freqs;
}

void expectMatchesFullResponse(const EqualizerResponseGrid &grid, const EqGainTable &gains,
                               double rate) {
    for (int i = 0; i < grid.size(); ++i)
        ASSERT_NEAR(grid.totalDb(i), equalizerResponseDb(gains, grid.frequency(i), rate), 1e-9)
            << grid.frequency(i);
}

}  // namespace

// Bands computed one at a time as they change add up to the response of all ten at once,
// through moves, returns to flat and a new set of frequencies.
TEST(EqualizerResponseGridTest, BandByBandSumsToTheCombinedResponse) {
    EqualizerResponseGrid grid;
    grid.setFrequencies(logSpaced(150), 44100);
    EqGainTable gains{};
    expectMatchesFullResponse(grid, gains, 44100);

    gains = {-8, 10, 10, 6, 2, -4, -8, -10, -11, -11};
    EXPECT_TRUE(grid.setGains(gains));
    expectMatchesFullResponse(grid, gains, 44100);
    for (const float db : {15.0f, -15.0f, 0.0f, 3.0f}) {
        gains[3] = db;
        EXPECT_TRUE(grid.setGains(gains));
        expectMatchesFullResponse(grid, gains, 44100);
    }
    EXPECT_FALSE(grid.setGains(gains));

    // A new grid starts flat and takes the gains up afresh.
    grid.setFrequencies(logSpaced(40), 44100);
    EXPECT_NEAR(grid.totalDb(20), 0, 1e-12);
    EXPECT_TRUE(grid.setGains(gains));
    expectMatchesFullResponse(grid, gains, 44100);
}

// At a low rate the top bands stay flat, as the engine's filter leaves them.
TEST(EqualizerResponseGridTest, BandsTheRateCannotCarryStayFlat) {
    EqualizerResponseGrid grid;
    grid.setFrequencies({1000, 6000, 16000}, 22050);
    EqGainTable gains{};
    gains[9] = 12;
    EXPECT_TRUE(grid.setGains(gains));
    EXPECT_NEAR(grid.totalDb(2), 0, 1e-12);
    gains[4] = 6;
    EXPECT_TRUE(grid.setGains(gains));
    expectMatchesFullResponse(grid, gains, 22050);
}
