#pragma once

#include <QByteArray>
#include <QList>
#include <QRgb>
#include <QString>

#include <functional>

namespace varnelo {

// An animated GIF of full-size frames over one global colour table (2..256 entries, padded to a
// power of two). Every frame has disposal 2 and, when transparentIndex >= 0, that transparent
// colour. row(frame, y, line) fills the width palette indexes of one row.
struct GifFrames {
    int width = 0;
    int height = 0;
    int frameCount = 0;
    QList<QRgb> palette;
    int transparentIndex = -1;
    int delay = 0;  // hundredths of a second between frames
    std::function<void(int frame, int y, quint8 *line)> row;
};

// The GIF file, or an empty array with error set when giflib refuses.
QByteArray writeGif(const GifFrames &frames, QString *error);

// Frame count, size and palette of a GIF file, for checks; frameCount -1 when it does not decode.
struct GifInfo {
    int frameCount = -1;
    int width = 0;
    int height = 0;
    int colours = 0;
    bool framesFullSize = false;  // every frame covers the whole logical screen
    QList<QByteArray> pixels;     // palette indexes of each frame, when asked for
    QString error;
};
GifInfo describeGif(const QByteArray &gif, bool withPixels = false);

}  // namespace varnelo
