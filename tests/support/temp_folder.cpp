#include "support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <stdexcept>

namespace testsupport {

TempFolder::TempFolder() {
    if (!dir_.isValid()) throw std::runtime_error("cannot make a temporary folder");
}

void TempFolder::write(const QString& name, const QByteArray& content) const {
    QFile f(file(name));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(content) != content.size())
        throw std::runtime_error("cannot write test file");
}

QByteArray TempFolder::read(const QString& name) const {
    QFile f(file(name));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

CurrentDirectory::CurrentDirectory(const QString& path) : previous_(QDir::currentPath()) {
    QDir::setCurrent(path);
}

CurrentDirectory::~CurrentDirectory() {
    QDir::setCurrent(previous_);
}

ScopedVariable::ScopedVariable(const char* name, const QByteArray& value)
    : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
    value.isNull() ? qunsetenv(name) : qputenv(name, value);
}

ScopedVariable::~ScopedVariable() {
    had_ ? qputenv(name_, old_) : qunsetenv(name_);
}

}  // namespace testsupport
