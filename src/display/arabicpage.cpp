#include "display/arabicpage.h"

#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>

#include <algorithm>

#include "controls/animatedgifctl.h"
#include "data/suraloader.h"
#include "platform/settingsfile.h"

namespace varnelo {

namespace {

constexpr int Twips = ArabicPage::TwipsPerPixel;

QColor fromBgr(quint32 colour) {
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

int buttonOf(const QMouseEvent *mouse) {
    return mouse->button() == Qt::LeftButton ? 1 : mouse->button() == Qt::RightButton ? 2 : 0;
}

}  // namespace

ArabicPage::ArabicPage(QWidget *panel, MessageBox &messages, Sources sources)
    : QObject(panel), m_sources(std::move(sources)) {
    m_picture2 = new QWidget(panel);
    m_picture2->setObjectName(QStringLiteral("Picture2"));
    m_picture2->setAutoFillBackground(true);
    m_gif[0] = new AnimatedGifCtl(messages, m_picture2);
    m_gif[0]->setObjectName(QStringLiteral("AnimatedGifCtl1"));
    m_gif[0]->setMouseTracking(true);
    for (int i = 1; i < 3; ++i) {
        m_gif[i] = new AnimatedGifCtl(messages, panel);
        m_gif[i]->setObjectName(QStringLiteral("AnimatedGifCtl%1").arg(i + 1));
        m_gif[i]->resize(16, 16);
        m_gif[i]->hide();
        const bool up = i == 1;
        // A press and a release both scroll, so one click moves the page twice.
        connect(m_gif[i], &AnimatedGifCtl::MouseDown, this, [this, up] { scrollArrow(up); });
        connect(m_gif[i], &AnimatedGifCtl::MouseUp, this, [this, up] { scrollArrow(up); });
    }
    // The control reports buttons as a mask; a press carries exactly one of them.
    connect(m_gif[0], &AnimatedGifCtl::MouseDown, this,
            [this](int button) { emit mouseDown(button == 1 || button == 2 ? button : 0); });
    connect(m_gif[0], &AnimatedGifCtl::MouseMove, this,
            [this](int, int, qreal x, qreal y) { mouseMove(qRound(x), qRound(y)); });

    m_picWord = new QLabel(m_picture2);
    m_picWord->setObjectName(QStringLiteral("picWord"));
    m_picWord->resize(0, 0);
    m_picWord->hide();
    m_picWord->installEventFilter(this);

    m_filler = new QWidget(panel);
    m_filler->setObjectName(QStringLiteral("picFillerForArabicWindow"));
    m_filler->setAutoFillBackground(true);
    m_filler->hide();
    m_filler->installEventFilter(this);

    m_txtNotInstalled = new QPlainTextEdit(m_picture2);
    m_txtNotInstalled->setObjectName(QStringLiteral("txtNotInstalled"));
    m_txtNotInstalled->setReadOnly(true);
    m_txtNotInstalled->hide();
}

bool ArabicPage::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::MouseButtonPress &&
        (watched == m_picWord || watched == m_filler)) {
        emit mouseDown(buttonOf(static_cast<QMouseEvent *>(event)));
        return true;
    }
    return QObject::eventFilter(watched, event);
}

// ---- The verse shown ---------------------------------------------------------------------------

void ArabicPage::SetText() {
    if (!m_loader)
        return;
    const int verse = m_sources.currentVerse();
    m_pageTop = 0;
    placePage();
    m_gif[1]->hide();
    if (m_loader->textParts().HasTextParts())
        ShowArabicPageForVerse(verse);
    else
        m_gif[0]->PaintGif(verse);

    const int sura = m_sources.selectedSura();
    m_displayedVerse = sura == 9 ? verse + 1 : verse;
    if (sura >= 2 && sura <= 77) {
        if (m_displayedVerse != 0 && !m_gif[2]->strGifFileName().isEmpty())
            m_gif[2]->setVisible(m_picture2->height() * Twips + 325 <
                                 verseHeight(m_displayedVerse));
    } else {
        m_gif[2]->hide();
    }
}

void ArabicPage::ShowArabicPageForVerse(int verseIndex) {
    if (!m_loader)
        return;
    SuraTextParts &parts = m_loader->textParts();
    const std::optional<TextPart> part = parts.partForVerse(verseIndex);
    if (!part || part->letter.isEmpty())
        return;
    const quint64 request = ++m_generation;
    if (part->letter != parts.CurrentTextPart()) {
        // Named before the load lets events run, so a nested request for the same part only
        // paints its frame instead of loading the image again.
        parts.setCurrentTextPart(part->letter);
        m_loader->LoadGifFile(part->letter);
        if (request != m_generation)
            return;  // a newer request or another sura has shown its own page meanwhile
    }
    m_gif[0]->PaintGif(verseIndex - part->first);
}

void ArabicPage::forgetTextPart() {
    ++m_generation;
    if (m_loader)
        m_loader->textParts().setCurrentTextPart(QString());
}

int ArabicPage::verseHeight(int displayedVerse) const {
    if (!m_loader)
        return 0;
    const QList<qint16> &heights = m_loader->VerseHeights();
    return displayedVerse >= 0 && displayedVerse < heights.size() ? heights[displayedVerse] : 0;
}

void ArabicPage::showImage(const QString &gifPath) {
    m_txtNotInstalled->hide();
    m_gif[0]->show();
    m_gif[0]->setStrGifFileName(gifPath);
    m_gif[0]->LoadGif(false);
    const QSize size = m_gif[0]->animation().canvas().size();
    if (!size.isEmpty() && size != m_gif[0]->size()) {
        m_gif[0]->resize(size);
        layout(m_panelWidth, m_panelHeight);
    }
}

void ArabicPage::showNotInstalled() {
    m_gif[0]->hide();
    m_txtNotInstalled->setPlainText(
        QStringLiteral("The Arabic text for this Sura is not installed in this computer.\r\n"
                       "Visit ") +
        QLatin1String(SupportAddress) +
        QStringLiteral(" to download the Arabic text for this sura.\r\n"));
    m_txtNotInstalled->show();
}

void ArabicPage::hideWordPicture() {
    m_picWord->resize(0, 0);
    m_picWord->hide();
}

void ArabicPage::hideScrollAnimations() {
    m_gif[1]->hide();
    m_gif[2]->hide();
}

// ---- Word marker and scrolling -----------------------------------------------------------------

void ArabicPage::mouseMove(int x, int y) {
    if (!m_loader || m_loader->WordRecords().isEmpty())
        return;
    if (!m_hideWordMark) {
        m_picWord->show();
        m_picWord->raise();
    }
    const int verse = m_sources.currentVerse();
    const QImage &page = m_gif[0]->animation().canvas();
    for (const WordRecord &word : m_loader->WordRecords()) {
        if (word.verse != verse || x < word.left || x > word.right || y < word.top ||
            y > word.bottom)
            continue;
        // The edges come from a data file: only the part on the page is marked, so no record
        // can ask for a marker larger than the page.
        const QRect rect = QRect(word.left, word.top, std::max(word.right - word.left, 1),
                                 std::max(word.bottom - word.top, 1))
                               .intersected(page.rect());
        if (rect.isEmpty())
            continue;
        // Dark text stays dark and the page's light background takes the marker's colour.
        QPixmap marker(rect.size());
        marker.fill(QColor(255, 220, 120));
        {
            QPainter p(&marker);
            p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
            p.drawImage(QPoint(0, 0), page.copy(rect));
        }
        m_picWord->setPixmap(marker);
        // The marker follows a scrolled page.
        m_picWord->setGeometry(rect.translated(0, m_pageTop / Twips));
        m_picWord->setToolTip(word.meaning.trimmed());
        return;
    }
    m_picWord->resize(0, 0);
}

void ArabicPage::setHideWordMark(bool hide) {
    m_hideWordMark = hide;
    if (hide)
        m_picWord->hide();
}

bool ArabicPage::scrollsPage() const {
    const int sura = m_sources.selectedSura();
    return sura >= 2 && sura <= 78;
}

void ArabicPage::scrollArrow(bool up) {
    if (!scrollsPage())
        return;
    if (up) {
        if (m_pageTop < 0) {
            m_pageTop = std::min(0, m_pageTop + 200);
            if (m_pageTop == 0)
                m_gif[1]->hide();
            m_gif[2]->show();
        } else {
            m_gif[1]->hide();
        }
    } else if (-m_pageTop + m_picture2->height() * Twips < verseHeight(m_displayedVerse)) {
        m_pageTop -= 200;
        m_gif[1]->show();
    } else {
        m_gif[2]->hide();
    }
    placePage();
}

void ArabicPage::scrollKey(bool up) {
    if (!scrollsPage())
        return;
    const int step = 100;
    if (up)
        m_pageTop = std::min(0, m_pageTop + step);
    else if (-m_pageTop + m_picture2->height() * Twips < m_gif[0]->height() * Twips)
        m_pageTop -= step;  // while the page's foot is below the viewport
    placePage();
    m_gif[1]->setVisible(m_pageTop < 0 && !m_gif[1]->strGifFileName().isEmpty());
}

// ---- Placement and colours ---------------------------------------------------------------------

void ArabicPage::layout(int panelWidth, int panelHeight) {
    m_panelWidth = panelWidth;
    m_panelHeight = panelHeight;
    const int viewportHeight = std::max(0, panelHeight - CaptionHeight - ViewportMargin);
    const int pageWidth = m_gif[0]->animation().canvas().isNull() ? 0 : m_gif[0]->width();
    const int innerWidth = panelWidth - 2 * PageLeft;
    // The filler takes the room the page leaves, so a click there still recites.
    if (pageWidth > 0 && innerWidth - 180 / Twips > pageWidth) {
        m_picture2->setGeometry(PageLeft, CaptionHeight, pageWidth, viewportHeight);
        m_filler->setGeometry(PageLeft + pageWidth, CaptionHeight, innerWidth - pageWidth,
                              viewportHeight);
        m_filler->show();
    } else {
        m_picture2->setGeometry(PageLeft, CaptionHeight, innerWidth, viewportHeight);
        m_filler->hide();
    }
    m_txtNotInstalled->setGeometry(0, 0, innerWidth, viewportHeight);
    // The arrows sit at the right-hand edge of the page, the down arrow 80 twips from the foot.
    const int arrowX = PageLeft + m_picture2->width() - m_gif[1]->width() - 4;
    m_gif[1]->move(arrowX, CaptionHeight + 2);
    m_gif[2]->move(arrowX, CaptionHeight + viewportHeight - m_gif[2]->height() + 80 / Twips);
    m_gif[1]->raise();
    m_gif[2]->raise();
    placePage();
}

void ArabicPage::placePage() {
    m_gif[0]->move(0, m_pageTop / Twips);
}

void ArabicPage::setColours(quint32 back, quint32 font) {
    QPalette page = m_picture2->palette();
    page.setColor(QPalette::Window, fromBgr(back));
    page.setColor(QPalette::Base, fromBgr(back));
    page.setColor(QPalette::Text, fromBgr(font));
    for (QWidget *w : {m_picture2, m_filler, static_cast<QWidget *>(m_txtNotInstalled)})
        w->setPalette(page);
    for (AnimatedGifCtl *gif : m_gif) {
        gif->setBackColor(back);
        gif->setForeColor(font);
    }
}

qint64 ArabicPage::backColour() const {
    return m_gif[0]->BackColor();
}

qint64 ArabicPage::foreColour() const {
    return m_gif[0]->ForeColor();
}

void ArabicPage::loadArrowAnimations(const QString &appFolder) {
    const std::array<QString, 2> files = {QStringLiteral("/data/u.dat"),
                                          QStringLiteral("/data/d.dat")};
    for (int i = 1; i < 3; ++i) {
        // The arrows are decoration: without their files the page simply has no arrows.
        const QString file = appFolder + files[i - 1];
        if (!QFileInfo(file).isFile())
            continue;
        m_gif[i]->setStrGifFileName(file);
        m_gif[i]->LoadGif(false);
        const QSize size = m_gif[i]->animation().canvas().size();
        if (!size.isEmpty())
            m_gif[i]->resize(size);
    }
}

}  // namespace varnelo
