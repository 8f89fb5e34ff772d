#pragma once

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace varnelo::test {

// What a command-line tool did: its exit status (-1 when it did not finish in a minute, -2 when
// it crashed) and what it printed.
struct ToolRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

inline ToolRun runTool(const QString &program, const QStringList &args) {
    QProcess process;
    process.start(program, args);
    ToolRun run;
    if (!process.waitForFinished(60000)) {
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// Creates or replaces the file at path with bytes; returns path.
inline QString writeFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) {
        f.write(bytes);
    }
    return path;
}

}  // namespace varnelo::test
