#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

#include "filebytes.h"
#include "mp3fixture.h"
#include "recitation/mp3cut.h"
#include "recitation/mp3stream.h"
#include "recitation/rangeexport.h"
#include "recitation/streamframelocator.h"

using namespace varnelo;
using varnelo::test::Mp3Maker;
using varnelo::test::readFileBytes;

namespace {

struct ToolRun {
    int status = -1;
    QString err;
};

ToolRun cut(const QStringList &args) {
    QProcess tool;
    tool.start(QStringLiteral(VARNELO_CUT), args);
    ToolRun run;
    if (tool.waitForFinished(60000) && tool.exitStatus() == QProcess::NormalExit) {
        run.status = tool.exitCode();
    }
    run.err = QString::fromLocal8Bit(tool.readAllStandardError());
    return run;
}

}  // namespace

TEST(VarneloCut, WritesTheSameCutAsTheExport) {
    VARNELO_SKIP_WITHOUT_LAME();
    Mp3Maker maker;
    const QString source =
        maker.make("002", varnelo::test::tone(44100, 1, 44100 * 4, 330, 0.3), {"-V", "5"});
    ASSERT_FALSE(source.isEmpty());
    const QString out = maker.dir() + "/out.mp3";

    const ToolRun tagged =
        cut({source, "1000", "2500", out, "--title", "T", "--artist", "Reciter"});
    ASSERT_EQ(tagged.status, 0) << tagged.err.toStdString();
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
    ASSERT_EQ(cut({source, "0", "100", out}).status, 0);
    const QByteArray defaults = readFileBytes(out).right(128);
    EXPECT_EQ(defaults.mid(3, 30).trimmed(), kRangeTagTitle);
    EXPECT_EQ(defaults.mid(33, 30).trimmed(), "002");
    EXPECT_EQ(defaults.mid(63, 30).trimmed(), "Quran");
}

TEST(VarneloCut, BadInputFailsClearly) {
    VARNELO_SKIP_WITHOUT_LAME();
    Mp3Maker maker;
    const QString source =
        maker.make("s", varnelo::test::tone(44100, 1, 44100, 330, 0.3), {"-b", "64"});
    ASSERT_FALSE(source.isEmpty());
    const QString out = maker.dir() + "/out.mp3";
    const QString junk = maker.dir() + "/junk.mp3";
    QFile file(junk);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(5000, 'x'));
    file.close();

    const struct {
        QStringList args;
        int status;
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
        EXPECT_EQ(run.status, c.status) << c.args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(c.says)) << run.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(out));
}
