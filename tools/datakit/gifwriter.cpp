#include "gifwriter.h"

#include <gif_lib.h>

#include <cstring>
#include <vector>

namespace varnelo {

namespace {

int appendToArray(GifFileType *gif, const GifByteType *bytes, int length) {
    static_cast<QByteArray *>(gif->UserData)->append(reinterpret_cast<const char *>(bytes), length);
    return length;
}

struct ReadCursor {
    const QByteArray *data;
    qsizetype at;
};

int readFromArray(GifFileType *gif, GifByteType *out, int length) {
    auto *cursor = static_cast<ReadCursor *>(gif->UserData);
    const int n = int(qMin<qsizetype>(length, cursor->data->size() - cursor->at));
    std::memcpy(out, cursor->data->constData() + cursor->at, size_t(n));
    cursor->at += n;
    return n;
}

}  // namespace

QByteArray writeGif(const GifFrames &frames, QString *error) {
    QByteArray out;
    const auto fail = [&](int code) {
        if (error) {
            *error = QStringLiteral("GIF writer: %1").arg(QString::fromUtf8(GifErrorString(code)));
        }
        return QByteArray();
    };
    if (frames.width <= 0 || frames.height <= 0 || frames.width > 65535 || frames.height > 65535 ||
        frames.palette.size() < 2 || frames.palette.size() > 256) {
        if (error) {
            *error = QStringLiteral("GIF writer: bad size or palette");
        }
        return {};
    }
    int bits = 1;
    while ((1 << bits) < frames.palette.size()) {
        ++bits;
    }
    std::vector<GifColorType> colours(size_t(1) << bits, GifColorType{0, 0, 0});
    for (qsizetype i = 0; i < frames.palette.size(); ++i) {
        colours[size_t(i)] = {GifByteType(qRed(frames.palette[i])),
                              GifByteType(qGreen(frames.palette[i])),
                              GifByteType(qBlue(frames.palette[i]))};
    }
    int code = 0;
    GifFileType *gif = EGifOpen(&out, appendToArray, &code);
    if (!gif) {
        return fail(code);
    }
    EGifSetGifVersion(gif, true);
    ColorMapObject *map = GifMakeMapObject(1 << bits, colours.data());
    const int background = qMax(frames.transparentIndex, 0);
    bool ok = EGifPutScreenDesc(gif, frames.width, frames.height, bits, background, map) == GIF_OK;
    GifFreeMapObject(map);
    std::vector<quint8> line(size_t(frames.width));
    for (int f = 0; ok && f < frames.frameCount; ++f) {
        // Disposal 2 (each frame stands alone) and an optional transparent colour.
        const bool transparent = frames.transparentIndex >= 0;
        const GifByteType control[4] = {
            GifByteType((2 << 2) | (transparent ? 1 : 0)), GifByteType(frames.delay & 0xFF),
            GifByteType(frames.delay >> 8), GifByteType(transparent ? frames.transparentIndex : 0)};
        ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, control) == GIF_OK &&
             EGifPutImageDesc(gif, 0, 0, frames.width, frames.height, false, nullptr) == GIF_OK;
        for (int y = 0; ok && y < frames.height; ++y) {
            frames.row(f, y, line.data());
            ok = EGifPutLine(gif, line.data(), frames.width) == GIF_OK;
        }
    }
    const int failure = gif->Error;
    if (EGifCloseFile(gif, &code) != GIF_OK || !ok) {
        return fail(ok ? code : failure);
    }
    return out;
}

GifInfo describeGif(const QByteArray &bytes, bool withPixels) {
    GifInfo info;
    ReadCursor cursor{&bytes, 0};
    int code = 0;
    GifFileType *gif = DGifOpen(&cursor, readFromArray, &code);
    if (!gif) {
        info.error = QString::fromUtf8(GifErrorString(code));
        return info;
    }
    if (DGifSlurp(gif) != GIF_OK) {
        info.error = QString::fromUtf8(GifErrorString(gif->Error));
    } else {
        info.frameCount = gif->ImageCount;
        info.width = gif->SWidth;
        info.height = gif->SHeight;
        info.colours = gif->SColorMap ? gif->SColorMap->ColorCount : 0;
        info.framesFullSize = true;
        for (int i = 0; i < gif->ImageCount; ++i) {
            const GifImageDesc &d = gif->SavedImages[i].ImageDesc;
            info.framesFullSize = info.framesFullSize && d.Left == 0 && d.Top == 0 &&
                                  d.Width == gif->SWidth && d.Height == gif->SHeight;
            if (withPixels) {
                info.pixels.append(
                    QByteArray(reinterpret_cast<const char *>(gif->SavedImages[i].RasterBits),
                               qsizetype(d.Width) * d.Height));
            }
        }
    }
    DGifCloseFile(gif, &code);
    return info;
}

}  // namespace varnelo
