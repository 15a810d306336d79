#pragma once

#include <QString>

namespace ondrix {

// The folder that holds the running program file, without a trailing
// separator except at the file system's root.
QString programFolder();

// A program's file name as this system spells it: "lame.exe" on Windows,
// "lame" elsewhere, where programs have no extension.
QString programFileName(const QString& windowsName);

}  // namespace ondrix
