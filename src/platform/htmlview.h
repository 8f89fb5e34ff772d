#pragma once

#include <QString>

#include <functional>

namespace varnelo {

// An embedded HTML view that shows generated pages. It never loads files or addresses: every
// navigation request goes to the before-navigate handler, which may cancel it, and the page stays.
class HtmlView {
public:
    // Called with the requested address; setting cancel keeps the current page.
    using BeforeNavigate = std::function<void(const QString &address, bool &cancel)>;

    virtual ~HtmlView() = default;

    // Replaces whatever the view shows by html, without navigating.
    virtual void writeDocument(const QString &html) = 0;
    // The rendered text of the page without markup, blocks separated by CR LF; "" when empty.
    virtual QString plainText() const = 0;
    // Raises before-navigate for "about:blank" and, unless cancelled, empties the view.
    virtual void navigateToBlank() = 0;

    // Replaces the handler; an empty one allows every request.
    void setBeforeNavigate(BeforeNavigate handler) { m_beforeNavigate = std::move(handler); }

protected:
    // Asks the handler about address; true when it cancelled.
    bool raiseBeforeNavigate(const QString &address) {
        bool cancel = false;
        if (m_beforeNavigate)
            m_beforeNavigate(address, cancel);
        return cancel;
    }

private:
    BeforeNavigate m_beforeNavigate;
};

}  // namespace varnelo
