// Starting a planned program: detached, with its arguments byte for byte.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <vector>

#include "platform/shell_plan.h"

namespace ondrix {

namespace {

// The file descriptor of a file opened here, closed when it goes.
class OpenFile {
  public:
    explicit OpenFile(int descriptor = -1) : descriptor_(descriptor) {}
    ~OpenFile() {
        if (descriptor_ >= 0) close(descriptor_);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    int get() const { return descriptor_; }

  private:
    int descriptor_;
};

// The log the output goes to, made fit first; nothing when it cannot be
// written, and then the output goes where ours goes.
OpenFile openLog(const QString& path) {
    if (path.isEmpty() || !QDir().mkpath(QFileInfo(path).absolutePath())) return OpenFile();
    keepLogUnder(path, kLogLimit);
    return OpenFile(
        open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
}

// In the forked child only calls that are safe after fork() in a process
// with threads: everything else was made before.
[[noreturn]] void execInChild(const char* program, char* const* argv, const char* directory,
                              int input, int output, int failures) {
    // The encoder is the user's own work: it lives on when this program
    // ends, and is no child of it.
    setsid();
    const pid_t grandchild = fork();
    if (grandchild != 0) _exit(grandchild < 0 ? 1 : 0);
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigaction(SIGPIPE, &standard, nullptr);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    // Nothing this program holds open goes on to the encoder: the pipe that
    // tells of a failed start closes on exec like the rest.
    close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
    if (chdir(directory) == 0 && dup2(input, STDIN_FILENO) >= 0 &&
        (output < 0 || (dup2(output, STDOUT_FILENO) >= 0 && dup2(output, STDERR_FILENO) >= 0)))
        execv(program, argv);
    // Only reached when the start failed: the parent reads why.
    const int error = errno;
    [[maybe_unused]] const ssize_t told = write(failures, &error, sizeof error);
    _exit(127);
}

}  // namespace

void keepLogUnder(const QString& path, qint64 limit) {
    QFile log(path);
    if (log.size() <= limit || !log.open(QIODevice::ReadWrite)) return;
    if (!log.seek(log.size() - limit / 2)) return;
    QByteArray newer = log.readAll();
    // The first line kept is a whole one.
    newer.remove(0, newer.indexOf('\n') + 1);
    log.resize(0);
    log.seek(0);
    log.write(newer);
}

bool startLaunch(const ShellLaunch& launch) {
    // QProcess would pass each argument as UTF-8 text, changing a name that
    // is no UTF-8; so the process is started here, from the bytes.
    const QString found = QFileInfo(launch.program).isAbsolute()
                              ? launch.program
                              : QStandardPaths::findExecutable(launch.program);
    if (found.isEmpty()) return false;
    const QByteArray program = QFile::encodeName(found);
    std::vector<QByteArray> words{program};
    words.insert(words.end(), launch.arguments.begin(), launch.arguments.end());
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (QByteArray& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const QByteArray directory = QFile::encodeName(
        launch.workingDirectory.isEmpty() ? QDir::currentPath() : launch.workingDirectory);
    const OpenFile input(open("/dev/null", O_RDONLY | O_CLOEXEC));
    const OpenFile output = openLog(launch.outputLog);
    int failures[2] = {-1, -1};
    if (input.get() < 0 || pipe2(failures, O_CLOEXEC) != 0) return false;
    const OpenFile failureEnd(failures[0]);
    const pid_t child = fork();
    if (child == 0)
        execInChild(program.constData(), argv.data(), directory.constData(), input.get(),
                    output.get(), failures[1]);
    close(failures[1]);
    if (child < 0) return false;
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    // The pipe closes on exec; an error number in it means no start.
    int error = 0;
    ssize_t got = 0;
    do {
        got = read(failureEnd.get(), &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && got == 0;
}

}  // namespace ondrix
