#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <memory>

namespace testsupport {

// A private X server for tests that need a real display (screenshots,
// xdotool). Stopped when the object dies.
class Xvfb {
  public:
    Xvfb(int width = 1280, int height = 1024);
    ~Xvfb();
    QString display() const { return display_; }
    // The process's plus DISPLAY, with a session bus address that leads
    // nowhere.
    QProcessEnvironment environment() const;
    // Saves the whole screen as PNG (ImageMagick's import).
    bool screenshot(const QString& pngPath) const;

  private:
    std::unique_ptr<QProcess> server_;
    QString display_;
};

// Makes a process that is about to be started end when the test process
// ends, also when the test is killed: a stray server would otherwise keep
// the test runner's output pipe open.
void endWithParent(QProcess& process);

// Runs a command to its end (at most timeoutMs); returns its exit code, or
// -1 when it could not start or timed out. Output goes to *output when given.
int runCommand(const QString& program, const QStringList& arguments,
               const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
               QString* output = nullptr, int timeoutMs = 30000);

// Whether a program is on PATH.
bool haveProgram(const QString& name);

// A free TCP port on 127.0.0.1.
int freePort();

}  // namespace testsupport
