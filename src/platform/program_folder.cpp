#include "platform/program_folder.h"

#include <QCoreApplication>
#include <QDir>

namespace ondrix {

QString programFolder() {
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

QString programFileName(const QString& windowsName) {
#ifdef Q_OS_WIN
    return windowsName;
#else
    const bool exe = windowsName.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive);
    return exe ? windowsName.chopped(4) : windowsName;
#endif
}

}  // namespace ondrix
