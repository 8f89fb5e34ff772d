#include "controls/clscommondialog.h"

#include "platform/colourdialog.h"

namespace varnelo {

std::optional<CommonDialogError> clsCommonDialog::ShowColor() {
    m_action = kColourAction;
    m_apiReturn = 0;
    m_extendedError = 0;

    ColourDialog::Request request;
    request.colour = Color;
    request.flags = FLAGS;
    request.customColours.fill(0xFFFFFF);
    const ColourDialog::Answer answer = m_dialog.chooseColour(request);
    m_apiReturn = answer.result;
    if (answer.result == 1) {
        Color = answer.colour;
    } else if (answer.result != 0) {
        m_extendedError = answer.extendedError;
    } else if (CancelError) {
        return CommonDialogError{};
    }
    return std::nullopt;
}

}  // namespace varnelo
