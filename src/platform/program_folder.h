#pragma once

#include <QString>

namespace ondrix {

// The folder that holds the running program file, without a trailing
// separator except at the file system's root.
QString programFolder();

// A program's file name as this system spells it: "lame.exe" on Windows,
// "lame" elsewhere, where programs have no extension.
QString programFileName(const QString& windowsName);

// The message for a program of the suite that is nowhere to be found: what
// is missing ("The MP3 encoder LAME"), then how to get it: elsewhere its
// Debian package or the program beside the one asking; on Windows, which
// has no such package, only the latter ("put lame.exe beside OndrixMP3").
QString missingProgramText(const QString& what, const QString& package, const QString& windowsName,
                           const QString& asking);

}  // namespace ondrix
