#pragma once

#include <QString>

namespace ondrix {

// The folder that holds the running program file, without a trailing
// separator except at the file system's root.
QString programFolder();

}  // namespace ondrix
