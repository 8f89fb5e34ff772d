#pragma once

#include <QStringList>

namespace varnelo {

// True when the command line (the arguments after the program's name) is exactly "NOARABIC".
bool ArabicTextDisabledBy(const QStringList &arguments);

// Runs the program: start-up, the main window and the event loop. Returns the exit code, 1 when
// start-up failed (after telling the user why).
int RunVarnelo(int argc, char *argv[]);

}  // namespace varnelo
