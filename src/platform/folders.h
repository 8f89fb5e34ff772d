#pragma once

#include <QString>

namespace varnelo {

// AppFolder from the executable's folder: blanks around it removed and a trailing separator
// dropped, so a drive root gives "C:" and "/" gives "" (callers append "/data" and the like).
QString SetAppFolder(const QString &executableFolder);

// Where the private work folder may go, and whose its folders must be.
struct WorkFolderPlace {
    QString
        runtimeFolder;  // the user's runtime folder ($XDG_RUNTIME_DIR); empty when there is none
    uint owner = 0;     // the user id every folder on the way must belong to
};

// This process's place: $XDG_RUNTIME_DIR and the effective user.
WorkFolderPlace CurrentWorkFolderPlace();

// TempFolder, always ending in '/': a new folder of this running instance inside a "VX" folder
// that only the user can enter: in place.runtimeFolder when that is the user's own, else in
// systemTemp's "varnelo-<user id>". A folder on the way that is a link, belongs to someone else or
// lets others in is not used. When no such folder can be had (systemTemp missing among them),
// appFolder + "/data/". Instance folders of processes that have ended are removed on the way.
QString SetTempFolder(const QString &systemTemp, const QString &appFolder,
                      const WorkFolderPlace &place);
// The same for this process's place.
QString SetTempFolder(const QString &systemTemp, const QString &appFolder);

// Removes tempFolder with everything in it when it is an instance folder SetTempFolder made for
// this process; any other folder (the data folder) is left alone. False when an instance folder
// could not be removed completely.
bool RemoveInstanceFolder(const QString &tempFolder);

}  // namespace varnelo
