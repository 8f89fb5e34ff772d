#include <gtest/gtest.h>

#include <QApplication>
#include <QColorDialog>
#include <QTimer>

#include <functional>

#include "platform/widgetdialogs.h"

using namespace varnelo;

namespace {

// Runs act on the colour chooser once it is up.
void whenChooserOpens(std::function<void(QColorDialog &)> act) {
    QTimer::singleShot(0, [act] {
        auto *dialog = qobject_cast<QColorDialog *>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        act(*dialog);
    });
}

}  // namespace

TEST(WidgetDialogs, ColourChooserSpeaksRedInTheLowByte) {
    WidgetDialogs dialogs(nullptr);
    ColourDialog::Request request;
    request.colour = 0x00332211;  // red 0x11, green 0x22, blue 0x33
    request.flags = ColourDialog::kStartFromColour;
    request.customColours.fill(0xFFFFFF);
    QColor opened;
    whenChooserOpens([&](QColorDialog &dialog) {
        opened = dialog.currentColor();
        dialog.setCurrentColor(QColor(0x0A, 0x0B, 0x0C));
        dialog.accept();
    });
    const ColourDialog::Answer chosen = dialogs.chooseColour(request);
    EXPECT_EQ(opened, QColor(0x11, 0x22, 0x33));
    EXPECT_EQ(chosen.result, 1);
    EXPECT_EQ(chosen.colour, 0x000C0B0Au);
    EXPECT_EQ(QColorDialog::customColor(15), QColor(Qt::white));

    // Without the flag the chooser opens on black; a cancel answers 0.
    request.flags = 0;
    whenChooserOpens([&](QColorDialog &dialog) {
        opened = dialog.currentColor();
        dialog.reject();
    });
    EXPECT_EQ(dialogs.chooseColour(request).result, 0);
    EXPECT_EQ(opened, QColor(Qt::black));
}
