// Both decoders on arbitrary bytes must agree, also when the fast one reuses its tables; any
// input must also survive an encode round trip.
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
    const Ze3Check check = Ze3ReferenceDecoder::decode(in, reference);
    // The second decode reuses the tables the first one built.
    Ze3FastDecoder fast;
    for (int pass = 0; pass < 2; ++pass) {
        QByteArray out;
        if (fast.decode(in, out) != check || out != reference)
            std::abort();
    }

    QByteArray stream(in.constData(), in.size());
    const clsCompress codec;
    codec.EncodeByte(stream);
    if (!codec.DecodeByte(stream).ok() || stream != in)
        std::abort();
    return 0;
}
