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

}  // namespace testsupport
