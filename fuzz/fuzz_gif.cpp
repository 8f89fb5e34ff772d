// Arbitrary bytes as a page image: parsing, splitting into frames, decoding and drawing must fail
// cleanly, never overrun.
#include <cstdint>

#include "controls/gifanimation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    using namespace varnelo;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    GifAnimation gif;
    if (gif.load(bytes, 0x102030, true, 0xFFFFFFFF))
        return 0;
    // Page images have a few dozen frames; more only repeat the same work.
    for (int frame = 0; frame < gif.frameCount() && frame < 64; ++frame)
        gif.render(frame, 0xFFFFFFFF);
    return 0;
}
