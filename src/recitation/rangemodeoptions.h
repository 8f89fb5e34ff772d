#pragma once

namespace varnelo {

class ConvertingReader;

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
