#include "mainwindow/captionbuttons.h"

#include <QFontMetrics>
#include <QLabel>

#include "controls/cbutton.h"
#include "mainwindow/skin.h"

namespace varnelo {

namespace {

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
        cButton *button = skin::makeButton(
            panel, QStringLiteral("%1_%2").arg(QLatin1String(Specs[i].name)).arg(window),
            QLatin1String(Specs[i].caption));
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
