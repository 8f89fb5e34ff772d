#include <gtest/gtest.h>

#include "controls/clscommondialog.h"
#include "platform/colourdialog.h"

using namespace varnelo;

namespace {

// Answers as scripted and keeps the request it was shown.
class FakeColourDialog : public ColourDialog {
public:
    Answer chooseColour(const Request &request) override {
        ++shown;
        lastRequest = request;
        return answer;
    }

    Answer answer;
    Request lastRequest;
    int shown = 0;
};

}  // namespace

TEST(clsCommonDialog, ChosenColourLandsInColorWithTheRequestAsGiven) {
    FakeColourDialog dialog;
    clsCommonDialog cd(dialog);
    cd.Color = 0x00E3EEE3;
    cd.FLAGS = ColourDialog::kStartFromColour;
    dialog.answer = {1, 0x000000FF, 0};
    EXPECT_FALSE(cd.ShowColor());
    EXPECT_EQ(dialog.lastRequest.colour, 0x00E3EEE3u);
    EXPECT_EQ(dialog.lastRequest.flags, 1u);
    for (const quint32 custom : dialog.lastRequest.customColours)
        EXPECT_EQ(custom, 0xFFFFFFu);
    EXPECT_EQ(cd.Color, 0x000000FFu);
    EXPECT_EQ(cd.Action(), 3);
    EXPECT_EQ(cd.APIReturn(), 1);
    EXPECT_EQ(cd.ExtendedError(), 0u);
}

TEST(clsCommonDialog, CancelIsAnErrorOnlyWhenCancelErrorIsSet) {
    FakeColourDialog dialog;
    clsCommonDialog cd(dialog);
    cd.Color = 0x123456;
    dialog.answer = {0, 0xABCDEF, 0};
    EXPECT_FALSE(cd.ShowColor());
    EXPECT_EQ(cd.Color, 0x123456u);
    EXPECT_EQ(cd.APIReturn(), 0);

    cd.CancelError = true;
    const auto error = cd.ShowColor();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, qint32(0x8004037E));
    EXPECT_EQ(error->description, "Cancel Pressed");
    EXPECT_EQ(cd.Color, 0x123456u);
    EXPECT_EQ(cd.Action(), 3);
}

TEST(clsCommonDialog, FailureKeepsColourAndReportsTheExtendedErrorUntilTheNextCall) {
    FakeColourDialog dialog;
    clsCommonDialog cd(dialog);
    cd.Color = 0x123456;
    cd.CancelError = true;
    dialog.answer = {-1, 0xABCDEF, 0xFFFF};
    // A failure is no cancel: no error even with CancelError.
    EXPECT_FALSE(cd.ShowColor());
    EXPECT_EQ(cd.Color, 0x123456u);
    EXPECT_EQ(cd.APIReturn(), -1);
    EXPECT_EQ(cd.ExtendedError(), 0xFFFFu);

    dialog.answer = {1, 0x654321, 0};
    EXPECT_FALSE(cd.ShowColor());
    EXPECT_EQ(cd.ExtendedError(), 0u);
    EXPECT_EQ(cd.Color, 0x654321u);
    EXPECT_EQ(dialog.lastRequest.colour, 0x123456u);
    EXPECT_EQ(dialog.shown, 2);
}
