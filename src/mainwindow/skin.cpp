#include "mainwindow/skin.h"

#include "controls/cbutton.h"
#include "controls/cbuttonmodel.h"

namespace varnelo::skin {

cButton *makeButton(QWidget *parent, const QString &name, const QString &caption) {
    auto *button = new cButton(parent);
    button->setObjectName(name);
    button->setButtonType(cButtonModel::kEdgedType);
    button->setColorScheme(2);
    button->setBackColor(ButtonFace);
    button->setForeColor(ButtonText);
    button->setCaption(caption);
    return button;
}

}  // namespace varnelo::skin
