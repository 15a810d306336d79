#pragma once

#include <QString>

namespace ondrix {

// The folder that holds the running program file, without a trailing
// separator except at the file system's root.
QString programFolder();

// Folder + native separator + name; the separator is always inserted, also
// after a root folder that already ends in one.
QString joinPath(const QString& folder, const QString& name);

}  // namespace ondrix
