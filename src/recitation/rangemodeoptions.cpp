#include "recitation/rangemodeoptions.h"

#include "platform/storedtext.h"

namespace varnelo {

RangeModeOptions ReadRangeModeOptions(ConvertingReader &reader) {
    using namespace rangekeys;
    const QString section = QLatin1String(Section);
    RangeModeOptions range;
    range.NoofTimes = reader.value(section, NoofTimes, "1", toInteger, range.NoofTimes);
    range.Pause = reader.value(section, Pause, "1", toInteger, range.Pause);
    range.PauseBetweenVerses =
        reader.value(section, PauseBetweenVerses, "0", toInteger, range.PauseBetweenVerses);
    range.NextRange = reader.value(section, NextRange, "1", toBoolean, range.NextRange);
    range.NextSura = reader.value(section, NextSura, "1", toBoolean, range.NextSura);
    range.RestartSura = reader.value(section, RestartSura, "0", toBoolean, range.RestartSura);
    range.StopRecitation =
        reader.value(section, StopRecitation, "0", toBoolean, range.StopRecitation);
    return range;
}

}  // namespace varnelo
