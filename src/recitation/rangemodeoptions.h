#pragma once

namespace varnelo {

class ConvertingReader;

// Section "RangeModeSetup" of the settings store and its keys: read at start-up, written by the
// range mode settings window.
namespace rangekeys {
inline constexpr char Section[] = "RangeModeSetup";
inline constexpr char NoofTimes[] = "NoofTimes";
inline constexpr char Pause[] = "Pause";
inline constexpr char PauseBetweenVerses[] = "PauseBetweenVerses";
inline constexpr char NextRange[] = "NextRange";
inline constexpr char NextSura[] = "NextSura";
inline constexpr char RestartSura[] = "RestartSura";
inline constexpr char StopRecitation[] = "StopRecitation";
}  // namespace rangekeys

// What range mode does at the end of a range and of a sura.
struct RangeModeOptions {
    int NoofTimes = 1;
    int Pause = 1;
    int PauseBetweenVerses = 0;
    bool NextRange = true;
    bool NextSura = true;
    bool RestartSura = false;
    bool StopRecitation = false;

    bool operator==(const RangeModeOptions &) const = default;
};

// Reads section "RangeModeSetup"; a value that does not convert is reported to reader and reads
// as its default.
RangeModeOptions ReadRangeModeOptions(ConvertingReader &reader);

}  // namespace varnelo
