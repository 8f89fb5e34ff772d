#include <gtest/gtest.h>

#include "demobuilder.h"
#include "recitation.h"

#include "ciskip.h"
#include "datakittestsupport.h"

#include <cstdlib>

#include <QTemporaryDir>

using namespace varnelo;

TEST(Recitation, SpeakableTextKeepsLettersAndVowelsOnly) {
    // Small high marks and waqf signs go, dagger and wasla alef become plain alef.
    const QString uthmani = QString::fromUtf8("ذَٰلِكَ ٱلۡكِتَٰبُ لَا رَيۡبَۛ فِيهِۛ هُدٗى");
    const QString spoken = speakableArabic(uthmani);
    EXPECT_EQ(spoken, QString::fromUtf8("ذَالِكَ الكِتَابُ لَا رَيبَ فِيهِ هُدى"));
    for (QChar c : spoken) {
        const char16_t u = c.unicode();
        EXPECT_TRUE(u == u' ' || (u >= 0x0621 && u <= 0x0652)) << int(u);
    }
    EXPECT_EQ(speakableArabic(QString::fromUtf8("ٱلنَّفَّـٰثَٰتِ\u2009ۖ")), QString::fromUtf8("النَّفَّاثَاتِ"));
}

TEST(Recitation, WaveFilesFromPipesAndEstimates) {
    Pcm pcm{QByteArray(200, '\x01'), 22050};
    QByteArray wav = wavOfPcm(pcm);
    EXPECT_EQ(pcmOfWav(wav).samples, pcm.samples);
    wav.replace(40, 4, QByteArray(4, '\0'));  // a streamed header leaves the size open
    EXPECT_EQ(pcmOfWav(wav).samples, pcm.samples);
    EXPECT_EQ(pcmOfWav("RIFF....WAVEjunk").rate, 0);

    const QList<VerseSpan> spans = estimatedSpans({"a", "bb", QString(300, u'\u0628')});
    ASSERT_EQ(spans.size(), 3);
    EXPECT_GT(spans[2].end - spans[2].start, spans[0].end - spans[0].start);
    EXPECT_EQ(checkSpans(111, estimatedSpans(QStringList(6, "x"))), QString());
}

TEST(Recitation, SuraListsOfTheDemo) {
    QString error;
    EXPECT_EQ(parseSuraList("all", &error).size(), 114);
    EXPECT_EQ(parseSuraList("1, 36,112-114,36", &error), (QList<int>{1, 36, 112, 113, 114}));
    EXPECT_EQ(error, QString());
    for (const char *bad : {"0", "115", "5-3", "x", "1-2-3", ""}) {
        error.clear();
        EXPECT_TRUE(parseSuraList(bad, &error).isEmpty()) << bad;
        EXPECT_FALSE(error.isEmpty()) << bad;
    }
}

// Runs the real speech and MP3 programs when they are installed; they need no sound card.
TEST(Recitation, SpansLieInsideTheEncodedAudio) {
    if (!test::speechToolsInstalled()) {
        VARNELO_SKIP_UNLESS_CI("espeak-ng or lame is not installed");
    }
    const SpeechTools tools;
    QTemporaryDir dir;
    const QStringList verses = {QString::fromUtf8("قُلۡ هُوَ ٱللَّهُ أَحَدٌ"),
                                QString::fromUtf8("ٱللَّهُ ٱلصَّمَدُ")};
    const Recitation r = reciteVerses(verses, tools, dir.path());
    ASSERT_EQ(r.error, QString());
    ASSERT_EQ(r.spans.size(), 2);
    EXPECT_LT(r.spans[0].start, r.spans[0].end);
    EXPECT_GE(r.spans[1].start - r.spans[0].end, tools.gapMs - 2);
    EXPECT_EQ(spelledOutCharacters(speakableArabic(verses.join('\n')), tools), QString());

    const QString mp3 = test::writeFile(dir.filePath("out.mp3"), r.mp3);
    QString error;
    const Pcm pcm = decodedMp3(mp3, &error);
    EXPECT_EQ(error, QString());
    ASSERT_GT(pcm.rate, 0);
    EXPECT_EQ(pcm.lengthMs(), r.lengthMs);
    // The tail leaves room for the last verse's stored end.
    EXPECT_GE(r.lengthMs, r.spans[1].end + kStoredEndLead);

    // In the decoded audio each verse is heard within 40 ms of its start, and the gap before it
    // is quiet: the encoder's delay is accounted for.
    const auto *samples = reinterpret_cast<const qint16 *>(pcm.samples.constData());
    const auto loudest = [&](qint32 fromMs, qint32 toMs) {
        int peak = 0;
        for (qsizetype i = qsizetype(fromMs) * pcm.rate / 1000;
             i < qsizetype(toMs) * pcm.rate / 1000 && i < pcm.frames(); ++i) {
            peak = qMax(peak, std::abs(int(samples[i])));
        }
        return peak;
    };
    for (const VerseSpan &span : r.spans) {
        EXPECT_GT(loudest(span.start, span.start + 40), 600) << span.start;
        EXPECT_GT(loudest(span.end - 40, span.end), 600) << span.end;
    }
    EXPECT_LT(loudest(r.spans[0].end + 60, r.spans[1].start - 60), 600);
}
