#include "mainwindow/rangemodesetup.h"

#include "platform/settingsstore.h"
#include "platform/storedtext.h"

namespace varnelo {

namespace {

QString flagText(bool value) {
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

}  // namespace

RangeModeEntries RangeModeSetup::load(const RangeModeOptions &options) {
    RangeModeEntries entries;
    entries.unlimitedTimes = options.NoofTimes == 0;
    if (!entries.unlimitedTimes)
        entries.times = QString::number(options.NoofTimes);
    entries.pause = QString::number(options.Pause);
    entries.pauseBetweenVerses = QString::number(options.PauseBetweenVerses);
    entries.nextRange = options.NextRange;
    // Option buttons: the last one set wins, as selecting one clears the others.
    const bool suraEnd[] = {options.NextSura, options.RestartSura, options.StopRecitation};
    for (int i = 0; i < 3; ++i) {
        if (suraEnd[i])
            entries.afterSura = i;
    }
    return entries;
}

std::optional<QString> RangeModeSetup::timesError(const QString &text) {
    // The count is read as it will be read back at the next start, so "0.4" is 0 as well.
    const std::optional<int> times = toInteger(text);
    if (!times || *times == 0)
        return QString::fromLatin1(kNotPositive);
    return std::nullopt;
}

std::optional<QString> RangeModeSetup::pauseError(const QString &text) {
    if (!toInteger(text))
        return QString::fromLatin1(kNotNumber);
    return std::nullopt;
}

std::optional<RangeModeEntryError> RangeModeSetup::firstError(const RangeModeEntries &entries) {
    if (!entries.unlimitedTimes) {
        if (auto message = timesError(entries.times))
            return RangeModeEntryError{RangeModeBox::Times, *message};
    }
    if (auto message = pauseError(entries.pause))
        return RangeModeEntryError{RangeModeBox::Pause, *message};
    return std::nullopt;
}

std::optional<RangeModeOptions> RangeModeSetup::save(const RangeModeEntries &entries,
                                                     SettingsStore &store) {
    if (firstError(entries))
        return std::nullopt;
    const QString section = QLatin1String(rangekeys::Section);
    RangeModeOptions options;
    options.NoofTimes = entries.unlimitedTimes ? 0 : *toInteger(entries.times);
    options.Pause = *toInteger(entries.pause);
    // Not checked in the window; a text that is no number is stored as the 0 it stands for, so
    // the next start does not stumble over it.
    const std::optional<int> versePause = toInteger(entries.pauseBetweenVerses);
    options.PauseBetweenVerses = versePause.value_or(0);
    options.NextRange = entries.nextRange;
    options.NextSura = entries.afterSura == 0;
    options.RestartSura = entries.afterSura == 1;
    options.StopRecitation = entries.afterSura == 2;

    store.save(section, rangekeys::NoofTimes, entries.unlimitedTimes ? "0" : entries.times);
    store.save(section, rangekeys::Pause, entries.pause);
    store.save(section, rangekeys::PauseBetweenVerses,
               versePause ? entries.pauseBetweenVerses : QStringLiteral("0"));
    store.save(section, rangekeys::NextRange, flagText(options.NextRange));
    store.save(section, rangekeys::NextSura, flagText(options.NextSura));
    store.save(section, rangekeys::RestartSura, flagText(options.RestartSura));
    store.save(section, rangekeys::StopRecitation, flagText(options.StopRecitation));
    return options;
}

QString RangeModeSetup::helpText(int index) {
    switch (index) {
        case 0:
            return QStringLiteral(
                "This option determines how many times a range will be recited.\r\n"
                "Range is the verses between the sliders 'Range Begin' and 'Range End'. You can "
                "select a range by adjusting these sliders. On opening a sura, complete sura is "
                "selected as the range\r\n\r\n"
                "Unlimited Times : If this option is selected then the selected range will be "
                "recited continuously. If only part of a sura is selected then you can advance to "
                "next range by pressing letter 'm'. You can advance to previous or next sura by "
                "pressing PageUp or PageDown key\r\n"
                "No of times : The selected range will be recited specified no of times.\r\n\r\n"
                "Tip : If you want to recite the same verse multiple no of times then drag the "
                "'Range Begin' and 'Range End' to the same verse.");
        case 1:
            return QStringLiteral(
                "If this option is checked then after completing the specified no of times in "
                "the above option, next range is selected and recited. No of verses in the new "
                "range will be same as current range.");
        case 2:
            return QStringLiteral("No of seconds to be paused after completing a range.");
        case 3:
            return QStringLiteral(
                "This option determine what to do after current sura is completed. This will "
                "have no effect if unlimited times option is selected above. ");
        default:
            return QString();
    }
}

}  // namespace varnelo
