#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "controls/gifanimation.h"
#include "giftestfiles.h"

using namespace varnelo;
using namespace varnelo::test;

namespace {

const QRgb kBack = qRgb(240, 230, 200);
const QRgb kFore = qRgb(20, 40, 160);
const qint64 kForeColour = 20 | (40 << 8) | (160 << 16);

QList<QRgb> colours(int count, int seed) {
    QList<QRgb> table;
    for (int i = 0; i < count; ++i)
        table.append(qRgb((i * 37 + seed) % 256, (i * 91 + seed * 3) % 256, (i * 53 + 7) % 256));
    return table;
}

// Frames at offsets with local tables of other sizes than the global one, transparency (also in
// frame 0, with disposal 2), an interlaced frame, and a frame wider than the screen.
QByteArray mixedGif() {
    QList<QRgb> global = colours(16, 1);
    global[0] = global[1] = qRgb(0, 0, 0);  // both become the fore colour
    TestFrame first = patternFrame(0, 0, 100, 20, 16, 1);
    first.disposal = 2;
    first.transparent = 3;
    TestFrame local = patternFrame(10, 3, 30, 7, 2, 2);
    local.localTable = colours(2, 9);
    local.transparent = 1;
    TestFrame interlaced = patternFrame(50, 6, 64, 13, 16, 3);
    interlaced.interlaced = true;
    interlaced.transparent = 5;
    TestFrame global2 = patternFrame(3, 1, 20, 9, 16, 4);
    TestFrame cleared = patternFrame(90, 2, 37, 18, 4, 5);
    cleared.disposal = 2;
    cleared.localTable = colours(4, 17);
    TestFrame wide = patternFrame(0, 15, 120, 5, 16, 6);
    return writeTestGif(100, 20, global, {first, local, interlaced, global2, cleared, wide});
}

// Loads the GIF, draws the frames in order and compares each canvas with the reference drawn
// from the same file (giflib wants a trailer).
void expectSameAsReference(const QByteArray &gif, const QList<int> &order) {
    const QByteArray whole = gif.endsWith(';') ? gif : gif + ';';
    const QList<QImage> expected = referenceCanvases(whole, order, kBack, kFore);
    ASSERT_EQ(expected.size(), order.size());
    GifAnimation animation;
    ASSERT_FALSE(animation.load(gif, kForeColour, true, kBack));
    for (int i = 0; i < order.size(); ++i) {
        EXPECT_TRUE(animation.render(order[i], kBack));
        EXPECT_EQ(animation.canvas().convertToFormat(QImage::Format_RGB32), expected[i])
            << "frame " << order[i] << " (step " << i << ")";
        EXPECT_LE(animation.decodedFrameCount(), GifAnimation::kKeptFrames);
    }
}

}  // namespace

TEST(GifAnimation, FramesDecodedOnDemandDrawWhatEagerCompositingDraws) {
    expectSameAsReference(writeTestGif(8, 5, colours(4, 2), {patternFrame(0, 0, 8, 5, 4, 0)}),
                          {0, 0});
    const QByteArray mixed = mixedGif();
    expectSameAsReference(mixed, {0, 1, 2, 3, 4, 5});
    // Out of order, with repeats: frames leave the small store and are decoded again.
    expectSameAsReference(mixed, {5, 2, 0, 4, 4, 1, 3, 0, 2, 5, 1});
}

TEST(GifAnimation, CanvasKeepsEightBitsUntilTheColoursPassTwoHundredFiftySix) {
    TestFrame first = patternFrame(0, 0, 40, 20, 200, 1);
    first.localTable = colours(200, 3);
    TestFrame more = patternFrame(5, 5, 30, 10, 100, 2);
    more.localTable = colours(100, 101);
    TestFrame cleared = patternFrame(0, 0, 10, 10, 4, 3);
    cleared.disposal = 2;
    const QByteArray gif = writeTestGif(40, 20, colours(4, 5), {first, more, cleared});
    expectSameAsReference(gif, {0, 1, 2, 1, 0});

    GifAnimation animation;
    ASSERT_FALSE(animation.load(gif, kForeColour, true, kBack));
    const QList<QImage::Format> formats = {QImage::Format_Indexed8, QImage::Format_RGB32,
                                           QImage::Format_Indexed8};
    for (int frame = 0; frame < 3; ++frame) {
        ASSERT_TRUE(animation.render(frame, kBack));
        EXPECT_EQ(animation.canvas().format(), formats[frame]) << frame;
    }
}

TEST(GifAnimation, TruncatedFileDrawsTheFramesBeforeTheDamage) {
    const QByteArray gif = mixedGif();
    GifAnimation whole;
    ASSERT_FALSE(whole.load(gif, kForeColour, true, kBack));
    EXPECT_EQ(whole.canvas().size(), QSize(128, 20));
    const qsizetype afterThird = whole.structure()->frames[2].endOffset + 1;
    expectSameAsReference(gif.left(afterThird), {0, 1, 2});

    // Garbage after a GIF header: a load that fails leaves no frames to draw, one that does not
    // draws each of its frames and nothing past them.
    quint32 state = 7;
    for (int length = 0; length < 400; length += 3) {
        QByteArray garbage("GIF89a");
        for (int i = 0; i < length; ++i) {
            state = state * 1103515245u + 12345u;
            garbage.append(char(state >> 16));
        }
        GifAnimation random;
        if (random.load(garbage, 0, true, kBack)) {
            EXPECT_EQ(random.frameCount(), 0) << length;
        }
        const QSize canvas = random.canvas().size();
        for (int frame = 0; frame < random.frameCount(); ++frame) {
            random.render(frame, kBack);
            EXPECT_FALSE(random.canvas().isNull()) << length;
            EXPECT_EQ(random.canvas().size(), canvas) << length;  // frames never grow it
        }
        EXPECT_FALSE(random.render(-1, kBack)) << length;
        EXPECT_FALSE(random.render(random.frameCount(), kBack)) << length;
    }

    // Every cut, through every block: each frame the cut holds whole draws as in the whole file.
    QList<QImage> wholeCanvases;
    for (int frame = 0; frame < whole.frameCount(); ++frame) {
        ASSERT_TRUE(whole.render(frame, kBack));
        wholeCanvases.append(whole.canvas().convertToFormat(QImage::Format_RGB32));
    }
    for (qsizetype length = 0; length <= gif.size(); length += 1 + length / 64) {
        GifAnimation cut;
        const auto error = cut.load(gif.left(length), kForeColour, true, kBack);
        EXPECT_EQ(bool(error), length < 4);
        int complete = 0;
        while (complete < wholeCanvases.size() &&
               whole.structure()->frames[complete].endOffset < length) {
            ++complete;
        }
        EXPECT_GE(cut.frameCount(), complete) << length;
        for (int frame = 0; frame < complete; ++frame) {
            ASSERT_TRUE(cut.render(frame, kBack)) << length << " frame " << frame;
            // Without the wide last frame the canvas is narrower; what it shows is the same.
            const QImage drawn = cut.canvas().convertToFormat(QImage::Format_RGB32);
            EXPECT_EQ(drawn, wholeCanvases[frame].copy(QRect(QPoint(0, 0), drawn.size())))
                << length << " frame " << frame;
        }
        EXPECT_FALSE(cut.render(-1, kBack));
        EXPECT_FALSE(cut.render(cut.frameCount(), kBack));
    }
}

// A file cut inside the image descriptor of a frame with a transparent colour: that frame
// must not be taken from the bytes past the end, nor change the table the frames before it use.
TEST(GifAnimation, ACutInsideAnImageDescriptorLeavesTheFramesBeforeIt) {
    const QByteArray gif = mixedGif();
    GifAnimation whole;
    ASSERT_FALSE(whole.load(gif, kForeColour, true, kBack));
    ASSERT_TRUE(whole.render(0, kBack));
    const QImage first = whole.canvas().convertToFormat(QImage::Format_RGB32);
    const qint64 descriptor = whole.structure()->frames[1].descriptorOffset;
    for (qint64 length = descriptor + 1; length < descriptor + 10; ++length) {
        GifAnimation cut;
        ASSERT_FALSE(cut.load(gif.left(length), kForeColour, true, kBack));
        EXPECT_EQ(cut.frameCount(), 1) << length;
        ASSERT_TRUE(cut.render(0, kBack));
        const QImage drawn = cut.canvas().convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(drawn, first.copy(QRect(QPoint(0, 0), drawn.size()))) << length;
    }
}

TEST(GifAnimation, FramesThatCannotBeDrawnLeaveTheCanvas) {
    GifAnimation animation;
    ASSERT_FALSE(animation.load(mixedGif(), kForeColour, true, kBack));
    animation.render(1, kBack);
    const QImage before = animation.canvas();
    EXPECT_FALSE(animation.render(-1, kBack));
    EXPECT_FALSE(animation.render(6, kBack));
    EXPECT_EQ(animation.canvas(), before);

    // A screen of 65535 x 65535 would need 16 GB: refused with a message, no frames.
    QByteArray huge = writeTestGif(8, 5, colours(4, 2), {patternFrame(0, 0, 8, 5, 4, 0)});
    huge[6] = huge[7] = huge[8] = huge[9] = char(0xFF);
    const auto error = animation.load(huge, 0, true, kBack);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->text, "Sorry, this  file is too large to show");
    EXPECT_EQ(animation.frameCount(), 0);

    // Frame 0 whose image data is garbage: nothing is drawn, as in the control it models.
    QByteArray broken = writeTestGif(8, 5, colours(4, 2), {patternFrame(0, 0, 8, 5, 4, 0)});
    const qsizetype data = 13 + 12 + 10;  // header, table, image descriptor
    broken[data] = char(0x0F);            // no LZW code size is that large
    ASSERT_FALSE(animation.load(broken, 0, true, kBack));
    EXPECT_FALSE(animation.render(0, kBack));
}

TEST(GifAnimation, FramesReachingPastTheCanvasAreClippedToIt) {
    // A table holding the back colour lets the blank canvas share the frame's table, so rows
    // are copied whole; without it every pixel is mapped. Both paths clip alike.
    QList<QRgb> withBack = colours(4, 3);
    withBack[2] = kBack;
    for (const QList<QRgb> &table : {withBack, colours(4, 3)}) {
        // One 32 x 32 frame wholly right of its 32 x 32 canvas draws nothing.
        expectSameAsReference(writeTestGif(32, 32, table, {patternFrame(64, 0, 32, 32, 4, 1)}),
                              {0, 0});
        TestFrame keyed = patternFrame(20, 25, 30, 20, 4, 2);
        keyed.transparent = 1;
        TestFrame cleared = patternFrame(31, 31, 5, 5, 4, 4);
        cleared.disposal = 2;
        const QByteArray odd = writeTestGif(
            32, 32, table,
            {patternFrame(0, 0, 32, 32, 4, 1), keyed, patternFrame(3, 40, 8, 8, 4, 3), cleared,
             patternFrame(40, 3, 8, 8, 4, 5), patternFrame(7, 9, 32, 32, 4, 6)});
        expectSameAsReference(odd, {0, 1, 2, 3, 4, 5, 1});
    }
    // Frames of every size at offsets in and past the canvas, some keyed or clearing first.
    quint32 state = 11;
    const auto next = [&state](int below) {
        state = state * 1103515245u + 12345u;
        return int((state >> 16) % quint32(below));
    };
    QList<TestFrame> scattered;
    for (int i = 0; i < 24; ++i) {
        TestFrame frame = patternFrame(next(70), next(70), 1 + next(40), 1 + next(40), 4, i);
        frame.transparent = next(3) == 0 ? next(4) : -1;
        frame.disposal = next(5) == 0 ? 2 : 0;
        scattered.append(frame);
    }
    QList<int> order;
    for (int i = 0; i < scattered.size(); ++i)
        order.append(i);
    expectSameAsReference(writeTestGif(32, 32, withBack, scattered), order);

    // The same past a canvas that holds more than 256 colours.
    TestFrame many = patternFrame(0, 0, 40, 20, 200, 1);
    many.localTable = colours(200, 3);
    TestFrame more = patternFrame(30, 15, 30, 10, 100, 2);
    more.localTable = colours(100, 101);
    more.transparent = 7;
    expectSameAsReference(writeTestGif(40, 20, colours(4, 5), {many, more}), {0, 1});
}

TEST(GifAnimation, ReadAheadNeverOutlivesItsFile) {
    // Drawing frame 0 reads frame 1 ahead; a new file, or the animation's end, must not see it.
    const QList<QRgb> table = colours(16, 1);
    const QByteArray first = writeTestGif(
        30, 9, table, {patternFrame(0, 0, 30, 9, 16, 1), patternFrame(0, 0, 30, 9, 16, 2)});
    const QByteArray second = writeTestGif(
        30, 9, table, {patternFrame(0, 0, 30, 9, 16, 3), patternFrame(0, 0, 30, 9, 16, 4)});
    const QList<QImage> expected = referenceCanvases(second + ';', {0, 1}, kBack, kFore);
    ASSERT_EQ(expected.size(), 2);
    for (int i = 0; i < 5; ++i) {
        GifAnimation animation;
        ASSERT_FALSE(animation.load(first, kForeColour, true, kBack));
        ASSERT_TRUE(animation.render(0, kBack));
        // Time for the read-ahead to finish with the first file's frame.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ASSERT_FALSE(animation.load(second, kForeColour, true, kBack));
        ASSERT_TRUE(animation.render(1, kBack));
        EXPECT_EQ(animation.canvas().convertToFormat(QImage::Format_RGB32), expected[1]);
        animation.render(0, kBack);  // reads frame 1 ahead while the animation is destroyed
    }
}
