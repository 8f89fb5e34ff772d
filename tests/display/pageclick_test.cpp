#include <gtest/gtest.h>

#include "display/pageclick.h"
#include "platform/fakehtmlview.h"

using namespace varnelo;

TEST(PageClick, ClickAndRightAreCancelledAndForwardedOthersAllowed) {
    FakeHtmlView view;
    QList<int> buttons;
    routePageClicks(view, [&](int button) { buttons << button; });

    struct Case {
        const char *address;
        int button;
    };
    const Case cases[] = {
        {"click", 1},
        {"about:blank/click", 1},
        {"right", 2},
        {"file:///C:/right", 2},
        {"rightclick", 1},  // both: the left click wins
        {"clickright", 1},
        {"about:blank", 0},
        {"Click", 0},  // the search is case-sensitive
        {"https://example.org/", 0},
    };
    for (const Case &c : cases) {
        buttons.clear();
        EXPECT_EQ(view.requestNavigation(c.address), c.button != 0) << c.address;
        EXPECT_EQ(buttons, c.button ? QList<int>{c.button} : QList<int>{}) << c.address;
    }

    // The start-up blank page passes through the same handler and is allowed.
    view.writeDocument("<b>x</b>");
    view.navigateToBlank();
    EXPECT_EQ(view.blankCount(), 1);
    EXPECT_EQ(view.html(), "");
}
