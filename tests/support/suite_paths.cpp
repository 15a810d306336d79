#include "support/suite_paths.h"

namespace testsupport {

QString sourcePath(const QString& relative) {
    return QStringLiteral(ONDRIX_SOURCE_DIR "/") + relative;
}

QString buildPath(const QString& relative) {
    return QStringLiteral(ONDRIX_BINARY_DIR "/") + relative;
}

}  // namespace testsupport
