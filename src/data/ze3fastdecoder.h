#pragma once

#include <QByteArray>

#include "data/ze3header.h"

namespace varnelo {

// The decoder the program uses: resolves kLookupBits data bits per table look-up and walks the
// tree only for longer codes. Same output and same Ze3Check as Ze3ReferenceDecoder on every input.
class Ze3FastDecoder {
public:
    static constexpr int kLookupBits = 12;

    // Decodes a stream into out (empty when the stream is refused).
    static Ze3Check decode(const QByteArray &in, QByteArray &out);
};

}  // namespace varnelo
