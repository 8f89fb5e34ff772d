#pragma once

#include <QString>
#include <QStringList>

namespace varnelo {

struct CheckReport {
    // One per archive or file checked, starting "ok" or "FAIL"; "listen" for a verse start that
    // align placed with little confidence.
    QStringList lines;
    int failures = 0;
};

// Checks a program folder: every archive's directory and members, every page image against its
// part (frame count = verses of the part), timings, heights, word records, translations, the
// about pages and arrows, and every MP3 against its timings as the program plays it: the file
// plays whole, the last verse ends inside it, and no verse's speech goes on in the last
// kStoredEndLead ms before its stored end. Lists the low-confidence verse starts of
// data/pos-confidence.txt that pos.dat still has.
CheckReport checkProgramFolder(const QString &dir);

}  // namespace varnelo
