// Arbitrary bytes as an archive file: listing and extraction must fail cleanly, never overrun.
#include <cstdint>

#include <QFile>
#include <QTemporaryDir>

#include "data/archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    using namespace varnelo;
    static QTemporaryDir dir;
    const QString archive = dir.filePath("fuzz.dat");
    {
        QFile file(archive);
        if (!file.open(QIODevice::WriteOnly))
            return 0;
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    const ArchiveListing listing = listArchiveMembers(archive);
    for (const ArchiveMember &member : listing.members.mid(0, 4)) {
        if (member.name.contains('/') || member.name.startsWith('.'))
            continue;
        ExtractMember(archive, member.name, dir.path());
        ExtractMemberUnchecked(archive, member.name, dir.path());
    }
    ExtractMember(archive, "a", dir.path());
    ExtractMemberUnchecked(archive, "a", dir.path());
    return 0;
}
