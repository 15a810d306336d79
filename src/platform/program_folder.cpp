#include "platform/program_folder.h"

#include <QCoreApplication>
#include <QDir>

namespace ondrix {

QString programFolder() {
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

QString joinPath(const QString& folder, const QString& name) {
    return folder + QDir::separator() + name;
}

}  // namespace ondrix
