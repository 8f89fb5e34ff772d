#pragma once

// The colours the main window's panels and their buttons share, and the button they all use.
#include <QColor>
#include <QString>

class QWidget;

namespace varnelo {

class cButton;

namespace skin {

inline const QColor PanelColour(57, 49, 57);
inline const QString LightText = QStringLiteral("color: rgb(227, 238, 227);");
// The buttons' face and caption, as 0x00BBGGRR.
constexpr quint32 ButtonFace = 0x00735F6B;
constexpr quint32 ButtonText = 0x00E3EEE3;

// An edged button in the panel colours, named for the tests and the key filters.
cButton *makeButton(QWidget *parent, const QString &name, const QString &caption);

}  // namespace skin

}  // namespace varnelo
