// Fuzz target bodies for what the windows show: page images and translation pages.
#include "targets.h"

#include <cstdlib>
#include <cstring>

#include "controls/gifanimation.h"
#include "display/clswbproperty.h"
#include "display/legacyhtml.h"
#include "fuzzinput.h"

namespace varnelo::fuzz {

int fuzzGif(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    GifAnimation gif;
    // The length picks the colour change, so the input stays the file itself.
    if (gif.load(bytes, 0x102030, size % 2 == 0, 0xFFFFFFFF))
        return 0;
    const QSize canvas = gif.canvas().size();
    // Every frame, as far as a budget of painted pixels allows: a tiny frame on a huge screen
    // repeated a thousand times only repeats the same work.
    const qint64 budget = qint64(1) << 28;
    const qint64 perFrame = qMax<qint64>(1, qint64(canvas.width()) * canvas.height());
    for (int frame = 0; frame < gif.frameCount() && frame * perFrame < budget; ++frame) {
        gif.render(frame, 0xFFFFFFFF);
        require(gif.canvas().size() == canvas);
    }
    return 0;
}

int fuzzPage(const uint8_t *data, size_t size) {
    FuzzInput input(data, size);
    const uint8_t flags = input.byte();
    clsWBProperty page;
    page.IsRTL = flags & 1;
    page.IsUnicode = flags & 2;
    page.FontUsePercentage = flags & 4;
    page.MoreInfoAvailable = flags & 8;
    if (flags & 16) {
        double size = 0;
        const QByteArray raw = input.field().leftJustified(sizeof size, '\0', true);
        std::memcpy(&size, raw.constData(), sizeof size);
        page.FontSize = size;
    } else {
        page.FontSize = input.byte() / 4.0;
    }
    qint32 colours[2] = {};
    const QByteArray raw = input.field().leftJustified(sizeof colours, '\0', true);
    std::memcpy(colours, raw.constData(), sizeof colours);
    page.setBackColour(colours[0]);
    page.setForeColour(colours[1]);
    page.FontFace = QString::fromUtf8(input.field());
    page.AdditionalStyles = QString::fromUtf8(input.field());
    page.WindowCaption = QString::fromUtf8(input.field());
    page.InfoSection = QString::fromUtf8(input.field()).replace('\n', QChar(0));
    const QString text = QString::fromUtf8(input.rest());
    page.setDisplayText(text);

    normaliseLegacyHtml(page.BuildPage());
    normaliseLegacyHtml(page.AdditionalInfo());
    normaliseLegacyHtml(text);
    return 0;
}

}  // namespace varnelo::fuzz
