#include <gtest/gtest.h>

#include "aboutbuilder.h"
#include "data/suracatalogue.h"
#include "gifwriter.h"
#include "pagerenderer.h"
#include "pagesbuilder.h"
#include "versetextfile.h"

#include "datakittestsupport.h"

#include <QtEndian>

using namespace varnelo;

namespace {

const QString bismillah = QString::fromUtf8("بِسۡمِ ٱللَّهِ ٱلرَّحۡمَٰنِ ٱلرَّحِيمِ");
const QString shortVerse = QString::fromUtf8("قُلۡ هُوَ ٱللَّهُ أَحَدٌ");

SuraText syntheticSura(int sura) {
    SuraText text;
    text.sura = sura;
    text.openingFormula = bismillah;
    for (int v = 0; v < numberedVerseCount(sura); ++v) {
        text.verses.append(shortVerse);
        text.meanings.append("qul huwa allahu ahadun");
    }
    return text;
}

}  // namespace

TEST(PageRenderer, ThreeVersePartHasOneFullFramePerVerse) {
    const PageStyle style = test::smallPageStyle(240, 16);
    QList<PageVerse> verses = {{0, 0, bismillah, QString(), true},
                               {1, 1, shortVerse, "qul huwa allahu ahadun", false},
                               {2, 2, shortVerse + ' ' + shortVerse, QString(), false}};
    const RenderedPart part = renderPart(verses, style);
    ASSERT_EQ(part.error, QString());

    const GifInfo gif = describeGif(part.gif);
    EXPECT_EQ(gif.frameCount, 3);
    EXPECT_TRUE(gif.framesFullSize);
    EXPECT_EQ(gif.width, 240);
    EXPECT_EQ(gif.height, part.height);
    EXPECT_GE(gif.colours, 4);
    EXPECT_LE(gif.colours, 16);

    // Each verse ends lower than the one before, inside the image.
    ASSERT_EQ(part.verseBottoms.size(), 3);
    EXPECT_LT(part.verseBottoms[0], part.verseBottoms[1]);
    EXPECT_LE(part.verseBottoms[1], part.verseBottoms[2]);
    EXPECT_LE(part.verseBottoms[2], part.height);

    // Words: the meaning from the transliteration when the word counts agree, else the Arabic
    // word itself.
    QList<QList<WordBox>> byVerse(3);
    for (const WordBox &w : part.words) {
        EXPECT_TRUE(QRect(0, 0, 240, part.height).contains(w.rect)) << w.rect.x();
        byVerse[w.verseIndex].append(w);
    }
    const QList<WordBox> &second = byVerse[1];
    const QList<WordBox> &third = byVerse[2];
    EXPECT_EQ(byVerse[0].size(), 4);
    ASSERT_EQ(second.size(), 4);
    ASSERT_EQ(third.size(), 8);
    EXPECT_EQ(third[0].meaning, QString::fromUtf8("قُلۡ"));
    EXPECT_EQ(second[0].meaning, "qul");
    EXPECT_EQ(second[3].meaning, "ahadun");
    // Right to left: the first word lies right of the second.
    EXPECT_GT(third[0].rect.left(), third[1].rect.left());

    // Frame k marks verse k: frames differ, but not below the last verse.
    const GifInfo frames = describeGif(part.gif, true);
    ASSERT_EQ(frames.pixels.size(), 3);
    EXPECT_NE(frames.pixels[0], frames.pixels[1]);
    EXPECT_NE(frames.pixels[1], frames.pixels[2]);
    const qsizetype belowAll = qsizetype(part.verseBottoms[2] + 1) * 240;
    EXPECT_EQ(frames.pixels[0].mid(belowAll), frames.pixels[1].mid(belowAll));
    // Only the band colours change: text stays palette entry 0 in every frame.
    for (qsizetype i = 0; i < frames.pixels[0].size(); ++i) {
        if (frames.pixels[0][i] == 0) {
            ASSERT_EQ(frames.pixels[1][i], 0) << i;
        }
    }
}

TEST(PagesBuilder, HeightsWordsAndArchivesFollowTheSura) {
    const PageStyle style = test::smallPageStyle(240, 16);
    const QList<SuraPages> pages =
        buildSuraPages({syntheticSura(2), syntheticSura(66), syntheticSura(112)}, style, 2);
    ASSERT_EQ(pages.size(), 3);
    for (const SuraPages &p : pages) {
        ASSERT_EQ(p.error, QString());
    }
    // Sura 2: nine parts, each a GIF with as many frames as the part has verses.
    ASSERT_EQ(pages[0].images.size(), 9);
    for (const TextPart &part : textPartsOf(2)) {
        const QString member = SuraTextParts::imageMemberName(2, part.letter);
        EXPECT_EQ(describeGif(pages[0].images[member]).frameCount, part.last - part.first + 1);
    }
    // Heights: one 16-bit value per verse entry; element e is the bottom of verse e in twips.
    ASSERT_EQ(pages[0].heights.size(), 2 * 287);
    const auto height = [&](int e) {
        return qFromLittleEndian<qint16>(pages[0].heights.constData() + 2 * (e - 1));
    };
    EXPECT_EQ(height(1) % 15, 0);
    EXPECT_GT(height(2), height(1));
    EXPECT_LT(height(39), height(38));  // verse 39 opens part b
    EXPECT_EQ(height(287), height(286));
    // Word records: verse indexes up to 255 only, and the records fill the member exactly.
    int records = 0;
    int lastVerse = 0;
    for (qsizetype at = 0; at < pages[0].words.size(); ++records) {
        ASSERT_LE(at + 11, pages[0].words.size());
        lastVerse = quint8(pages[0].words[at]);
        at += 11 + qFromLittleEndian<quint16>(pages[0].words.constData() + at + 9);
    }
    EXPECT_EQ(lastVerse, 255);
    EXPECT_EQ(records, 256 * 4);  // verse indexes 0..255, four words each
    // Sura 112 has neither heights nor words.
    EXPECT_TRUE(pages[2].heights.isEmpty());
    EXPECT_TRUE(pages[2].words.isEmpty());

    QTemporaryDir dir;
    ASSERT_EQ(writeSuraPages(dir.path(), pages), QString());
    EXPECT_EQ(imageArchiveOf(66), "066.dat");
    EXPECT_EQ(imageArchiveOf(67), "a.dat");
    EXPECT_EQ(describeGif(test::extracted(dir.filePath("066.dat"), "066.vxf", dir)).frameCount, 13);
    EXPECT_EQ(describeGif(test::extracted(dir.filePath("a.dat"), "112.vxf", dir)).frameCount, 5);
    EXPECT_EQ(describeGif(test::extracted(dir.filePath("002.dat"), "002i.vxf", dir)).frameCount,
              20);
    const ExtractResult hgt =
        ExtractMemberUnchecked(dir.filePath("hgt.dat"), "066.hgt", dir.path() + "/");
    ASSERT_TRUE(hgt.extracted());
    EXPECT_EQ(test::fileBytes(hgt.path).size(), 26);
    EXPECT_EQ(test::extracted(dir.filePath("wm.dat"), "002.qwf", dir), pages[0].words);

    // A second run for another sura keeps what the archives hold.
    ASSERT_EQ(writeSuraPages(dir.path(), {buildSuraPages({syntheticSura(113)}, style)}), QString());
    EXPECT_EQ(describeGif(test::extracted(dir.filePath("a.dat"), "112.vxf", dir)).frameCount, 5);
    EXPECT_EQ(describeGif(test::extracted(dir.filePath("a.dat"), "113.vxf", dir)).frameCount, 6);
}

TEST(PagesBuilder, WrongVerseCountOrNoOpeningIsRefused) {
    const PageStyle style = test::smallPageStyle(240, 16);
    SuraText missing = syntheticSura(112);
    missing.verses.removeLast();
    SuraText noOpening = syntheticSura(113);
    noOpening.openingFormula.clear();
    const QList<SuraPages> pages = buildSuraPages({missing, noOpening, syntheticSura(9)}, style);
    EXPECT_EQ(pages[0].error, "sura 112: 3 verses given, it has 4");
    EXPECT_EQ(pages[1].error, "sura 113: no opening formula");
    EXPECT_EQ(pages[2].error, QString());  // sura 9 has no opening formula
    QTemporaryDir dir;
    EXPECT_EQ(writeSuraPages(dir.path(), pages), "sura 112: 3 verses given, it has 4");
    EXPECT_FALSE(QFile::exists(dir.filePath("a.dat")));
}

TEST(AboutBuilder, PagesAndArrows) {
    test::ensureGuiApp();
    QTemporaryDir dir;
    ASSERT_EQ(aboutArchive({"<p>credit</p>"}).write(dir.filePath("main1.dat")), QString());
    EXPECT_TRUE(test::extracted(dir.filePath("main1.dat"), "about.htm", dir).contains("credit"));
    EXPECT_TRUE(test::extracted(dir.filePath("main1.dat"), "keyboard.htm", dir).contains("Ctrl+R"));
    EXPECT_TRUE(test::extracted(dir.filePath("main1.dat"), "version.htm", dir).contains("4.0"));
    for (bool up : {true, false}) {
        const GifInfo gif = describeGif(arrowGif(up));
        EXPECT_EQ(gif.frameCount, 4);
        EXPECT_TRUE(gif.framesFullSize);
    }
    EXPECT_NE(arrowGif(true), arrowGif(false));
    EXPECT_EQ(describeGif("GIF89a broken").frameCount, -1);
}
