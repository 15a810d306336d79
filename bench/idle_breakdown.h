#pragma once

#include <QString>

namespace bench {

// Where the stopped player's CPU goes: the window with its real engine,
// station 1 without a stream, measured for `seconds` each with all timers,
// without the poller, without the scrolling and without any timer.
int runIdleBreakdown(int& argc, char** argv, const QString& settingsFolder, int seconds);

}  // namespace bench
