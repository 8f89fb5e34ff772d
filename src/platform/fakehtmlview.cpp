#include "platform/fakehtmlview.h"

namespace varnelo {

void FakeHtmlView::writeDocument(const QString &html) {
    m_html = html;
    m_writes.append(html);
}

void FakeHtmlView::navigateToBlank() {
    if (raiseBeforeNavigate(QStringLiteral("about:blank")))
        return;
    ++m_blanks;
    m_html.clear();
}

}  // namespace varnelo
