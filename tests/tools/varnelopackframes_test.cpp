#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "giftestfiles.h"
#include "toolrun.h"

using namespace varnelo;
using namespace varnelo::test;

TEST(VarneloPackFrames, WritesTheCanvasAfterEachFrameAsThePageControlDraws) {
    QTemporaryDir dir;
    const QList<QRgb> table = {qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(9, 99, 199), qRgb(1, 2, 3)};
    TestFrame first = patternFrame(0, 0, 40, 6, 4, 1);
    TestFrame second = patternFrame(5, 2, 10, 3, 4, 2);
    second.transparent = 3;
    TestFrame third = patternFrame(30, 0, 10, 6, 4, 3);
    third.disposal = 2;
    const QByteArray gif = writeTestGif(40, 6, table, {first, second, third});
    const QString in = writeFile(dir.filePath("page.gif"), gif);
    const QString out = dir.filePath("out");

    ASSERT_EQ(
        runTool(VARNELO_PACK, {"frames", in, out, "--back", "FFEEDD", "--fore", "102030"}).exitCode,
        0);
    EXPECT_EQ(QDir(out).entryList(QDir::Files),
              QStringList({"frame-000.png", "frame-001.png", "frame-002.png"}));
    // The canvases giflib's decode composites as the page control does.
    const QList<QImage> expected =
        referenceCanvases(gif.endsWith(';') ? gif : gif + ';', {0, 1, 2}, qRgb(0xFF, 0xEE, 0xDD),
                          qRgb(0x10, 0x20, 0x30));
    ASSERT_EQ(expected.size(), 3);
    for (int frame = 0; frame < 3; ++frame) {
        const QImage written(QDir(out).filePath(QString("frame-00%1.png").arg(frame)));
        EXPECT_EQ(written.convertToFormat(QImage::Format_RGB32), expected[frame]) << frame;
    }
    EXPECT_EQ(QImage(QDir(out).filePath("frame-002.png")).pixel(0, 0), qRgb(0xFF, 0xEE, 0xDD));

    // Defaults: black text on white.
    ASSERT_EQ(runTool(VARNELO_PACK, {"frames", in, dir.filePath("plain")}).exitCode, 0);
    const QImage plain(dir.filePath("plain/frame-002.png"));
    EXPECT_EQ(plain.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(plain.width(), 64);
}

TEST(VarneloPackFrames, RefusesWhatIsNotAGif) {
    QTemporaryDir dir;
    const ToolRun refused = runTool(
        VARNELO_PACK, {"frames", writeFile(dir.filePath("x.gif"), "PNG"), dir.filePath("o")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("Sorry, not an  file"));
    EXPECT_FALSE(QDir(dir.filePath("o")).exists());
    EXPECT_EQ(
        runTool(VARNELO_PACK, {"frames", dir.filePath("x.gif"), "o", "--back", "red"}).exitCode, 2);
    EXPECT_EQ(runTool(VARNELO_PACK, {"frames", dir.filePath("x.gif")}).exitCode, 2);
}
