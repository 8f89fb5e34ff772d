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
    // giflib's decoding, composited as the page control does, gives the expected pixels.
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

TEST(VarneloPackFrames, FramesPlacedOffTheCanvasAreCutToIt) {
    // A 32 x 32 page whose table holds the back colour, with its one frame wholly to the right
    // of the canvas, then frames reaching past the right and bottom edges.
    QTemporaryDir dir;
    const QRgb back = qRgb(0xFF, 0xEE, 0xDD);
    const QList<QRgb> table = {qRgb(0, 0, 0), back, qRgb(9, 99, 199), qRgb(1, 2, 3)};
    const QList<QByteArray> gifs = {
        writeTestGif(32, 32, table, {patternFrame(64, 0, 32, 32, 4, 1)}),
        writeTestGif(32, 32, table,
                     {patternFrame(0, 0, 32, 32, 4, 1), patternFrame(17, 21, 30, 30, 4, 2),
                      patternFrame(5, 31, 9, 9, 4, 3)}),
    };
    for (int g = 0; g < gifs.size(); ++g) {
        const QString in = writeFile(dir.filePath(QString("page%1.gif").arg(g)), gifs[g]);
        const QString out = dir.filePath(QString("out%1").arg(g));
        const ToolRun run = runTool(VARNELO_PACK, {"frames", in, out, "--back", "FFEEDD"});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        QList<int> order;
        for (int i = 0; i < QDir(out).entryList(QDir::Files).size(); ++i)
            order.append(i);
        ASSERT_EQ(order.size(), g == 0 ? 1 : 3);
        const QList<QImage> expected = referenceCanvases(
            gifs[g].endsWith(';') ? gifs[g] : gifs[g] + ';', order, back, qRgb(0, 0, 0));
        ASSERT_EQ(expected.size(), order.size());
        for (int frame : order) {
            const QImage written(QDir(out).filePath(QString("frame-00%1.png").arg(frame)));
            EXPECT_EQ(written.convertToFormat(QImage::Format_RGB32), expected[frame])
                << g << " frame " << frame;
        }
    }
}
