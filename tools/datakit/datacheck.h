#pragma once

#include "recitation.h"

#include <QString>
#include <QStringList>

namespace varnelo {

struct CheckReport {
    QStringList lines;  // one per archive or file checked, starting "ok" or "FAIL"
    int failures = 0;
};

// Checks a program folder: every archive's directory and members, every page image against its
// part (frame count = verses of the part), timings, heights, word records, translations, the
// about pages and arrows, and every MP3 against its timings: the last verse ends inside the file,
// and no verse's speech goes on in the last kStoredEndLead ms before its stored end.
CheckReport checkProgramFolder(const QString &dir, const SpeechTools &tools);

}  // namespace varnelo
