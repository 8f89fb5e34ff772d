#include "display/qthtmlview.h"

#include <QAbstractTextDocumentLayout>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QTextObjectInterface>

#include "display/legacyhtml.h"

namespace varnelo {

// Images keep the room their tag gives them and show nothing: Qt's own image handler would read
// the named file from disk.
class BlankImages : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    using QObject::QObject;
    QSizeF intrinsicSize(QTextDocument *, int, const QTextFormat &format) override {
        const QTextImageFormat image = format.toImageFormat();
        return {qMax(0.0, image.width()), qMax(0.0, image.height())};
    }
    void drawObject(QPainter *, const QRectF &, QTextDocument *, int,
                    const QTextFormat &) override {}
};

QtHtmlView::QtHtmlView(QWidget *parent)
    : QTextBrowser(parent), m_blankImages(new BlankImages(this)) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this,
            [this](const QUrl &link) { raiseBeforeNavigate(link.toString()); });
}

void QtHtmlView::writeDocument(const QString &html) {
    QAbstractTextDocumentLayout *layout = document()->documentLayout();
    if (layout->handlerForObject(QTextFormat::ImageObject) != m_blankImages)
        layout->registerHandler(QTextFormat::ImageObject, m_blankImages);
    setHtml(normaliseLegacyHtml(html));
}

QString QtHtmlView::plainText() const {
    // Qt keeps the blank that whitespace before a block's end collapses to; a browser's rendered
    // text leaves it out, and a copied verse should not end in one.
    QStringList lines = toPlainText().split(QLatin1Char('\n'));
    for (QString &line : lines) {
        qsizetype end = line.size();
        while (end > 0 && line[end - 1] == QLatin1Char(' '))
            --end;
        line.truncate(end);
    }
    return lines.join(QLatin1String("\r\n"));
}

void QtHtmlView::navigateToBlank() {
    if (!raiseBeforeNavigate(QStringLiteral("about:blank")))
        clear();
}

QVariant QtHtmlView::loadResource(int, const QUrl &) {
    // Empty but not null: on a null answer the document would read a local file itself.
    return QByteArray();
}

void QtHtmlView::mousePressEvent(QMouseEvent *event) {
    QTextBrowser::mousePressEvent(event);
    // The handler may rewrite the page, so the browser has finished with the press first.
    if (event->button() == Qt::LeftButton)
        raiseBeforeNavigate(QStringLiteral("click"));
    else if (event->button() == Qt::RightButton)
        raiseBeforeNavigate(QStringLiteral("right"));
}

void QtHtmlView::contextMenuEvent(QContextMenuEvent *event) {
    // A right press has already raised its request.
    if (event->reason() != QContextMenuEvent::Mouse)
        raiseBeforeNavigate(QStringLiteral("right"));
    event->accept();
}

}  // namespace varnelo

#include "qthtmlview.moc"
