#include "platform/music_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace ondrix {

MusicFolder musicFolder() {
    const QString home = QDir::homePath();
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir() ||
        QDir(folder).canonicalPath() == QDir(home).canonicalPath())
        return {home, false};
    return {QDir::cleanPath(folder), true};
}

}  // namespace ondrix
