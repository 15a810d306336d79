#include "platform/runtime_error.h"

namespace ondrix {

RuntimeError::RuntimeError(int number, QString file)
    : RuntimeError(number, standardDescription(number), std::move(file)) {}

RuntimeError::RuntimeError(int number, QString description, QString file)
    : std::runtime_error(QStringLiteral("Run-time error '%1': %2 (%3)")
                             .arg(number)
                             .arg(description, file)
                             .toStdString()),
      number_(number),
      description_(std::move(description)),
      file_(std::move(file)) {}

QString RuntimeError::message() const {
    QString text = QStringLiteral("Run-time error '%1': %2").arg(number_).arg(description_);
    if (!file_.isEmpty()) text += QStringLiteral(" (%1)").arg(file_);
    return text;
}

QString RuntimeError::standardDescription(int number) {
    switch (number) {
        case Overflow:
            return QStringLiteral("Overflow");
        case SubscriptOutOfRange:
            return QStringLiteral("Subscript out of range");
        case TypeMismatch:
            return QStringLiteral("Type mismatch");
        case FileNotFound:
            return QStringLiteral("File not found");
        case InputPastEndOfFile:
            return QStringLiteral("Input past end of file");
        case PathFileAccessError:
            return QStringLiteral("Path/File access error");
        default:
            return QStringLiteral("Application-defined or object-defined error");
    }
}

}  // namespace ondrix
