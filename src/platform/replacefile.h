#pragma once

#include <optional>

#include <QByteArray>
#include <QString>

namespace varnelo {

// Replaces the file at path with bytes through a temporary file and a rename, so a failed write
// leaves any old file as it was. Returns the system's reason on failure.
std::optional<QString> replaceFile(const QString &path, const QByteArray &bytes);

// replaceFile without waiting for the disk: for scratch copies in the temporary folder that are
// read back at once and deleted, never for the user's files. A failed write leaves any old file.
std::optional<QString> writeScratchFile(const QString &path, const QByteArray &bytes);

}  // namespace varnelo
