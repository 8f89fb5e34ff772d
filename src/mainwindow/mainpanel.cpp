#include "mainwindow/mainpanel.h"

#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QWidget>

#include "controls/cbutton.h"
#include "controls/picturebutton.h"
#include "controls/sliderpic.h"
#include "controls/sliderpicpainter.h"
#include "controls/transportart.h"
#include "controls/ucslider.h"
#include "controls/ucsliderpainter.h"
#include "controls/usercontrol1.h"
#include "data/suracatalogue.h"
#include "mainwindow/skin.h"

namespace varnelo {

namespace {

using skin::LightText;
using skin::PanelColour;
constexpr quint32 CheckedText = 0x0080FFFF;

// Left column of the slider rows: the button naming each slider.
constexpr int LabelWidth = 92;
constexpr int SliderLeft = 10 + LabelWidth + 4;
// The right-hand 260 pixels hold the command buttons, two columns of four.
constexpr int SliderRightMargin = 260;
constexpr int CommandWidth = 118;
constexpr int CommandHeight = 22;
constexpr int SliderTop = 46;
constexpr int TransportTop = 138;
constexpr QSize VolumeSize(240, 20);

}  // namespace

MainPanel::MainPanel(QWidget *panel, ucSliderTip *sliderTip) : QObject(panel), m_panel(panel) {
    caption = new QLabel(panel);
    caption->setObjectName(QStringLiteral("Label1_0"));
    caption->setStyleSheet(LightText);
    caption->move(8, 1);

    cmbSura = new QComboBox(panel);
    cmbSura->setObjectName(QStringLiteral("cmbSura"));
    const QStringList &texts = SuraListTexts();
    for (int i = 0; i < texts.size(); ++i)
        cmbSura->addItem(texts[i], i + 1);
    cmbSura->setCurrentIndex(-1);  // no sura until the user picks one

    for (int i = 1; i <= 4; ++i) {
        chkVisible[i] = makeButton("chkVisible", i == 1 ? QStringLiteral("Arabic") : QString());
        chkVisible[i]->setObjectName(QStringLiteral("chkVisible_%1").arg(i));
        chkVisible[i]->setIsCheckBox(true);
        chkVisible[i]->setForeColorChecked(CheckedText);
    }

    cmdRangeBegin = makeButton("cmdRangeBegin", QStringLiteral("Range Begin"));
    cmdRangeEnd = makeButton("cmdRangeEnd", QStringLiteral("Range End"));
    cmdCurrentVerse = makeButton("cmdCurrentVerse", QStringLiteral("Current Verse"));
    for (int i = 0; i < 3; ++i) {
        sliders[i] = new ucSlider(panel, sliderTip);
        sliders[i]->setObjectName(QStringLiteral("ucSlider1_%1").arg(i));
        sliders[i]->setBackColor(PanelColour);
        sliders[i]->model().setOrientation(ucSliderModel::kHorizontal);
        sliders[i]->setSliderImage(ucSliderPainter::skinThumb(true));
        sliders[i]->setRailImage(ucSliderPainter::skinRail(true));
        sliders[i]->model().setRailStyle(ucSliderPainter::kRailImageStyle);
    }
    verseCounter = new UserControl1(panel);
    verseCounter->setObjectName(QStringLiteral("UserControl11"));
    verseCounter->setBackColor(PanelColour);

    cmdPrev = makeTransport("cmdPrev", TransportArt::Glyph::Prev);
    cmdPlay = makeTransport("cmdPlay", TransportArt::Glyph::Play);
    cmdPause = makeTransport("cmdPause", TransportArt::Glyph::Pause);
    cmdStop = makeTransport("cmdStop", TransportArt::Glyph::Stop);
    cmdNext = makeTransport("cmdNext", TransportArt::Glyph::Next);
    cmdPrev->setToolTip(QStringLiteral("Previous Sura"));
    cmdPause->setToolTip(QStringLiteral("Pause"));
    cmdStop->setToolTip(QStringLiteral("Stop"));
    cmdNext->setToolTip(QStringLiteral("Next Sura"));
    const std::array<QString, 2> modes = {QStringLiteral("Range Mode"),
                                          QStringLiteral("Verse Mode")};
    for (int i = 0; i < 2; ++i) {
        optVerseAdvance[i] = new QRadioButton(modes[i], panel);
        optVerseAdvance[i]->setObjectName(QStringLiteral("optVerseAdvance_%1").arg(i));
        optVerseAdvance[i]->setStyleSheet(LightText);
    }
    optVerseAdvance[0]->setChecked(true);
    lblStatus = new QLabel(panel);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setStyleSheet(QStringLiteral("color: rgb(255, 236, 160);"));

    cmdRangeMoveBackward = makeButton("cmdRangeMoveBackward", QStringLiteral("<< Range"));
    cmdRangeMoveForward = makeButton("cmdRangeMoveForward", QStringLiteral("Range >>"));
    cmdRangeModeSetup = makeButton("cmdRangeModeSetup", QStringLiteral("Range &Setup"));
    cmdRangeToMP3 = makeButton("cmdRangeToMP3", QStringLiteral("Range to MP3"));
    cmdIndex = makeButton("cmdIndex", QStringLiteral("&Index"));
    cmdEqualizer = makeButton("cmdEqualizer", QStringLiteral("Equalizer OFF"));
    cmdAbout = makeButton("cmdAbout", QStringLiteral("A&bout"));

    SliderPic1 = new SliderPic(panel);
    SliderPic1->setObjectName(QStringLiteral("SliderPic1"));
    SliderPic1->setBackColor(PanelColour);
    SliderPic1->setImageSlider(SliderPicPainter::volumeRail(VolumeSize));
    SliderPic1->setImageLeft(SliderPicPainter::volumeLeft(VolumeSize));
    SliderPic1->setImagePointer(SliderPicPainter::volumePointer());
    (void)SliderPic1->model().setMax(1000);
    SliderPic1->model().setCurPosition(1000);
    SliderPic1->setToolTip(QStringLiteral("Volume"));
}

cButton *MainPanel::makeButton(const char *name, const QString &text) {
    return skin::makeButton(m_panel, QLatin1String(name), text);
}

PictureButton *MainPanel::makeTransport(const char *name, TransportArt::Glyph glyph) {
    auto *button = new PictureButton(TransportArt::pixmap(glyph, false),
                                     TransportArt::pixmap(glyph, true), m_panel);
    button->setObjectName(QLatin1String(name));
    return button;
}

void MainPanel::layout(int width) {
    cmbSura->setGeometry(10, 20, 260, 22);
    for (int i = 1; i <= 4; ++i)
        chkVisible[i]->setGeometry(280 + (i - 1) * 118, 21, 114, 20);

    const int sliderWidth = std::max(60, width - SliderRightMargin - SliderLeft);
    const int rowHeight = std::max(20, sliders[0]->sizeHint().height());
    const std::array<cButton *, 3> labels = {cmdRangeBegin, cmdRangeEnd, cmdCurrentVerse};
    for (int i = 0; i < 3; ++i) {
        const int top = SliderTop + i * rowHeight;
        labels[i]->setGeometry(10, top + (rowHeight - 18) / 2, LabelWidth, 18);
        sliders[i]->setGeometry(SliderLeft, top, sliderWidth, rowHeight);
    }
    verseCounter->setGeometry(SliderLeft, SliderTop + 3 * rowHeight, sliderWidth, 8);

    int x = 10;
    for (PictureButton *button : {cmdPrev, cmdPlay, cmdPause, cmdStop, cmdNext}) {
        button->move(x, TransportTop);
        x += button->width() + 2;
    }
    x += 10;
    for (QRadioButton *option : optVerseAdvance) {
        option->adjustSize();
        option->move(x, TransportTop + 3);
        x += option->width() + 8;
    }
    lblStatus->setGeometry(x + 8, TransportTop + 3, std::max(0, width - SliderRightMargin - x), 18);

    const std::array<cButton *, 8> commands = {cmdRangeMoveBackward,
                                               cmdRangeMoveForward,
                                               cmdRangeModeSetup,
                                               cmdRangeToMP3,
                                               cmdIndex,
                                               cmdEqualizer,
                                               cmdAbout,
                                               nullptr};
    for (int i = 0; i < int(commands.size()); ++i) {
        if (!commands[i])
            continue;
        const int column = i % 2;
        const int row = i / 2;
        commands[i]->setGeometry(width - 250 + column * (CommandWidth + 4), SliderTop + row * 24,
                                 CommandWidth, CommandHeight);
    }
    SliderPic1->setGeometry(QRect(QPoint(width - 250, TransportTop + 2), VolumeSize));
}

}  // namespace varnelo
