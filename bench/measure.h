#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class QProcess;

namespace bench {

// Median of the samples (the mean of the middle two for an even count); 0
// for none.
double median(std::vector<double> samples);

// Processes Qt events until done() holds or timeoutMs passes; false on time-out.
// Sleeps a fraction of a millisecond between looks so the timing stays fine
// without spinning a core.
bool pollUntil(const std::function<bool()>& done, int timeoutMs);

// Runs the Qt event loop for the time given, as a program's main loop would.
void runEventLoop(int milliseconds);

// Milliseconds with a fraction since the timer started.
inline double elapsedMs(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// Makes a child process end with the harness, even when the harness itself
// is killed or crashes, so that a benchmark leaves nothing running. Call
// before starting it.
void endWithParent(QProcess& process);

// Starts a program and returns the milliseconds until its standard output
// carries the token, or -1 when it does not within timeoutMs (or ends
// without it). The program is ended afterwards in any case.
double timeUntilOutput(const QString& program, const QStringList& arguments,
                       const QString& workingDirectory, const QByteArray& token, int timeoutMs);

// Takes the complete lines (without their line feed) off the front of a
// buffer that collects a stream; a part line stays for the next read.
QList<QByteArray> takeCompleteLines(QByteArray& buffer);

// The "event" member of one JSON message of mpv's IPC; empty for a reply or
// a line that is no JSON object.
QString eventName(const QByteArray& line);

// One result line: "name: value unit" with two decimals.
void printFigure(const QString& name, double value, const QString& unit);

// Samples as "a b c ..." for the detail lines.
QString sampleList(const std::vector<double>& samples);

}  // namespace bench
