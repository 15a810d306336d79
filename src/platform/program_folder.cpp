#include "platform/program_folder.h"

#include <QCoreApplication>
#include <QDir>

namespace ondrix {

QString programFolder() {
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

}  // namespace ondrix
