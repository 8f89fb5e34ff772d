#include "pagerenderer.h"

#include "gifwriter.h"

#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <QTextLayout>

#include <array>
#include <cmath>

namespace varnelo {

namespace {

constexpr QRgb background = qRgb(227, 238, 227);
constexpr QRgb band = qRgb(247, 221, 140);
constexpr int maxShades = 6;

QList<QRgb> pagePalette(int shades) {
    QList<QRgb> palette = {qRgb(0, 0, 0), background, band};
    for (QRgb ground : {background, band}) {
        for (int s = 1; s <= shades; ++s) {
            const double t = double(s) / (shades + 1);  // share of ground
            palette.append(qRgb(int(std::lround(qRed(ground) * t)),
                                int(std::lround(qGreen(ground) * t)),
                                int(std::lround(qBlue(ground) * t))));
        }
    }
    return palette;
}

QString arabicDigits(int n) {
    QString s = QString::number(n);
    for (QChar &c : s) {
        c = QChar(0x0660 + (c.unicode() - '0'));
    }
    return s;
}

bool isWordChar(QChar c) {
    return c.isLetter();
}

struct Block {
    QString text;
    QList<QPair<int, int>> ranges;  // verse (part position) -> [start, end) in text
    QList<int> verseOfRange;
    bool centred = false;
    QTextLayout *layout = nullptr;
    int top = 0;
};

// The horizontal span of text [from, to) on one line of a right-to-left layout.
QPair<qreal, qreal> spanOnLine(const QTextLine &line, int from, int to) {
    const qreal a = line.cursorToX(from);
    const qreal b = line.cursorToX(to);
    return {qMin(a, b), qMax(a, b)};
}

}  // namespace

QString arabicFontFamily(QString *warning) {
    const QStringList families = QFontDatabase::families(QFontDatabase::Arabic);
    for (const QString &f : families) {
        if (f.compare(QStringLiteral("Amiri"), Qt::CaseInsensitive) == 0) {
            return f;
        }
    }
    if (warning) {
        *warning = families.isEmpty()
                       ? QStringLiteral("no Arabic font found; install fonts-hosny-amiri")
                       : QStringLiteral("Amiri font not found; using %1").arg(families.first());
    }
    return families.value(0);
}

RenderedPart renderPart(const QList<PageVerse> &verses, const PageStyle &style) {
    RenderedPart out;
    if (verses.isEmpty()) {
        out.error = QStringLiteral("a part needs at least one verse");
        return out;
    }
    QFont font(style.fontFamily);
    font.setPixelSize(style.pixelSize);
    font.setStyleStrategy(QFont::NoSubpixelAntialias);
    QTextOption option(Qt::AlignRight);
    option.setTextDirection(Qt::RightToLeft);
    option.setWrapMode(QTextOption::WordWrap);
    QTextOption centred = option;
    centred.setAlignment(Qt::AlignHCenter);

    // Blocks: an opening formula stands alone; the verses after it flow as one text.
    QList<Block> blocks;
    for (qsizetype i = 0; i < verses.size(); ++i) {
        const PageVerse &v = verses[i];
        if (blocks.isEmpty() || v.ownLine || blocks.last().centred) {
            blocks.append(Block{});
            blocks.last().centred = v.ownLine;
        }
        Block &b = blocks.last();
        const int start = int(b.text.size());
        b.text += v.text.simplified();
        if (v.number > 0) {
            b.text += QStringLiteral(" \uFD3F") + arabicDigits(v.number) + QStringLiteral("\uFD3E");
        }
        b.ranges.append({start, int(b.text.size())});
        b.verseOfRange.append(int(i));
        b.text += u' ';
    }
    const qreal lineWidth = style.width - 2 * style.margin;
    const qreal lineHeight = std::ceil(style.pixelSize * style.lineSpacing);
    qreal y = style.margin;
    for (Block &b : blocks) {
        b.layout = new QTextLayout(b.text, font);
        b.layout->setTextOption(b.centred ? centred : option);
        b.layout->setCacheEnabled(true);
        b.layout->beginLayout();
        b.top = int(y);
        qreal ly = 0;
        for (QTextLine line = b.layout->createLine(); line.isValid();
             line = b.layout->createLine()) {
            line.setLineWidth(lineWidth);
            line.setPosition(QPointF(style.margin, y + ly));
            ly += lineHeight;
        }
        b.layout->endLayout();
        y += ly;
    }
    const int width = style.width;
    const int height = int(std::ceil(y)) + style.margin;
    out.height = height;

    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setPen(Qt::black);
        painter.setRenderHint(QPainter::TextAntialiasing);
        for (const Block &b : blocks) {
            b.layout->draw(&painter, QPointF(0, 0));
        }
    }

    // Bands, bottoms and words of every verse.
    QList<QList<QRect>> bands(verses.size());
    out.verseBottoms.fill(0, verses.size());
    for (const Block &b : blocks) {
        for (qsizetype r = 0; r < b.ranges.size(); ++r) {
            const int vi = b.verseOfRange[r];
            const auto [from, to] = b.ranges[r];
            for (int l = 0; l < b.layout->lineCount(); ++l) {
                const QTextLine line = b.layout->lineAt(l);
                const int ls = line.textStart();
                const int le = ls + line.textLength();
                if (le <= from || ls >= to) {
                    continue;
                }
                const auto [x0, x1] = spanOnLine(line, qMax(from, ls), qMin(to, le));
                const QRect rect(QPoint(int(std::floor(x0)) - 3, int(line.y())),
                                 QPoint(int(std::ceil(x1)) + 3, int(line.y() + lineHeight) - 1));
                bands[vi].append(rect.intersected(QRect(0, 0, width, height)));
                out.verseBottoms[vi] = qMax(out.verseBottoms[vi], rect.bottom() + 1);
            }
            // Words: runs of letters and their marks between blanks.
            const PageVerse &v = verses[vi];
            const QStringList meanings = v.wordMeanings.split(u' ', Qt::SkipEmptyParts);
            QList<QPair<int, int>> words;
            int at = from;
            const int textEnd = from + int(v.text.simplified().size());
            while (at < textEnd) {
                while (at < textEnd && b.text[at] == u' ') {
                    ++at;
                }
                const int ws = at;
                bool hasLetter = false;
                while (at < textEnd && b.text[at] != u' ') {
                    hasLetter = hasLetter || isWordChar(b.text[at]);
                    ++at;
                }
                if (at > ws && hasLetter) {
                    words.append({ws, at});
                }
            }
            const bool byMeaning = meanings.size() == words.size();
            for (qsizetype w = 0; w < words.size(); ++w) {
                const QTextLine line = b.layout->lineForTextPosition(words[w].first);
                if (!line.isValid()) {
                    continue;
                }
                const auto [x0, x1] = spanOnLine(line, words[w].first, words[w].second);
                const QRect rect(QPoint(int(std::floor(x0)), int(line.y())),
                                 QPoint(int(std::ceil(x1)), int(line.y() + lineHeight) - 1));
                const QString meaning =
                    byMeaning ? meanings[w]
                              : b.text.mid(words[w].first, words[w].second - words[w].first);
                out.words.append({v.verseIndex, rect, meaning});
            }
        }
    }
    for (Block &b : blocks) {
        delete b.layout;
    }

    // Coverage 0..7 of every pixel, then palette indexes by ground.
    const int shades = qBound(0, style.shades, maxShades);
    const int levels = shades + 1;
    QByteArray coverage(qsizetype(width) * height, '\0');
    for (int row = 0; row < height; ++row) {
        const QRgb *px = reinterpret_cast<const QRgb *>(image.constScanLine(row));
        quint8 *c = reinterpret_cast<quint8 *>(coverage.data()) + qsizetype(row) * width;
        for (int x = 0; x < width; ++x) {
            c[x] = quint8(((255 - qGray(px[x])) * levels + 127) / 255);
        }
    }
    std::array<quint8, maxShades + 2> onGround{};
    std::array<quint8, maxShades + 2> onBand{};
    for (int c = 0; c <= levels; ++c) {
        onGround[c] = c == 0 ? 1 : c >= levels ? 0 : quint8(3 + (levels - 1 - c));
        onBand[c] = c == 0 ? 2 : c >= levels ? 0 : quint8(3 + shades + (levels - 1 - c));
    }
    GifFrames frames;
    frames.width = width;
    frames.height = height;
    frames.frameCount = int(verses.size());
    frames.palette = pagePalette(shades);
    frames.transparentIndex = 1;
    frames.row = [&](int frame, int row, quint8 *line) {
        const quint8 *c =
            reinterpret_cast<const quint8 *>(coverage.constData()) + qsizetype(row) * width;
        for (int x = 0; x < width; ++x) {
            line[x] = onGround[c[x]];
        }
        for (const QRect &r : bands[frame]) {
            if (row >= r.top() && row <= r.bottom()) {
                for (int x = r.left(); x <= r.right(); ++x) {
                    line[x] = onBand[c[x]];
                }
            }
        }
    };
    out.gif = writeGif(frames, &out.error);
    return out;
}

}  // namespace varnelo
