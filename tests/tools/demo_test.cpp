#include <gtest/gtest.h>

#include "data/suracatalogue.h"
#include "datacheck.h"
#include "demobuilder.h"
#include "versetextfile.h"

#include "datakittestsupport.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace varnelo;

namespace {

// A stand-in for the quran-json files: every sura with its verse count, short texts.
void writeSourceFiles(const QDir &dir) {
    QJsonArray suras;
    for (int sura = 1; sura <= SuraCount; ++sura) {
        QJsonArray verses;
        for (int v = 1; v <= numberedVerseCount(sura); ++v) {
            verses.append(
                QJsonObject{{"id", v},
                            {"text", QString::fromUtf8("قُلۡ هُوَ")},
                            {"translation", QStringLiteral("Say <%1:%2>").arg(sura).arg(v)},
                            {"transliteration", "qul huwa"}});
        }
        suras.append(QJsonObject{{"id", sura}, {"verses", verses}});
    }
    const QByteArray json = QJsonDocument(suras).toJson(QJsonDocument::Compact);
    for (const char *name : {"quran.json", "quran_en.json", "quran_transliteration.json",
                             "quran_ur.json", "quran_fr.json", "quran_id.json"}) {
        test::writeFile(dir.filePath(name), json);
    }
}

}  // namespace

TEST(Demo, BuildsACheckedProgramFolder) {
    QTemporaryDir source;
    QTemporaryDir out;
    writeSourceFiles(QDir(source.path()));
    DemoOptions o;
    o.sourceDir = source.path();
    o.outDir = out.path();
    o.pageSuras = {66, 112};
    o.style = test::smallPageStyle(200, 14);
    QStringList progress;
    ASSERT_EQ(buildDemo(o, [&](const QString &line) { progress.append(line); }), QString());
    EXPECT_EQ(progress.size(), 4);

    const QByteArray config = test::fileBytes(QDir(out.path()).filePath("config.ini"));
    EXPECT_TRUE(
        config.contains("[Main]\r\nText1=english\r\nText2=transliteration\r\nText3=urdu\r\n"));
    const QDir tdata(QDir(out.path()).filePath("data/tdata"));
    EXPECT_EQ(tdata.entryList({"*.dat"}, QDir::Files, QDir::Name),
              (QStringList{"arabic.dat", "english.dat", "french.dat", "indonesian.dat",
                           "transliteration.dat", "urdu.dat"}));
    EXPECT_TRUE(
        test::extracted(tdata.filePath("urdu.dat"), "config.ini", out).contains("IsRTL=true"));
    // Verse texts are made safe for the HTML page they are put into.
    const QByteArray english = test::extracted(tdata.filePath("english.dat"), "112.txt", out);
    EXPECT_TRUE(QString::fromUtf16(reinterpret_cast<const char16_t *>(english.constData()),
                                   english.size() / 2)
                    .startsWith("Say &lt;112:1&gt;\n"));

    const CheckReport report = checkProgramFolder(out.path(), SpeechTools{});
    EXPECT_EQ(report.failures, 0) << report.lines.join('\n').toStdString();
    EXPECT_TRUE(
        report.lines.contains("ok    pos.dat: 114 suras with VerseCounts x 8 bytes, "
                              "increasing times"));
    EXPECT_TRUE(report.lines.contains("ok    a.dat: 1 page images, frames = verses of their part"));

    o.sourceDir = out.path();  // no quran-json files there
    EXPECT_TRUE(buildDemo(o, [](const QString &) {}).startsWith("cannot open"));
}
