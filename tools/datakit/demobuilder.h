#pragma once

#include "pagerenderer.h"
#include "recitation.h"

#include <QList>
#include <QString>

#include <functional>

namespace varnelo {

struct DemoOptions {
    QString sourceDir;        // the dist folder of the quran-json package
    QString outDir;           // the program folder to fill
    QList<int> recitedSuras;  // suras that get a spoken MP3
    QList<int> pageSuras;     // suras that get page images, heights and words
    PageStyle style;
    SpeechTools speech;
    int threads = 0;  // 0: one per core
};

// The suras recited by default.
QList<int> defaultRecitedSuras();

// Builds the demo program folder: config.ini, data/ (pos, hgt, wm, page images, main1, arrows),
// data/tdata/ (translations) and mp3/. progress gets one line per stage. Empty on success.
QString buildDemo(const DemoOptions &options, const std::function<void(const QString &)> &progress);

// Parses "all" or a list such as "1,36,67-70"; empty list with error set on bad input.
QList<int> parseSuraList(const QString &text, QString *error);

}  // namespace varnelo
