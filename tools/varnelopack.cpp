// varnelo-pack: builds, lists and unpacks data archives and ZE3 streams; draws page images.
#include <cstdio>

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "controls/gifanimation.h"
#include "data/archive.h"
#include "data/archivewriter.h"
#include "data/clscompress.h"
#include "platform/replacefile.h"

using namespace varnelo;

namespace {

enum ExitCode { kOk = 0, kFailed = 1, kUsage = 2, kChecksum = 3 };

const char kUsageText[] =
    "usage: varnelo-pack create ARCHIVE [--store] FILE...\n"
    "       varnelo-pack list ARCHIVE\n"
    "       varnelo-pack extract ARCHIVE MEMBER OUTDIR [--raw]\n"
    "       varnelo-pack encode IN OUT\n"
    "       varnelo-pack decode IN OUT\n"
    "       varnelo-pack frames GIF OUTDIR [--back RRGGBB] [--fore RRGGBB]\n"
    "Exit status: 0 done, 1 failed, 2 usage, 3 written but the checksum did not match.\n";

int fail(const QString &message) {
    std::fprintf(stderr, "varnelo-pack: %s\n", qPrintable(message));
    return kFailed;
}

int usage() {
    std::fputs(kUsageText, stderr);
    return kUsage;
}

std::optional<QByteArray> readFile(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

int create(const QStringList &args) {
    if (args.size() < 2)
        return usage();
    const bool store = args.contains("--store");
    ArchiveWriter writer;
    for (const QString &path : args.mid(1)) {
        if (path == "--store")
            continue;
        const auto bytes = readFile(path);
        if (!bytes)
            return fail(QStringLiteral("cannot read %1").arg(path));
        writer.addMember(QFileInfo(path).fileName(), *bytes,
                         store ? ArchiveWriter::Packing::Store : ArchiveWriter::Packing::Encode);
    }
    if (const auto error = writer.writeTo(args[0]))
        return fail(*error);
    return kOk;
}

int list(const QStringList &args) {
    if (args.size() != 1)
        return usage();
    const ArchiveListing listing = listArchiveMembers(args[0]);
    if (!listing.ok())
        return fail(listing.error);
    for (const ArchiveMember &member : listing.members)
        std::printf("%s\t%lld\n", qPrintable(member.name), member.storedSize);
    return kOk;
}

int extract(QStringList args) {
    const bool raw = args.removeAll("--raw") > 0;
    if (args.size() != 3)
        return usage();
    const ExtractResult result = raw ? ExtractMemberUnchecked(args[0], args[1], args[2])
                                     : ExtractMember(args[0], args[1], args[2]);
    if (result.fileNotFound())
        return fail(QStringLiteral("filenotfound: %1 in %2").arg(args[1], args[0]));
    if (!result.extracted())
        return fail(result.error);
    if (result.codecError) {
        fail(QStringLiteral("%1 (%2)").arg(result.codecError->description, result.path));
        return kChecksum;
    }
    return kOk;
}

int encodeOrDecode(const QStringList &args, bool encode) {
    if (args.size() != 2)
        return usage();
    auto bytes = readFile(args[0]);
    if (!bytes)
        return fail(QStringLiteral("cannot read %1").arg(args[0]));
    const clsCompress codec;
    DecodeReport report;
    if (encode)
        codec.EncodeByte(*bytes);
    else
        report = codec.DecodeByte(*bytes);
    if (report.raised)
        return fail(report.raised->description);
    if (replaceFile(args[1], *bytes))
        return fail(QStringLiteral("cannot write %1").arg(args[1]));
    if (report.recorded) {
        fail(report.recorded->description);
        return kChecksum;
    }
    return kOk;
}

// Takes "--name RRGGBB" out of args; false when the value is missing or not six hex digits.
bool takeColour(QStringList &args, const QString &name, QRgb &colour) {
    const qsizetype at = args.indexOf(name);
    if (at < 0)
        return true;
    if (at + 1 >= args.size())
        return false;
    const QString value = args[at + 1];
    bool ok = false;
    const uint rgb = value.toUInt(&ok, 16);
    args.remove(at, 2);
    colour = qRgb(qRed(rgb), qGreen(rgb), qBlue(rgb));
    return ok && value.size() == 6;
}

// Draws frames 0, 1, 2, ... of a page image as the page control does and writes the canvas
// after each one.
int frames(QStringList args) {
    QRgb back = qRgb(255, 255, 255);
    QRgb fore = qRgb(0, 0, 0);
    if (!takeColour(args, "--back", back) || !takeColour(args, "--fore", fore) || args.size() != 2)
        return usage();
    const auto bytes = readFile(args[0]);
    if (!bytes)
        return fail(QStringLiteral("cannot read %1").arg(args[0]));
    GifAnimation gif;
    const qint64 foreColour = qRed(fore) | (qGreen(fore) << 8) | (qBlue(fore) << 16);
    if (const auto error = gif.load(*bytes, foreColour, true, back))
        return fail(error->text);
    const QDir out(args[1]);
    if (!out.mkpath("."))
        return fail(QStringLiteral("cannot make %1").arg(args[1]));
    for (int frame = 0; frame < gif.frameCount(); ++frame) {
        gif.render(frame, back);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        gif.canvas().save(&buffer, "PNG");
        const QString path =
            out.filePath(QStringLiteral("frame-%1.png").arg(frame, 3, 10, QChar('0')));
        if (const auto error = replaceFile(path, png))
            return fail(QStringLiteral("cannot write %1: %2").arg(path, *error));
    }
    return kOk;
}

}  // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usage();
    const QString command = args.takeFirst();
    if (command == "create")
        return create(args);
    if (command == "list")
        return list(args);
    if (command == "extract")
        return extract(args);
    if (command == "encode")
        return encodeOrDecode(args, true);
    if (command == "decode")
        return encodeOrDecode(args, false);
    if (command == "frames")
        return frames(args);
    return usage();
}
