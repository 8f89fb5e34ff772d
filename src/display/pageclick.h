#pragma once

#include <QString>

#include <functional>

#include "platform/htmlview.h"

namespace varnelo {

// The mouse button a page's navigation request stands for: 1 for an address containing "click",
// else 2 for one containing "right", else 0 (an ordinary navigation).
int pageClickButton(const QString &address);

// Sends the view's click requests to mouseDown with their button and cancels them; other
// requests are allowed. Replaces the view's before-navigate handler.
void routePageClicks(HtmlView &view, std::function<void(int button)> mouseDown);

}  // namespace varnelo
