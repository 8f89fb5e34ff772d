#include "aboutbuilder.h"

#include "gifwriter.h"
#include "platform/replacefile.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace varnelo {

namespace {

const char *const pageStyle =
    "<style>body{font-family:sans-serif;font-size:10pt;margin:12px}"
    "td,th{padding:2px 8px;text-align:left;vertical-align:top}th{background:#dde8dd}</style>";

QByteArray page(const QString &title, const QString &body) {
    return QStringLiteral(
               "<html><head><meta charset=\"utf-8\"><title>%1</title>%2</head>"
               "<body><h2>%1</h2>%3</body></html>\r\n")
        .arg(title, QString::fromLatin1(pageStyle), body)
        .toUtf8();
}

QString aboutBody(const AboutCredits &credits) {
    return QStringLiteral(
               "<p>Varnelo shows the Arabic text of the Quran with the current verse marked, up "
               "to three translations beside it, and recites sura by sura, verse by verse or a "
               "range of verses with repeats and pauses.</p>"
               "<p>Select a sura in the list, or press <b>L</b> to return to where you left off. "
               "Click a verse to hear it; press <b>F1</b> for this window.</p>"
               "<h3>Data</h3>%1"
               "<p>The page images are drawn with the Amiri typeface (SIL Open Font License). "
               "Demo recitations are synthetic speech made with eSpeak NG; put real recitations "
               "(001.mp3 to 114.mp3) into the mp3 folder to replace them.</p>")
        .arg(credits.dataSource);
}

QString keyboardBody() {
    const QList<QPair<const char *, const char *>> keys = {
        {"X", "Recite the current verse (verse mode) or the current range (range mode)"},
        {"C / Z", "Verse mode: recite the next / previous verse"},
        {"1 .. 9", "Make a range of that many verses from the range begin and recite it"},
        {"B / E", "Put the range begin / range end on the current verse"},
        {"V", "Move to the current verse"},
        {"M / N", "Move the range forward / backward"},
        {"Home", "Whole sura from the start"},
        {"P", "Pause or resume"},
        {"Page Up / Page Down", "Previous / next sura"},
        {"Up / Down", "Scroll the Arabic page"},
        {"Numeric + / -", "Volume up / down"},
        {"S", "Quick sura selection"},
        {"L", "Return to the last position"},
        {"Ctrl+R", "Range mode setup"},
        {"Alt+R / Alt+V", "Range mode / verse mode"},
        {"Alt+A", "Show or hide the Arabic window"},
        {"Alt+T / Alt+D / Alt+W", "Show or hide the first / second / third translation"},
        {"Alt+F4", "Close Varnelo"},
        {"F1", "This window"},
    };
    QString rows;
    for (const auto &[key, action] : keys) {
        rows += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>")
                    .arg(QString::fromLatin1(key), QString::fromLatin1(action));
    }
    return QStringLiteral("<table><tr><th>Key</th><th>Action</th></tr>%1</table>").arg(rows);
}

QString versionBody() {
    return QStringLiteral(
        "<h3>4.0 beta2</h3><ul><li>Runs on Linux and Windows.</li>"
        "<li>Data archives, page images and translations can be made with varnelo-datakit.</li>"
        "<li>Range export to MP3 keeps whole frames.</li></ul>");
}

}  // namespace

QString quranJsonCredit() {
    return QStringLiteral(
        "<p>Quran text, transliteration and translations: the <b>quran-json</b> package by Risan "
        "Bagja Pradana (<a href=\"https://github.com/risan/quran-json\">github.com/risan/"
        "quran-json</a>), licensed under Creative Commons Attribution 4.0 (CC-BY-4.0). Its "
        "Uthmani text comes from The Noble Qur'an Encyclopedia (quranenc.com), the "
        "transliteration from Tanzil.net. The texts were converted into Varnelo's archives "
        "without changes to their wording.</p>");
}

ArchiveBuilder aboutArchive(const AboutCredits &credits) {
    ArchiveBuilder archive;
    archive.addMember(QStringLiteral("about.htm"),
                      page(QStringLiteral("Varnelo"), aboutBody(credits)), true);
    archive.addMember(QStringLiteral("keyboard.htm"),
                      page(QStringLiteral("Keyboard Shortcuts"), keyboardBody()), true);
    archive.addMember(QStringLiteral("version.htm"),
                      page(QStringLiteral("Version History"), versionBody()), true);
    return archive;
}

QByteArray arrowGif(bool up) {
    // A chevron that slides a few pixels towards where it points, over a transparent ground.
    constexpr int size = 16;
    constexpr int frameCount = 4;
    const QList<QRgb> palette = {qRgb(0, 0, 0), qRgb(227, 238, 227), qRgb(90, 110, 90),
                                 qRgb(160, 180, 160)};
    QList<QImage> images;
    for (int f = 0; f < frameCount; ++f) {
        QImage image(size, size, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal shift = up ? 2 - f : f - 2;
        QPainterPath path;
        path.moveTo(2, 11 + shift);
        path.lineTo(8, 4 + shift);
        path.lineTo(14, 11 + shift);
        painter.setPen(QPen(Qt::black, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(up ? path : QTransform(1, 0, 0, -1, 0, size).map(path));
        images.append(image);
    }
    GifFrames frames;
    frames.width = size;
    frames.height = size;
    frames.frameCount = frameCount;
    frames.palette = palette;
    frames.transparentIndex = 1;
    frames.delay = 12;
    frames.row = [&](int frame, int y, quint8 *line) {
        const QRgb *px = reinterpret_cast<const QRgb *>(images[frame].constScanLine(y));
        for (int x = 0; x < size; ++x) {
            const int gray = qGray(px[x]);
            line[x] = gray > 200 ? 1 : gray > 120 ? 3 : gray > 50 ? 2 : 0;
        }
    };
    return writeGif(frames, nullptr);
}

QString writeAboutFiles(const QString &dataDir, const AboutCredits &credits) {
    const QDir dir(dataDir);
    if (QString e = aboutArchive(credits).write(dir.filePath("main1.dat")); !e.isEmpty()) {
        return e;
    }
    for (const auto &[name, up] : {std::pair{"u.dat", true}, std::pair{"d.dat", false}}) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        if (const auto why = replaceFile(path, arrowGif(up))) {
            return QStringLiteral("cannot write %1: %2").arg(path, *why);
        }
    }
    return {};
}

}  // namespace varnelo
