// Both decoders on arbitrary bytes must agree; any input must also survive an encode round trip.
#include <cstdint>
#include <cstdlib>

#include "data/clscompress.h"
#include "data/ze3fastdecoder.h"
#include "data/ze3referencedecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    using namespace varnelo;
    const QByteArray in =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QByteArray reference;
    QByteArray fast;
    if (Ze3ReferenceDecoder::decode(in, reference) != Ze3FastDecoder::decode(in, fast) ||
        reference != fast)
        std::abort();

    QByteArray stream(in.constData(), in.size());
    const clsCompress codec;
    codec.EncodeByte(stream);
    if (!codec.DecodeByte(stream).ok() || stream != in)
        std::abort();
    return 0;
}
