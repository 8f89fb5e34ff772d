#pragma once

#include <QtGlobal>

#include <array>

namespace varnelo {

// The platform's colour chooser; tests hand in a scripted answer. Colours are 0x00BBGGRR.
class ColourDialog {
public:
    // Flag: open on the given colour rather than on black.
    static constexpr quint32 kStartFromColour = 1;

    struct Request {
        quint32 colour = 0;
        quint32 flags = 0;
        std::array<quint32, 16> customColours{};
    };
    struct Answer {
        // 1 chosen, 0 cancelled, anything else a failure described by extendedError.
        qint32 result = 0;
        quint32 colour = 0;
        quint32 extendedError = 0;
    };

    virtual ~ColourDialog() = default;

    // Shows the chooser modally and waits for the user.
    virtual Answer chooseColour(const Request &request) = 0;
};

}  // namespace varnelo
