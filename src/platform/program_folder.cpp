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

QString missingProgramText(const QString& what, const QString& package, const QString& windowsName,
                           const QString& asking) {
    const QString beside = programFileName(windowsName) + QStringLiteral(" beside ") + asking;
#ifdef Q_OS_WIN
    static_cast<void>(package);
    return what + QStringLiteral(" was not found. Put ") + beside + QLatin1Char('.');
#else
    return what +
           QStringLiteral(" was not found. Install the package %1 (apt install %1), or put ")
               .arg(package) +
           beside + QLatin1Char('.');
#endif
}

}  // namespace ondrix
