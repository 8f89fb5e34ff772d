#pragma once

#include <QByteArray>

#include "data/ze3header.h"

namespace varnelo {

// The plain decoder: builds the tree and walks it one bit at a time. Kept as the yardstick the
// fast decoder is tested against.
class Ze3ReferenceDecoder {
public:
    // Decodes a stream into out (empty when the stream is refused).
    static Ze3Check decode(const QByteArray &in, QByteArray &out);
};

}  // namespace varnelo
