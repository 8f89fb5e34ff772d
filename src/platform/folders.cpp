#include "platform/folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#if defined(Q_OS_UNIX)
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#endif

namespace varnelo {

namespace {

const QString kWorkFolder = QStringLiteral("VX");

// An instance folder's name: the process id, '-', a random part.
const QRegularExpression kInstanceName(QStringLiteral("^(\\d+)-[0-9a-f]+$"));

QString withSeparator(QString folder) {
    if (!folder.endsWith(u'/') && !folder.endsWith(u'\\'))
        folder += u'/';
    return folder;
}

#if defined(Q_OS_UNIX)

// The folder at path is a real folder (not a link) of owner's that no one else may enter.
bool isPrivateFolder(const QString &path, uint owner) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == owner && (info.st_mode & 077) == 0;
}

// Makes path an owner-only folder unless it exists (and may); then whatever is there must be
// private.
bool makePrivateFolder(const QString &path, uint owner, bool mayExist = true) {
    if (::mkdir(QFile::encodeName(path).constData(), 0700) != 0 && (errno != EEXIST || !mayExist))
        return false;
    return isPrivateFolder(path, owner);
}

bool processRunning(qint64 pid) {
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max())
        return false;
    // Another user's process answers "not permitted": it runs.
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

qint64 ownProcessId() {
    return qint64(::getpid());
}

#else

bool makePrivateFolder(const QString &path, uint, bool mayExist = true) {
    if (!mayExist && QFileInfo::exists(path))
        return false;
    return QDir().mkpath(path);
}

bool processRunning(qint64) {
    return true;  // without a way to tell, nothing is taken for ended
}

qint64 ownProcessId() {
    return QCoreApplication::applicationPid();
}

#endif

// The private folder that holds "VX", or nothing.
QString privateParent(const QString &systemTemp, const WorkFolderPlace &place) {
#if defined(Q_OS_UNIX)
    if (!place.runtimeFolder.isEmpty() && isPrivateFolder(place.runtimeFolder, place.owner))
        return withSeparator(place.runtimeFolder);
#endif
    if (systemTemp.isEmpty() || !QFileInfo(systemTemp).isDir())
        return {};
    const QString perUser =
        withSeparator(systemTemp) + QStringLiteral("varnelo-%1").arg(place.owner);
    return makePrivateFolder(perUser, place.owner) ? withSeparator(perUser) : QString();
}

// Instance folders whose process has ended (killed, crashed) are of no use to anyone.
void removeEndedInstances(const QString &workFolder) {
    const QDir folder(workFolder);
    for (const QString &name : folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
        const auto match = kInstanceName.match(name);
        if (match.hasMatch() && !processRunning(match.captured(1).toLongLong()))
            QDir(folder.filePath(name)).removeRecursively();
    }
}

// A new folder for this instance inside workFolder, or nothing.
QString makeInstanceFolder(const QString &workFolder, uint owner) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        const QString name =
            QStringLiteral("%1-%2")
                .arg(ownProcessId())
                .arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'));
        // Never one that is there already: it would be shared.
        if (makePrivateFolder(workFolder + name, owner, false))
            return workFolder + name + u'/';
    }
    return {};
}

}  // namespace

QString SetAppFolder(const QString &executableFolder) {
    QString folder = executableFolder.trimmed();
    if (folder.endsWith(u'/') || folder.endsWith(u'\\'))
        folder.chop(1);
    return folder;
}

WorkFolderPlace CurrentWorkFolderPlace() {
    WorkFolderPlace place;
    place.runtimeFolder = qEnvironmentVariable("XDG_RUNTIME_DIR");
#if defined(Q_OS_UNIX)
    place.owner = uint(::geteuid());
#endif
    return place;
}

QString SetTempFolder(const QString &systemTemp, const QString &appFolder,
                      const WorkFolderPlace &place) {
    const QString fallback = appFolder + QStringLiteral("/data/");
    const QString parent = privateParent(systemTemp, place);
    if (parent.isEmpty())
        return fallback;
    const QString workFolder = parent + kWorkFolder + u'/';
    // Extraction into a folder that could not be made would fail later for every member.
    if (!makePrivateFolder(parent + kWorkFolder, place.owner))
        return fallback;
    removeEndedInstances(workFolder);
    const QString instance = makeInstanceFolder(workFolder, place.owner);
    return instance.isEmpty() ? fallback : instance;
}

QString SetTempFolder(const QString &systemTemp, const QString &appFolder) {
    return SetTempFolder(systemTemp, appFolder, CurrentWorkFolderPlace());
}

bool RemoveInstanceFolder(const QString &tempFolder) {
    QString path = tempFolder;
    while (path.endsWith(u'/') || path.endsWith(u'\\'))
        path.chop(1);
    const QFileInfo info(path);
    const auto match = kInstanceName.match(info.fileName());
    if (!match.hasMatch() || match.captured(1).toLongLong() != ownProcessId() ||
        info.dir().dirName() != kWorkFolder || info.isSymLink() || !info.isDir())
        return true;
    return QDir(path).removeRecursively();
}

}  // namespace varnelo
