#include <gtest/gtest.h>

#include <QFile>

#include <vector>

#include "filebytes.h"
#include "mp3fixture.h"
#include "recitation/mp3cut.h"
#include "recitation/mp3stream.h"
#include "recitation/rangeexport.h"
#include "recitation/streamframelocator.h"
#include "toolrun.h"

using namespace varnelo;
using namespace varnelo::test;

namespace {

ToolRun cut(const QStringList &args) {
    return runTool(QStringLiteral(VARNELO_CUT), args);
}

}  // namespace

TEST(VarneloCut, WritesTheSameCutAsTheExport) {
    VARNELO_SKIP_WITHOUT_LAME();
    Mp3Maker maker;
    const QString source = maker.make("002", tone(44100, 1, 44100 * 4, 330, 0.3), {"-V", "5"});
    ASSERT_FALSE(source.isEmpty());
    const QString out = maker.dir() + "/out.mp3";

    const ToolRun tagged =
        cut({source, "1000", "2500", out, "--title", "T", "--artist", "Reciter"});
    ASSERT_EQ(tagged.exitCode, 0) << tagged.err.toStdString();
    Mp3Stream stream;
    ASSERT_TRUE(stream.open(source));
    Id3v1Tag tag;
    tag.title = "T";
    tag.artist = "Reciter";
    tag.album = "Quran";
    const QString expected = maker.dir() + "/expected.mp3";
    ASSERT_TRUE(CutMp3Range(source, StreamFrameLocator(stream), 1000, 2500, expected, tag).ok());
    EXPECT_EQ(readFileBytes(out), readFileBytes(expected));

    // Default tag: the export's title and album, the source's name as artist.
    ASSERT_EQ(cut({source, "0", "100", out}).exitCode, 0);
    const QByteArray defaults = readFileBytes(out).right(128);
    EXPECT_EQ(defaults.mid(3, 30).trimmed(), kRangeTagTitle);
    EXPECT_EQ(defaults.mid(33, 30).trimmed(), "002");
    EXPECT_EQ(defaults.mid(63, 30).trimmed(), "Quran");
}

namespace {

constexpr const char *kSpeech =
    "In the beginning the reciter reads slowly, with long pauses between the verses. Then a "
    "second verse follows, quieter, and a third one, louder again. The recitation goes on for a "
    "while so that the file is long enough to cut a range of four seconds from it.";

// Sources whose cuts must decode exactly: quiet VBR passages keep the deepest bit reservoirs in
// the smallest frames.
struct Source {
    const char *name;
    QString path;
    int rate;
};

std::vector<Source> exactSources(Mp3Maker &maker) {
    const Pcm steady = tone(44100, 2, 44100 * 12, 440, 0.3);
    return {
        {"cbr", maker.make("cbr", noisyTone(12), {"-b", "128"}), 44100},
        {"id3v2",
         maker.make("id3v2", noisyTone(12),
                    {"-b", "128", "--add-id3v2", "--pad-id3v2-size", "3000"}),
         44100},
        {"vbr_tone", maker.make("vbr_tone", steady, {"-V", "4"}), 44100},
        {"vbr_32k", maker.make("vbr_32k", noisyTone(12), {"-V", "9", "--resample", "32"}), 32000},
        {"vbr_speech", maker.speak("vbr_speech", kSpeech, {"-V", "9"}), 22050},
    };
}

}  // namespace

TEST(VarneloCut, SavedRangePlaysExactlyTheRange) {
    VARNELO_SKIP_WITHOUT_LAME();
    Mp3Maker maker;
    for (const Source &source : exactSources(maker)) {
        SCOPED_TRACE(source.name);
        ASSERT_FALSE(source.path.isEmpty());
        const QString out = maker.dir() + "/range.mp3";
        const ToolRun run = cut({source.path, "5000", "9000", out});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        const std::optional<ClipMatch> match = matchClipFile(out, source.path, 5000, 9000);
        ASSERT_TRUE(match.has_value());
        EXPECT_EQ(match->extra, 0);
        EXPECT_EQ(match->mismatched, 0);
        EXPECT_LT(match->offByOne, 4 * source.rate / 100) << "over 1% of the samples one step off";
    }
}

// FFmpeg reads the same tag; the set-up installs it, only for this check.
TEST(VarneloCut, OtherGaplessDecoderPlaysTheRange) {
    VARNELO_SKIP_WITHOUT_LAME();
    if (runTool("ffmpeg", {"-version"}).exitCode != 0) {
        VARNELO_SKIP_UNLESS_CI("ffmpeg is not installed");
    }
    Mp3Maker maker;
    for (const Source &source : exactSources(maker)) {
        SCOPED_TRACE(source.name);
        ASSERT_FALSE(source.path.isEmpty());
        const QString out = maker.dir() + "/range.mp3";
        ASSERT_EQ(cut({source.path, "5000", "9000", out}).exitCode, 0);
        const ToolRun decoded =
            runTool("ffmpeg", {"-v", "error", "-i", out, "-f", "s16le", "-ac", "1", "-"});
        ASSERT_EQ(decoded.exitCode, 0) << decoded.err.toStdString();
        EXPECT_NEAR(decoded.out.size() / 2, 4 * source.rate, 1);
    }
}

TEST(VarneloCut, BadInputFailsClearly) {
    VARNELO_SKIP_WITHOUT_LAME();
    Mp3Maker maker;
    const QString source = maker.make("s", tone(44100, 1, 44100, 330, 0.3), {"-b", "64"});
    ASSERT_FALSE(source.isEmpty());
    const QString out = maker.dir() + "/out.mp3";
    const QString junk = maker.writeFile("junk.mp3", QByteArray(5000, 'x'));

    Mp3Stream stream;
    ASSERT_TRUE(stream.open(source));
    const QString length = QString::number(StreamFrameLocator(stream).lengthMs());
    const QString badRange =
        "START_MS and END_MS must be whole milliseconds with 0 <= START_MS "
        "<= END_MS, not %1 and %2";
    const struct {
        QStringList args;
        int exitCode;
        QString says;
    } cases[] = {
        {{source, "10", "5", out}, 2, badRange.arg("10", "5")},
        {{source, "ten", "50", out}, 2, badRange.arg("ten", "50")},
        {{source, "0", "50"}, 2, "expected MP3 START_MS END_MS OUT.mp3 (see --help)"},
        {{source, "5000", "6000", out},
         1,
         "range 5000..6000 ms is not within the file's 0.." + length + " ms"},
        {{maker.dir() + "/none.mp3", "0", "50", out}, 1, maker.dir() + "/none.mp3: file not found"},
        {{junk, "0", "50", out}, 1, junk + ": not an MP3 file (no audio frame in its first MiB)"},
    };
    for (const auto &c : cases) {
        const ToolRun run = cut(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.args.join(' ').toStdString();
        EXPECT_EQ(QString::fromUtf8(run.err), "varnelo-cut: " + c.says + "\n");
    }
    EXPECT_FALSE(QFile::exists(out));
}
