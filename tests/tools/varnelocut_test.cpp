#include <gtest/gtest.h>

#include <QFile>

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

TEST(VarneloCut, BadInputFailsClearly) {
    VARNELO_SKIP_WITHOUT_LAME();
    Mp3Maker maker;
    const QString source = maker.make("s", tone(44100, 1, 44100, 330, 0.3), {"-b", "64"});
    ASSERT_FALSE(source.isEmpty());
    const QString out = maker.dir() + "/out.mp3";
    const QString junk = maker.writeFile("junk.mp3", QByteArray(5000, 'x'));

    const struct {
        QStringList args;
        int exitCode;
        const char *says;
    } cases[] = {
        {{source, "10", "5", out}, 2, "START_MS"},
        {{source, "ten", "50", out}, 2, "START_MS"},
        {{source, "0", "50"}, 2, "expected"},
        {{source, "5000", "6000", out}, 1, "not within"},
        {{maker.dir() + "/none.mp3", "0", "50", out}, 1, "none.mp3"},
        {{junk, "0", "50", out}, 1, "junk.mp3"},
    };
    for (const auto &c : cases) {
        const ToolRun run = cut(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(c.says)) << run.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(out));
}
