#include "recorder/folder_opener.h"

#include <QDir>
#include <QProcess>

namespace ondrix {

void DesktopFolderOpener::openFolder(const QString& path) {
    QProcess opener;
    opener.setProgram(QStringLiteral("xdg-open"));
    // Absolute, so that no folder name reads as an option.
    opener.setArguments({QDir(path).absolutePath()});
    opener.setStandardInputFile(QProcess::nullDevice());
    opener.setStandardOutputFile(QProcess::nullDevice());
    opener.setStandardErrorFile(QProcess::nullDevice());
    opener.startDetached();
}

}  // namespace ondrix
