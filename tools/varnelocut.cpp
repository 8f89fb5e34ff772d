// varnelo-cut: saves a time range of an MP3 file as a new MP3 file, without re-encoding, with
// the same ID3v1 tag the program's "Range to MP3" command writes.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

#include "recitation/mp3cut.h"
#include "recitation/mp3stream.h"
#include "recitation/rangeexport.h"
#include "recitation/streamframelocator.h"

using namespace varnelo;

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int complain(const QString &message, int status) {
    QTextStream(stderr) << "varnelo-cut: " << message << '\n';
    return status;
}

}  // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("varnelo-cut"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes the MP3 frames covering START_MS..END_MS of MP3 to OUT.mp3, "
                       "followed by an ID3v1 tag."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("MP3"), QStringLiteral("source MP3 file"));
    parser.addPositionalArgument(QStringLiteral("START_MS"), QStringLiteral("start in ms"));
    parser.addPositionalArgument(QStringLiteral("END_MS"), QStringLiteral("end in ms"));
    parser.addPositionalArgument(QStringLiteral("OUT.mp3"), QStringLiteral("file to write"));
    const QCommandLineOption title(QStringLiteral("title"), QStringLiteral("tag title"),
                                   QStringLiteral("T"), QString::fromLatin1(kRangeTagTitle));
    const QCommandLineOption artist(QStringLiteral("artist"),
                                    QStringLiteral("tag artist (default: the source's name)"),
                                    QStringLiteral("A"));
    const QCommandLineOption album(QStringLiteral("album"), QStringLiteral("tag album"),
                                   QStringLiteral("A"), QStringLiteral("Quran"));
    parser.addOptions({title, artist, album});
    if (!parser.parse(QCoreApplication::arguments())) {
        return complain(parser.errorText(), kExitUsage);
    }
    if (parser.isSet(QStringLiteral("help"))) {
        parser.showHelp(0);
    }
    const QStringList args = parser.positionalArguments();
    if (args.size() != 4) {
        return complain(QStringLiteral("expected MP3 START_MS END_MS OUT.mp3 (see --help)"),
                        kExitUsage);
    }
    bool startOk = false;
    bool endOk = false;
    const qint32 startMs = args.at(1).toInt(&startOk);
    const qint32 endMs = args.at(2).toInt(&endOk);
    if (!startOk || !endOk || startMs < 0 || endMs < startMs) {
        return complain(QStringLiteral("START_MS and END_MS must be whole milliseconds with "
                                       "0 <= START_MS <= END_MS, not %1 and %2")
                            .arg(args.at(1), args.at(2)),
                        kExitUsage);
    }

    Mp3Stream stream;
    if (!stream.open(args.at(0))) {
        return complain(stream.errorString(), kExitFailed);
    }
    Id3v1Tag tag;
    tag.title = parser.value(title);
    tag.artist =
        parser.isSet(artist) ? parser.value(artist) : QFileInfo(args.at(0)).completeBaseName();
    tag.album = parser.value(album);

    const StreamFrameLocator frames(stream);
    const Mp3CutResult cut = CutMp3Range(args.at(0), frames, startMs, endMs, args.at(3), tag);
    if (!cut.ok()) {
        return complain(cut.error, kExitFailed);
    }
    return 0;
}
