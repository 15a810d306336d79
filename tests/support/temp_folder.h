#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace testsupport {

// A scratch folder removed at the end of the test.
class TempFolder {
  public:
    TempFolder();
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }
    void write(const QString& name, const QByteArray& content) const;
    QByteArray read(const QString& name) const;

  private:
    QTemporaryDir dir_;
};

// Changes the process's current directory for the life of the object.
class CurrentDirectory {
  public:
    explicit CurrentDirectory(const QString& path);
    ~CurrentDirectory();

  private:
    QString previous_;
};

// Sets an environment variable of the process, or unsets it for a null
// value, for the life of the object.
class ScopedVariable {
  public:
    ScopedVariable(const char* name, const QByteArray& value);
    ~ScopedVariable();
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

  private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

}  // namespace testsupport
