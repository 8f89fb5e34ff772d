#pragma once

#include <QString>
#include <QStringList>

#include "platform/htmlview.h"

namespace varnelo {

// A view for tests: keeps every written page, shows the plain text it is given and lets a test
// raise navigation requests as clicks in a real view would.
class FakeHtmlView : public HtmlView {
public:
    void writeDocument(const QString &html) override;
    QString plainText() const override { return m_plainText; }
    void navigateToBlank() override;

    // Raises a navigation request for address; true when the handler cancelled it.
    bool requestNavigation(const QString &address) { return raiseBeforeNavigate(address); }
    void setPlainText(const QString &text) { m_plainText = text; }
    // The page shown now; "" after a blank navigation.
    QString html() const { return m_html; }
    const QStringList &writes() const { return m_writes; }
    int blankCount() const { return m_blanks; }

private:
    QString m_html;
    QString m_plainText;
    QStringList m_writes;
    int m_blanks = 0;
};

}  // namespace varnelo
