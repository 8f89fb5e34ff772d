#pragma once

#include <QTextBrowser>

#include "platform/htmlview.h"

namespace varnelo {

class BlankImages;

// The HTML view as a Qt text browser. It never follows links nor loads files or addresses;
// a left click in the page is a request for "click", a right click or the context-menu key one
// for "right", a link its own address. The browser's own context menu never shows.
class QtHtmlView : public QTextBrowser, public HtmlView {
    Q_OBJECT
public:
    explicit QtHtmlView(QWidget *parent = nullptr);

    // Shows html with its legacy presentational values made readable to Qt.
    void writeDocument(const QString &html) override;
    QString plainText() const override;
    void navigateToBlank() override;
    // Loads nothing: pages show their text, and images stay blank.
    QVariant loadResource(int type, const QUrl &name) override;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    BlankImages *m_blankImages;
};

}  // namespace varnelo
