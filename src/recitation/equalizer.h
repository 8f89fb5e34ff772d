#pragma once

#include <array>

namespace varnelo {

class ConvertingReader;
class SettingsStore;

inline constexpr int kEqualizerBands = 10;
// Lowest and highest gain of a band, in whole dB (the range of the band sliders).
inline constexpr int kMinEqualizerGain = -15;
inline constexpr int kMaxEqualizerGain = 15;

// Gains of the ten equalizer bands in dB, band 0 the lowest (80 Hz).
using EqualizerGainTable = std::array<float, kEqualizerBands>;

// The gains of a fresh installation; equal to the built-in "Preset 4".
inline constexpr EqualizerGainTable kDefaultEqualizerGains{-8, 10, 10, 6, 2, -4, -8, -10, -11, -11};

// The equalizer options the program keeps for the whole run.
struct EqualizerSettings {
    bool EqEnabled = true;
    EqualizerGainTable EqualizerGains = kDefaultEqualizerGains;

    bool operator==(const EqualizerSettings &) const = default;
};

// Reads "EQ"/"EQEnabled" and "Val0".."Val9", the only reader of these keys. A value that is not
// a Boolean (or not a number) reads as that key's default and is reported to reader; gains outside
// -15..15 dB are brought into that range.
EqualizerSettings ReadEqualizerSettings(ConvertingReader &reader);
// The same where a bad value needs no report: it reads as its key's default.
EqualizerSettings ReadEqualizerSettings(const SettingsStore &store);
// Stores "EQ"/"EQEnabled" as "True" or "False" and the gains as decimal text.
void WriteEqualizerSettings(SettingsStore &store, const EqualizerSettings &settings);

}  // namespace varnelo
