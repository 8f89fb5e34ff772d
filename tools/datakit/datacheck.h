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
// about pages and arrows, and every MP3 against the end of its last verse.
CheckReport checkProgramFolder(const QString &dir, const SpeechTools &tools);

}  // namespace varnelo
