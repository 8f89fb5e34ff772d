#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRgb>

namespace varnelo::test {

// One frame for writeTestGif: palette indexes row by row, an optional local table.
struct TestFrame {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    QList<QRgb> localTable;
    bool interlaced = false;
    int disposal = 0;
    int transparent = -1;  // index, or -1 for none
    QByteArray pixels;
};

// A frame of the given size whose pixels run through indexes 0..colours-1 in a fixed pattern.
TestFrame patternFrame(int left, int top, int width, int height, int colours, int seed);

// A GIF89a written by giflib; an empty global table writes none.
QByteArray writeTestGif(int width, int height, const QList<QRgb> &globalTable,
                        const QList<TestFrame> &frames);

// Decodes the GIF with giflib and composites the frames named in order the way the page control
// does: black in global entries 0 and 1 becomes fore, disposal 2 clears to back first, pixels of
// the key colour are left out. Returns the canvas after each frame; empty when giflib refuses.
QList<QImage> referenceCanvases(const QByteArray &gif, const QList<int> &order, QRgb back,
                                QRgb fore);

}  // namespace varnelo::test
