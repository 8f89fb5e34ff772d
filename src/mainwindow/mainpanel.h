#pragma once

#include <QObject>

#include <array>

#include "controls/transportart.h"

class QComboBox;
class QLabel;
class QRadioButton;
class QWidget;

namespace varnelo {

class PictureButton;
class SliderPic;
class UserControl1;
class cButton;
class ucSlider;
class ucSliderTip;

// The controls of the main panel: the sura list, the window check buttons, the three verse
// sliders with their buttons, the transport and mode buttons, the range and program commands and
// the status line. It builds and places them; the window connects them to its commands.
class MainPanel : public QObject {
    Q_OBJECT

public:
    // Height of the main panel, in pixels.
    static constexpr int kHeight = 166;

    MainPanel(QWidget *panel, ucSliderTip *sliderTip);

    // Places every control for a panel of the given width (pixels).
    void layout(int width);

    QLabel *caption = nullptr;
    QComboBox *cmbSura = nullptr;
    std::array<cButton *, 5> chkVisible{};  // 1..4
    std::array<ucSlider *, 3> sliders{};
    UserControl1 *verseCounter = nullptr;
    cButton *cmdRangeBegin = nullptr;
    cButton *cmdRangeEnd = nullptr;
    cButton *cmdCurrentVerse = nullptr;
    PictureButton *cmdPlay = nullptr;
    PictureButton *cmdPause = nullptr;
    PictureButton *cmdStop = nullptr;
    PictureButton *cmdNext = nullptr;
    PictureButton *cmdPrev = nullptr;
    std::array<QRadioButton *, 2> optVerseAdvance{};  // 0 range mode, 1 verse mode
    cButton *cmdRangeMoveBackward = nullptr;
    cButton *cmdRangeMoveForward = nullptr;
    cButton *cmdRangeModeSetup = nullptr;
    cButton *cmdRangeToMP3 = nullptr;
    cButton *cmdIndex = nullptr;
    cButton *cmdEqualizer = nullptr;
    cButton *cmdAbout = nullptr;
    SliderPic *SliderPic1 = nullptr;  // volume 0..1000
    QLabel *lblStatus = nullptr;

private:
    cButton *makeButton(const char *name, const QString &caption);
    PictureButton *makeTransport(const char *name, TransportArt::Glyph glyph);

    QWidget *m_panel;
};

}  // namespace varnelo
