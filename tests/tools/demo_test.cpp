#include <gtest/gtest.h>

#include "alignbuilder.h"
#include "archivebuilder.h"
#include "data/suracatalogue.h"
#include "datacheck.h"
#include "demobuilder.h"
#include "platform/fakeaudiooutput.h"
#include "recitation/clsfmod.h"
#include "timingsbuilder.h"
#include "versetextfile.h"

#include "ciskip.h"
#include "datakittestsupport.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

using namespace varnelo;

namespace {

// A stand-in for the quran-json files: every sura with its verse count, short texts; sura 112
// with its own text, whose verses end on different sounds.
void writeSourceFiles(const QDir &dir) {
    const QStringList sura112 = {
        QString::fromUtf8("قُلۡ هُوَ ٱللَّهُ أَحَدٌ"), QString::fromUtf8("ٱللَّهُ ٱلصَّمَدُ"),
        QString::fromUtf8("لَمۡ يَلِدۡ وَلَمۡ يُولَدۡ"), QString::fromUtf8("وَلَمۡ يَكُن لَّهُۥ كُفُوًا أَحَدُۢ")};
    QJsonArray suras;
    for (int sura = 1; sura <= SuraCount; ++sura) {
        QJsonArray verses;
        for (int v = 1; v <= numberedVerseCount(sura); ++v) {
            verses.append(
                QJsonObject{{"id", v},
                            {"text", sura == 112 ? sura112[v - 1] : QString::fromUtf8("قُلۡ هُوَ")},
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

// One demo folder for the whole suite, suras 1 and 112 recited when the speech tools are there.
class Demo : public testing::Test {
protected:
    static void SetUpTestSuite() {
        s_source = new QTemporaryDir;
        s_out = new QTemporaryDir;
        writeSourceFiles(QDir(s_source->path()));
        s_options.sourceDir = s_source->path();
        s_options.outDir = s_out->path();
        s_options.pageSuras = {66, 112};
        s_options.style = test::smallPageStyle(200, 14);
        if (test::speechToolsInstalled()) {
            s_options.recitedSuras = {1, 112};
        }
        s_error = buildDemo(s_options, [](const QString &line) { s_progress.append(line); });
    }
    static void TearDownTestSuite() {
        delete s_source;
        delete s_out;
    }
    void SetUp() override { ASSERT_EQ(s_error, QString()); }

    static QString outPath(const QString &name) { return QDir(s_out->path()).filePath(name); }
    static QList<VerseSpan> storedSpans(int sura) {
        const ArchiveContents pos = readArchive(outPath("data/pos.dat"));
        for (const StoredMember &m : pos.members) {
            if (m.name == SuraFileNumber(sura) + ".pos") {
                return spansOfPosMember(m.stored);
            }
        }
        return {};
    }

    static inline QTemporaryDir *s_source = nullptr;
    static inline QTemporaryDir *s_out = nullptr;
    static inline DemoOptions s_options;
    static inline QString s_error;
    static inline QStringList s_progress;
};

}  // namespace

TEST_F(Demo, BuildsACheckedProgramFolder) {
    const QTemporaryDir out;
    EXPECT_EQ(s_progress.size(), 4) << s_progress.join('\n').toStdString();

    const QByteArray config = test::fileBytes(outPath("config.ini"));
    EXPECT_TRUE(
        config.contains("[Main]\r\nText1=english\r\nText2=transliteration\r\nText3=urdu\r\n"));
    const QDir tdata(outPath("data/tdata"));
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

    const CheckReport report = checkProgramFolder(s_out->path());
    EXPECT_EQ(report.failures, 0) << report.lines.join('\n').toStdString();
    EXPECT_TRUE(
        report.lines.contains("ok    pos.dat: 114 suras with VerseCounts x 8 bytes, "
                              "increasing times"));
    EXPECT_TRUE(report.lines.contains("ok    a.dat: 1 page images, frames = verses of their part"));

    // CI installs the speech tools, so there the recited file must be there and checked.
    if (!s_options.recitedSuras.isEmpty() || qEnvironmentVariableIsSet("CI")) {
        EXPECT_TRUE(
            report.lines.contains("ok    mp3/112.mp3: 5 verses end 200 ms after their "
                                  "speech"));
    }

    DemoOptions o = s_options;
    o.sourceDir = out.path();  // no quran-json files there
    o.outDir = out.path();
    EXPECT_TRUE(buildDemo(o, [](const QString &) {}).startsWith("cannot open"));
}

// Ends at the spoken ends, or only part of the lead after them, and a file cut short are named
// by the check.
TEST_F(Demo, CheckNamesVersesThatEndBeforeTheirSpeechAndFilesCutShort) {
    if (s_options.recitedSuras.isEmpty()) {
        VARNELO_SKIP_UNLESS_CI("espeak-ng or lame is not installed");
    }
    const QTemporaryDir tmp;
    const QDir dir(tmp.path());
    ASSERT_TRUE(dir.mkpath("data") && dir.mkpath("mp3"));
    ASSERT_TRUE(QFile::copy(outPath("mp3/112.mp3"), dir.filePath("mp3/112.mp3")));
    const QList<VerseSpan> stored = storedSpans(112);
    const auto failuresWithEndsMoved = [&](qint32 ms) {
        QList<VerseSpan> spans = stored;
        for (VerseSpan &span : spans) {
            span.end += ms;
        }
        EXPECT_EQ(updatePosArchive(dir.filePath("data/pos.dat"), {{112, spans}}), QString());
        return checkProgramFolder(tmp.path()).lines.filter("mp3/112.mp3").filter("FAIL").join('\n');
    };
    const QString spokenEnds = failuresWithEndsMoved(-kStoredEndLead);
    EXPECT_TRUE(spokenEnds.contains("mp3/112.mp3: 5 verse(s) end before their speech does"))
        << spokenEnds.toStdString();
    EXPECT_TRUE(spokenEnds.contains("sura 112 verse index 0 (the opening formula) (RMS "))
        << spokenEnds.toStdString();
    EXPECT_TRUE(failuresWithEndsMoved(-kStoredEndLead / 2).contains("5 verse(s) end before"));
    EXPECT_EQ(failuresWithEndsMoved(0), QString());

    // A file cut short is named as such: the program would not play it whole.
    QFile cut(dir.filePath("mp3/112.mp3"));
    ASSERT_TRUE(cut.resize(cut.size() - 1000));
    const QString cutShort = failuresWithEndsMoved(0);
    EXPECT_TRUE(cutShort.contains("the file is cut short")) << cutShort.toStdString();
}

// Verse mode as the controller plays it, one Play(start, end) per verse and the position polled
// every ms until the engine stops: each verse is heard to its last syllable and stops just after.
TEST_F(Demo, VerseModePlaysEveryVerseToItsLastSyllable) {
    if (s_options.recitedSuras.isEmpty()) {
        VARNELO_SKIP_UNLESS_CI("espeak-ng or lame is not installed");
    }
    constexpr int kLoud = 600;  // above the decoded silence, as the recitation measures speech
    for (int sura : s_options.recitedSuras) {
        const QString path = outPath("mp3/" + SuraFileNumber(sura) + ".mp3");
        FakeAudioOutput output;
        clsFMod fmod(output);
        ASSERT_TRUE(fmod.OpenMP3File(path));
        Mp3Stream file;
        ASSERT_TRUE(file.open(path));
        const qint64 oneMs = file.sampleRate() / 1000;
        const QList<VerseSpan> spans = storedSpans(sura);
        ASSERT_EQ(spans.size(), verseCountOf(sura));
        for (int k = 0; k < spans.size(); ++k) {
            const std::string verse = verseName(sura, k).toStdString();
            ASSERT_TRUE(test::playAsVerseMode(fmod, output, spans[k].start, spans[k].end)) << verse;
            const std::vector<qint16> &played = output.recorded();
            const qint64 frames = output.recordedFrames();
            qint64 lastLoud = frames - 1;
            while (lastLoud >= 0 && std::abs(played[size_t(2 * lastLoud)]) <= kLoud) {
                --lastLoud;
            }
            ASSERT_GT(lastLoud, 200 * oneMs) << verse;
            double sum = 0;
            for (qint64 i = frames - 200 * oneMs; i < frames; ++i) {
                sum += double(played[size_t(2 * i)]) * played[size_t(2 * i)];
            }
            EXPECT_GT(std::sqrt(sum / double(200 * oneMs)), 1000) << verse;  // speech: 1,900-3,100
            EXPECT_LE(frames - 1 - lastLoud, 30 * oneMs) << verse;

            // The file holds nothing more of the verse after the stop.
            const qint64 stop = file.msToSample(spans[k].start) + frames;
            const qint64 next =
                k + 1 < spans.size() ? file.msToSample(spans[k + 1].start) : file.lengthSamples();
            ASSERT_GT(next, stop) << verse;
            std::vector<qint16> rest(size_t(next - stop) * 2);
            ASSERT_TRUE(file.seekSample(stop));
            ASSERT_EQ(file.read(rest.data(), next - stop), next - stop);
            int peak = 0;
            for (size_t i = 0; i < rest.size(); i += 2) {
                peak = std::max(peak, std::abs(int(rest[i])));
            }
            EXPECT_LE(peak, kLoud) << verse;
        }
    }
}

// align finds the verse starts of the demo's spoken suras from their pauses alone, near the
// spoken starts the demo measured.
TEST_F(Demo, AlignFindsTheSpokenVerseStarts) {
    if (s_options.recitedSuras.isEmpty()) {
        VARNELO_SKIP_UNLESS_CI("espeak-ng or lame is not installed");
    }
    const QString text = QDir(s_source->path()).filePath("quran.json");
    for (int sura : s_options.recitedSuras) {
        const SuraAlignment aligned = alignRecitation(
            outPath("mp3/" + SuraFileNumber(sura) + ".mp3"), sura, suraTextsOf(text, sura).texts);
        ASSERT_EQ(aligned.error, QString());
        const QList<VerseSpan> truth = storedSpans(sura);
        ASSERT_EQ(aligned.stored.size(), truth.size());
        for (int k = 1; k < truth.size(); ++k) {
            EXPECT_NEAR(aligned.stored[k].start, truth[k].start, 60)
                << verseName(sura, k).toStdString();
            EXPECT_GE(aligned.boundaries[k - 1].confidence, kLowConfidence);
        }
    }
}
