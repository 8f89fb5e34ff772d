#pragma once

#include <memory>

#include <QByteArray>

#include "data/ze3header.h"

namespace varnelo {

// The decoder the program uses: resolves kLookupBits data bits per table look-up and walks the
// tree only for longer codes. Same output and same Ze3Check as Ze3ReferenceDecoder on every input.
// The tables of the last code table seen are kept, so streams packed with the same code (the short
// texts of one archive, say) skip building them.
class Ze3FastDecoder {
public:
    static constexpr int kLookupBits = 12;

    Ze3FastDecoder();
    ~Ze3FastDecoder();
    Ze3FastDecoder(Ze3FastDecoder &&) noexcept;
    Ze3FastDecoder &operator=(Ze3FastDecoder &&) noexcept;

    // Decodes a stream into out (empty when the stream is refused).
    Ze3Check decode(const QByteArray &in, QByteArray &out);

private:
    struct Tables;
    std::unique_ptr<Tables> m_tables;
};

}  // namespace varnelo
