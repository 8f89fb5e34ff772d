#pragma once

#include <QByteArray>
#include <QFile>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>

#include "data/archive.h"
#include "pagerenderer.h"
#include "platform/fakeaudiooutput.h"
#include "recitation.h"
#include "recitation/clsfmod.h"
#include "toolrun.h"

namespace varnelo::test {

// Rendering needs a GUI application; tests run on the offscreen platform.
inline void ensureGuiApp() {
    static int argc = 1;
    static char name[] = "test_datakit";
    static char *argv[] = {name, nullptr};
    if (!QGuiApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        new QGuiApplication(argc, argv);
    }
}

// A small page style with the best Arabic font; makes the GUI application rendering needs.
inline PageStyle smallPageStyle(int width, int pixelSize) {
    ensureGuiApp();
    PageStyle style;
    style.width = width;
    style.pixelSize = pixelSize;
    style.fontFamily = arabicFontFamily(nullptr);
    return style;
}

// The member as the program reads it: decoded by ExtractMember into dir.
inline QByteArray extracted(const QString &archive, const QString &member,
                            const QTemporaryDir &dir) {
    const ExtractResult r = ExtractMember(archive, member, dir.path() + QStringLiteral("/"));
    if (!r.extracted()) {
        return QByteArray("<missing>");
    }
    QFile f(r.path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

// Whether the speech and MP3 programs a recitation is made with are installed.
inline bool speechToolsInstalled() {
    const SpeechTools tools;
    for (const QString &program : {tools.espeak, tools.lame}) {
        if (QStandardPaths::findExecutable(program).isEmpty()) {
            return false;
        }
    }
    return true;
}

inline QByteArray fileBytes(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Plays start..end as verse mode does, one Play with the position polled every ms until the
// engine stops; false when it has not stopped after a minute. output records what was played.
inline bool playAsVerseMode(clsFMod &engine, FakeAudioOutput &output, qint32 start, qint32 end) {
    output.clearRecorded();
    engine.Play(start, end);
    for (int ms = 0; ms < 60000 && engine.isPlaying(); ++ms) {
        output.advance(1);
        qint32 pos = 0;
        engine.GetPosition(pos);
    }
    return !engine.isPlaying();
}

}  // namespace varnelo::test
