#pragma once

#include <QString>

namespace ondrix {

// Folder + native separator + name; the separator is always inserted, also
// after a root folder that already ends in one.
QString joinPath(const QString& folder, const QString& name);

}  // namespace ondrix
