#pragma once

#include <QString>

namespace testsupport {

// A path inside this checkout's sources or inside its build folder. Only
// suite_paths.cpp is compiled knowing the checkout's folder, so that every
// other test file compiles the same in any clone and comes from the cache.
QString sourcePath(const QString& relative);
QString buildPath(const QString& relative);

}  // namespace testsupport
