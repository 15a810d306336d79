#pragma once

#include <QElapsedTimer>
#include <QString>
#include <functional>
#include <vector>

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
inline double elapsedMs(const QElapsedTimer& timer) { return timer.nsecsElapsed() / 1e6; }

// One result line: "name: value unit" with two decimals.
void printFigure(const QString& name, double value, const QString& unit);

// Samples as "a b c ..." for the detail lines.
QString sampleList(const std::vector<double>& samples);

}  // namespace bench
