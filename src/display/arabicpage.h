#pragma once

#include <QObject>
#include <QString>

#include <array>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QWidget;

namespace varnelo {

class AnimatedGifCtl;
class MessageBox;
class SuraLoader;

// The Arabic window's page: the viewport, the page image with its verse frames, the scroll arrows,
// the word marker, the filler beside the page and the not-installed text. It reads the loaded
// sura from the loader; what a press on it does is the window's business (mouseDown).
class ArabicPage : public QObject {
    Q_OBJECT

public:
    // Every text window's frame: a caption bar above, the page 9 pixels in from the left, and
    // the viewport 300 twips shorter than the panel below its caption.
    static constexpr int TwipsPerPixel = 15;
    static constexpr int CaptionHeight = 16;
    static constexpr int PageLeft = 9;
    static constexpr int ViewportMargin = 300 / TwipsPerPixel;

    // What the page asks of the window: the selected sura's number (0 for none) and the
    // current verse index.
    struct Sources {
        std::function<int()> selectedSura;
        std::function<int()> currentVerse;
    };

    // Builds the page's widgets inside panel, the Arabic window's panel.
    ArabicPage(QWidget *panel, MessageBox &messages, Sources sources);

    // The loader whose sura is shown; set once it exists. Without it nothing is shown.
    void setLoader(SuraLoader *loader) { m_loader = loader; }

    // Shows the current verse: the page top, its frame (and part), the down arrow's rule.
    void SetText();
    // Makes the part holding verseIndex current and marks the verse. When a nested request or a
    // sura change happens while the part loads, the newest one is what shows.
    void ShowArabicPageForVerse(int verseIndex);
    // The part shown is forgotten, so the next request loads its image again.
    void forgetTextPart();

    // Shows the extracted GIF file as the page.
    void showImage(const QString &gifPath);
    // Replaces the page with the text saying the sura's Arabic text is not installed.
    void showNotInstalled();
    void hideWordPicture();
    void hideScrollAnimations();

    // The word of the current verse under the page point (page pixels) gets the marker and its
    // meaning; elsewhere the marker shrinks to nothing.
    void mouseMove(int x, int y);
    // Scroll arrows: up (true) or down one step of 200 twips; suras 2 to 78 only.
    void scrollArrow(bool up);
    // Up and Down keys: one step of 100 twips; suras 2 to 78 only.
    void scrollKey(bool up);
    // While set, the word marker stays hidden (a recitation command is running).
    void setHideWordMark(bool hide);
    bool HideWordMark() const { return m_hideWordMark; }

    // Places the viewport, filler, arrows and page inside a panel of this size (pixels).
    void layout(int panelWidth, int panelHeight);
    // Page colours, 0x00BBGGRR; the page image takes them at its next load.
    void setColours(quint32 back, quint32 font);
    qint64 backColour() const;
    qint64 foreColour() const;
    // Loads the two arrow animations, data/u.dat and data/d.dat, when they are there.
    void loadArrowAnimations(const QString &appFolder);

    // The verse index the page heights are read for: the current verse, plus one in sura 9.
    int DisplayedVerse() const { return m_displayedVerse; }
    // Top of the page inside its viewport, in twips (0 or negative).
    int pageTop() const { return m_pageTop; }

signals:
    // A press on the page, the word marker or the filler: 1 left, 2 right, 0 another button.
    void mouseDown(int button);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void placePage();
    int verseHeight(int displayedVerse) const;
    bool scrollsPage() const;

    Sources m_sources;
    SuraLoader *m_loader = nullptr;
    QWidget *m_picture2 = nullptr;
    std::array<AnimatedGifCtl *, 3> m_gif{};
    QLabel *m_picWord = nullptr;
    QWidget *m_filler = nullptr;
    QPlainTextEdit *m_txtNotInstalled = nullptr;

    int m_panelWidth = 0;
    int m_panelHeight = 0;
    int m_pageTop = 0;  // twips
    int m_displayedVerse = 0;
    bool m_hideWordMark = false;
    // Counts part requests and sura changes; a request that let events run checks it is newest.
    quint64 m_generation = 0;
};

}  // namespace varnelo
