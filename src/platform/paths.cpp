#include "platform/paths.h"

#include <QDir>

namespace ondrix {

QString joinPath(const QString& folder, const QString& name) {
    return folder + QDir::separator() + name;
}

}  // namespace ondrix
