#include "app/DownloadFolder.h"

#include <QFile>
#include <QStandardPaths>

#include "platform/DriveC.h"

namespace navoket {

std::filesystem::path downloadFolder() {
    if (driveRootChosen()) {
        return driveRoot() / "Downloads";
    }
    // Qt reads the XDG user-dirs file and falls back to ~/Downloads; without
    // a home folder the drive folder takes the file.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (folder.isEmpty()) {
        return driveRoot() / "Downloads";
    }
    return std::filesystem::path(QFile::encodeName(folder).toStdString());
}

}  // namespace navoket
