// Saves generation after generation of the same keys into a settings store until it is killed:
// the child process of the kill-during-save test. Arguments: the store's file, the first
// generation. Writes each value as soon as it is saved. Prints "saving" once the first value has
// reached the file.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>

#include <cstdio>
#include <cstdlib>

#include "platform/qsettingsstore.h"
#include "savebursthelper.h"

using namespace varnelo;

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    QSettingsStore store(QString::fromLocal8Bit(argv[1]));
    bool announced = false;
    // A test that died before it could kill the helper must not leave it running.
    QElapsedTimer running;
    running.start();
    for (int generation = std::atoi(argv[2]); running.elapsed() < 30000; ++generation) {
        for (int key = 0; key < burst::Keys; ++key) {
            store.save(burst::section(key), burst::key(key), burst::value(generation));
            // Every other generation is written as the event loop writes it.
            if (generation % 2 != 0 || !announced) {
                if (!store.flush())
                    return 1;
            } else {
                QCoreApplication::processEvents();
            }
            if (!announced) {
                std::puts("saving");
                std::fflush(stdout);
                announced = true;
            }
        }
    }
    return 3;
}
