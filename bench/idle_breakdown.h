#pragma once

#include <QString>

namespace bench {

// Where the stopped player's CPU goes: the window with its real engine,
// station 1 without a stream, measured for `seconds` each with all timers,
// without the poller, without the scrolling, without any timer, and with the
// scrolling texts rendered two cheaper ways (labels painted from cached
// images; one strip painting both texts), to show what each would save.
int runIdleBreakdown(int& argc, char** argv, const QString& settingsFolder, int seconds);

}  // namespace bench
