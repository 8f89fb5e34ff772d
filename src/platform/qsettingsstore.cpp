#include "platform/qsettingsstore.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include "platform/replacefile.h"

#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace varnelo {

namespace {

const char kApplication[] = "VX";
const char kOrganization[] = "Varnelo";

QString matching(const QStringList &names, const QString &wanted) {
    for (const QString &name : names) {
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return name;
    }
    return wanted;
}

// Every writer of the store holds this lock while it writes. QSettings' own lock is a file that a
// writer killed while taking it leaves empty, and that then holds up every later write for half
// a minute; the system drops this one with the process.
class WriterLock {
public:
    explicit WriterLock(const QString &path) {
#if defined(Q_OS_UNIX)
        if (path.isEmpty())
            return;
        QDir().mkpath(QFileInfo(path).absolutePath());
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        while (m_fd >= 0 && ::flock(m_fd, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(m_fd);
                m_fd = -1;
            }
        }
#else
        Q_UNUSED(path);
#endif
    }
    ~WriterLock() {
#if defined(Q_OS_UNIX)
        if (m_fd >= 0)
            ::close(m_fd);
#endif
    }
    WriterLock(const WriterLock &) = delete;
    WriterLock &operator=(const WriterLock &) = delete;

    bool held() const {
        return m_fd >= 0;
    }

private:
    int m_fd = -1;
};

// Removes what writers killed in the middle of a write leave beside file: QSettings' lock file and
// the temporary copies ("<file>.XXXXXX") that had not yet replaced it. Only while no writer runs.
void removeLeftovers(const QString &file) {
    QFile::remove(file + QStringLiteral(".lock"));
    const QFileInfo info(file);
    const QRegularExpression copy(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(info.fileName()) + QStringLiteral("\\.[A-Za-z0-9]{6}")));
    QDir folder = info.absoluteDir();
    for (const QString &name :
         folder.entryList({info.fileName() + QStringLiteral(".*")}, QDir::Files | QDir::Hidden)) {
        if (copy.match(name).hasMatch())
            folder.remove(name);
    }
}

}  // namespace

// QSettings writes its pending values when the event loop hands it an update request; the store
// takes that write over so that it, too, runs under the writer lock.
class QSettingsStore::DeferredWrite : public QObject {
public:
    explicit DeferredWrite(QSettingsStore &store) : m_store(store) {}

    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() != QEvent::UpdateRequest)
            return QObject::eventFilter(watched, event);
        m_store.flush();
        return true;
    }

private:
    QSettingsStore &m_store;
};

QSettingsStore::QSettingsStore() {
    const QString folder = qEnvironmentVariable("VARNELO_SETTINGS_DIR");
    if (!folder.isEmpty()) {
        m_settings = std::make_unique<QSettings>(
            folder + u'/' + QLatin1String(kApplication) + QStringLiteral(".ini"),
            QSettings::IniFormat);
    } else {
        m_settings =
            std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                        QLatin1String(kOrganization), QLatin1String(kApplication));
    }
    watchDeferredWrites();
}

QSettingsStore::QSettingsStore(const QString &iniPath)
    : m_settings(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {
    watchDeferredWrites();
}

QSettingsStore::~QSettingsStore() {
    // QSettings would write what is pending on destruction, outside the writer lock.
    flush();
}

void QSettingsStore::watchDeferredWrites() {
    m_deferredWrite = std::make_unique<DeferredWrite>(*this);
    m_settings->installEventFilter(m_deferredWrite.get());
}

bool QSettingsStore::isFile() const {
#if defined(Q_OS_WIN) || defined(Q_OS_DARWIN)
    return m_settings->format() == QSettings::IniFormat;
#else
    return true;
#endif
}

QString QSettingsStore::storedPath(const QString &section, const QString &key) const {
    // INI files keep the spelling of names; the registry ignores case. Match the way it does.
    const QString group = matching(m_settings->childGroups(), section);
    m_settings->beginGroup(group);
    const QString name = matching(m_settings->childKeys(), key);
    m_settings->endGroup();
    return group + u'/' + name;
}

QString QSettingsStore::get(const QString &section, const QString &key,
                            const QString &defaultValue) const {
    const QVariant value = m_settings->value(storedPath(section, key));
    if (!value.isValid())
        return defaultValue;
    // A hand-edited INI value with commas reads back as a list; keep it as the text it was.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

void QSettingsStore::save(const QString &section, const QString &key, const QString &value) {
    m_settings->setValue(storedPath(section, key), value);
    m_pending = true;
}

void QSettingsStore::deleteAll() {
    m_settings->clear();
    m_pending = true;
    flush();
}

bool QSettingsStore::flush() {
    // With nothing saved, QSettings only looks for changes of the file: no write, no lock.
    if (!m_pending || !isFile()) {
        m_pending = false;
        m_settings->sync();
        return m_settings->status() == QSettings::NoError;
    }
    m_pending = false;
    const QString file = location();
    const WriterLock lock(file + QStringLiteral(".writelock"));
    if (lock.held())
        removeLeftovers(file);
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

StoreBackup QSettingsStore::keepBackup() {
    if (!isFile())
        return {};
    flush();
    QFile file(location());
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        return {QString(), file.errorString()};
    const QByteArray bytes = file.readAll();
    const QString backup = location() + QStringLiteral(".bak");
    if (const auto error = replaceFile(backup, bytes))
        return {QString(), *error};
    return {backup, QString()};
}

QString QSettingsStore::location() const {
    return m_settings->fileName();
}

}  // namespace varnelo
