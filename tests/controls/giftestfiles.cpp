#include "giftestfiles.h"

#include <gif_lib.h>

#include <cstring>
#include <vector>

namespace varnelo::test {

namespace {

int appendBytes(GifFileType *gif, const GifByteType *bytes, int length) {
    static_cast<QByteArray *>(gif->UserData)->append(reinterpret_cast<const char *>(bytes), length);
    return length;
}

struct Cursor {
    const QByteArray *data;
    qsizetype at;
};

int readBytes(GifFileType *gif, GifByteType *out, int length) {
    auto *cursor = static_cast<Cursor *>(gif->UserData);
    const int n = int(qMin<qsizetype>(length, cursor->data->size() - cursor->at));
    std::memcpy(out, cursor->data->constData() + cursor->at, size_t(n));
    cursor->at += n;
    return n;
}

ColorMapObject *makeMap(const QList<QRgb> &table) {
    if (table.isEmpty())
        return nullptr;
    int size = 2;
    while (size < table.size())
        size *= 2;
    std::vector<GifColorType> colours(size_t(size), GifColorType{0, 0, 0});
    for (qsizetype i = 0; i < table.size(); ++i)
        colours[size_t(i)] = {GifByteType(qRed(table[i])), GifByteType(qGreen(table[i])),
                              GifByteType(qBlue(table[i]))};
    return GifMakeMapObject(size, colours.data());
}

QList<int> interlacedRows(int height) {
    QList<int> rows;
    const int starts[] = {0, 4, 2, 1};
    const int steps[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = starts[pass]; y < height; y += steps[pass])
            rows.append(y);
    return rows;
}

}  // namespace

TestFrame patternFrame(int left, int top, int width, int height, int colours, int seed) {
    TestFrame frame;
    frame.left = left;
    frame.top = top;
    frame.width = width;
    frame.height = height;
    frame.pixels.resize(qsizetype(width) * height);
    quint32 state = quint32(seed) * 2654435761u + 1;
    for (char &pixel : frame.pixels) {
        state = state * 1103515245u + 12345u;
        pixel = char((state >> 16) % quint32(colours));
    }
    return frame;
}

QByteArray writeTestGif(int width, int height, const QList<QRgb> &globalTable,
                        const QList<TestFrame> &frames) {
    QByteArray out;
    int error = 0;
    GifFileType *gif = EGifOpen(&out, appendBytes, &error);
    EGifSetGifVersion(gif, true);
    ColorMapObject *global = makeMap(globalTable);
    bool ok = EGifPutScreenDesc(gif, width, height, 8, 0, global) == GIF_OK;
    GifFreeMapObject(global);
    for (const TestFrame &frame : frames) {
        if (frame.disposal || frame.transparent >= 0) {
            const GifByteType control[4] = {
                GifByteType((frame.disposal << 2) | (frame.transparent >= 0 ? 1 : 0)), 0, 0,
                GifByteType(frame.transparent >= 0 ? frame.transparent : 0)};
            ok = ok && EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, control) == GIF_OK;
        }
        ColorMapObject *local = makeMap(frame.localTable);
        ok = ok && EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height,
                                    frame.interlaced, local) == GIF_OK;
        GifFreeMapObject(local);
        QList<int> rows;
        for (int y = 0; y < frame.height; ++y)
            rows.append(y);
        for (const int y : frame.interlaced ? interlacedRows(frame.height) : rows) {
            auto *line = reinterpret_cast<GifPixelType *>(
                const_cast<char *>(frame.pixels.constData()) + qsizetype(y) * frame.width);
            ok = ok && EGifPutLine(gif, line, frame.width) == GIF_OK;
        }
        // giflib drops its copy of a local table unfreed when the next frame has none.
        GifFreeMapObject(gif->Image.ColorMap);
        gif->Image.ColorMap = nullptr;
    }
    EGifCloseFile(gif, &error);
    return ok ? out : QByteArray();
}

QList<QImage> referenceCanvases(const QByteArray &bytes, const QList<int> &order, QRgb back,
                                QRgb fore) {
    Cursor cursor{&bytes, 0};
    int error = 0;
    GifFileType *gif = DGifOpen(&cursor, readBytes, &error);
    if (!gif)
        return {};
    if (DGifSlurp(gif) != GIF_OK) {
        DGifCloseFile(gif, &error);
        return {};
    }
    const auto colour = [&](const ColorMapObject *map, int index, bool global) -> QRgb {
        if (!map || index >= map->ColorCount)
            return qRgb(0, 0, 0);
        const GifColorType &c = map->Colors[index];
        const QRgb rgb = qRgb(c.Red, c.Green, c.Blue);
        return global && index < 2 && rgb == qRgb(0, 0, 0) ? fore : rgb;
    };
    int width = gif->SWidth;
    int height = gif->SHeight;
    for (int i = 0; i < gif->ImageCount; ++i) {
        width = qMax(width, gif->SavedImages[i].ImageDesc.Width);
        height = qMax(height, gif->SavedImages[i].ImageDesc.Height);
    }
    QImage canvas((width + 31) / 32 * 32, height, QImage::Format_RGB32);
    canvas.fill(back);
    QList<QImage> canvases;
    for (const int i : order) {
        const SavedImage &image = gif->SavedImages[i];
        const GifImageDesc &d = image.ImageDesc;
        GraphicsControlBlock control{};
        control.TransparentColor = NO_TRANSPARENT_COLOR;
        DGifSavedExtensionToGCB(gif, i, &control);
        const bool global = !d.ColorMap;
        const ColorMapObject *map = global ? gif->SColorMap : d.ColorMap;
        if (control.DisposalMode == 2)
            canvas.fill(back);
        const int key = control.TransparentColor;
        for (int y = 0; y < d.Height && d.Top + y < canvas.height(); ++y) {
            for (int x = 0; x < d.Width && d.Left + x < canvas.width(); ++x) {
                const QRgb rgb = colour(map, image.RasterBits[y * d.Width + x], global);
                if (key == NO_TRANSPARENT_COLOR || rgb != colour(map, key, global))
                    canvas.setPixel(d.Left + x, d.Top + y, rgb);
            }
        }
        canvases.append(canvas);
    }
    DGifCloseFile(gif, &error);
    return canvases;
}

}  // namespace varnelo::test
