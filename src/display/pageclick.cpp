#include "display/pageclick.h"

namespace varnelo {

int pageClickButton(const QString &address) {
    if (address.contains(QLatin1String("click")))
        return 1;
    if (address.contains(QLatin1String("right")))
        return 2;
    return 0;
}

void routePageClicks(HtmlView &view, std::function<void(int button)> mouseDown) {
    view.setBeforeNavigate(
        [mouseDown = std::move(mouseDown)](const QString &address, bool &cancel) {
            const int button = pageClickButton(address);
            if (button == 0)
                return;
            if (mouseDown)
                mouseDown(button);
            cancel = true;
        });
}

}  // namespace varnelo
