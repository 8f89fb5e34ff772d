#include "platform/replacefile.h"

#include <QFile>
#include <QSaveFile>
#include <QTemporaryFile>

#include <filesystem>

namespace varnelo {

std::optional<QString> replaceFile(const QString &path, const QByteArray &bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return file.errorString();
    return std::nullopt;
}

std::optional<QString> writeScratchFile(const QString &path, const QByteArray &bytes) {
    // QSaveFile syncs to the disk on commit: milliseconds for every member a sura load extracts.
    QTemporaryFile file(path + QStringLiteral(".XXXXXX"));
    if (!file.open() || file.write(bytes) != bytes.size() || !file.flush())
        return file.errorString();
    file.close();
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(file.fileName()).toStdString(),
                            QFile::encodeName(path).toStdString(), error);
    if (error)
        return QString::fromStdString(error.message());
    file.setAutoRemove(false);
    return std::nullopt;
}

}  // namespace varnelo
