#include "mainwindow/captionbuttons.h"

#include <QFontMetrics>
#include <QLabel>

#include "controls/cbutton.h"

namespace varnelo {

namespace {

// The main panel's button colours, as 0x00BBGGRR.
constexpr quint32 ButtonFace = 0x00735F6B;
constexpr quint32 ButtonText = 0x00E3EEE3;
constexpr int ButtonHeight = 14;
constexpr int ButtonTop = 1;

struct ButtonSpec {
    const char *name;
    const char *caption;
};

constexpr std::array<ButtonSpec, CaptionButtonCount> Specs = {{
    {"cmdTransMenu", "Text"},
    {"cmdPlus", "+"},
    {"cmdMinus", "-"},
    {"cmdCopy", "Copy"},
    {"cmdInfo", "Info"},
}};

}  // namespace

CaptionButtons::CaptionButtons(QWidget *panel, int window, TextCommands &commands) {
    using Command = void (TextCommands::*)(int);
    constexpr std::array<Command, CaptionButtonCount> clicks = {
        &TextCommands::cmdTransMenu_Click, &TextCommands::cmdPlus_Click,
        &TextCommands::cmdMinus_Click, &TextCommands::cmdCopy_Click, &TextCommands::cmdInfo_Click};
    for (int i = 0; i < CaptionButtonCount; ++i) {
        auto *button = new cButton(panel);
        button->setObjectName(
            QStringLiteral("%1_%2").arg(QLatin1String(Specs[i].name)).arg(window));
        button->setButtonType(cButtonModel::kEdgedType);
        button->setColorScheme(2);
        button->setBackColor(ButtonFace);
        button->setForeColor(ButtonText);
        button->setCaption(QLatin1String(Specs[i].caption));
        // Like the skin buttons beside them, they leave the focus where it is.
        button->setFocusPolicy(Qt::NoFocus);
        QFont font = button->font();
        font.setPixelSize(10);
        button->setFont(font);
        const int width = QFontMetrics(font).horizontalAdvance(button->caption()) + 10;
        button->resize(std::max(16, width), ButtonHeight);
        QObject::connect(button, &cButton::Click, panel,
                         [&commands, click = clicks[i], window] { (commands.*click)(window); });
        m_buttons[i] = button;
    }
}

void CaptionButtons::layout(const QLabel &label) {
    std::array<int, CaptionButtonCount> widths{};
    for (int i = 0; i < CaptionButtonCount; ++i)
        widths[i] = m_buttons[i]->width();
    const std::array<int, CaptionButtonCount> lefts =
        CaptionButtonLefts(label.x(), label.width(), widths);
    for (int i = 0; i < CaptionButtonCount; ++i)
        m_buttons[i]->move(lefts[i], ButtonTop);
}

}  // namespace varnelo
