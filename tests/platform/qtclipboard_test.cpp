#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "platform/qtclipboard.h"

using namespace varnelo;

TEST(QtClipboard, TextAndChangeNotification) {
    QtClipboard clipboard;
    int changes = 0;
    clipboard.setChangedCallback([&] { ++changes; });

    clipboard.setText(" 36:1-12 ");
    EXPECT_EQ(clipboard.text(), " 36:1-12 ");
    EXPECT_GE(changes, 1);

    // Something other than text, put there by another program.
    auto *image = new QMimeData;
    image->setData("image/png", QByteArray("\x89PNG", 4));
    QGuiApplication::clipboard()->setMimeData(image);
    EXPECT_EQ(clipboard.text(), std::nullopt);

    const int seen = changes;
    clipboard.setChangedCallback({});
    clipboard.setText("2:255");
    EXPECT_EQ(changes, seen);
}
