// varnelo-pack: builds, lists and unpacks data archives and ZE3 streams.
#include <cstdio>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

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
    return usage();
}
