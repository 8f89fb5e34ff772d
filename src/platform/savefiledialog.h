#pragma once

#include <QString>

namespace varnelo {

// The platform's save dialog for MP3 files; tests hand in a scripted answer.
class SaveFileDialog {
public:
    virtual ~SaveFileDialog() = default;

    // Shows the dialog with filter "MP3 file (*.MP3)", pre-filled with defaultFileName in
    // initialFolder; the chosen path, or "" when cancelled.
    virtual QString ShowSaveMp3Dialog(const QString &defaultFileName,
                                      const QString &initialFolder) = 0;
};

// Desktop directory id of GetSpecialFolder.
inline constexpr int kDesktopDirectoryFolder = 16;

// The folder of a shell special-folder id with a trailing separator, or "" when it is unknown.
QString GetSpecialFolder(int id);

}  // namespace varnelo
