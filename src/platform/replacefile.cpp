#include "platform/replacefile.h"

#include <QSaveFile>

namespace varnelo {

std::optional<QString> replaceFile(const QString &path, const QByteArray &bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return file.errorString();
    return std::nullopt;
}

}  // namespace varnelo
