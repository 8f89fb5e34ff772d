#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace varnelo {

class ColourDialog;

// The error ShowColor reports for a cancelled dialog when CancelError is set.
struct CommonDialogError {
    static constexpr qint32 kCancelNumber = qint32(0x8004037E);
    qint32 number = kCancelNumber;
    QString description = QStringLiteral("Cancel Pressed");

    bool operator==(const CommonDialogError &) const = default;
};

// The colour chooser behind the properties of the classic common-dialog control; the colour
// dialog is the only one the program shows.
class clsCommonDialog {
public:
    // Kind of the last dialog in Action.
    static constexpr qint16 kColourAction = 3;

    explicit clsCommonDialog(ColourDialog &dialog) : m_dialog(dialog) {}

    quint32 Color = 0;
    bool CancelError = false;
    quint32 FLAGS = 0;

    qint16 Action() const { return m_action; }
    qint32 APIReturn() const { return m_apiReturn; }
    quint32 ExtendedError() const { return m_extendedError; }

    // Shows the colour chooser starting from Color with FLAGS. A choice lands in Color; a failure
    // leaves Color and sets ExtendedError; a cancel leaves Color and is an error only when
    // CancelError is set.
    std::optional<CommonDialogError> ShowColor();

private:
    ColourDialog &m_dialog;
    qint16 m_action = 0;
    qint32 m_apiReturn = 0;
    quint32 m_extendedError = 0;
};

}  // namespace varnelo
