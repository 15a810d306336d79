#pragma once

#include <optional>

namespace ondrix {

// The wrapper mode, when argv asks for it: runs the program named after the
// wrapper's arguments with the arguments after it, without a shell, and
// returns its exit status. On success it ends at once; when the program fails
// or cannot be started it prints why and waits for Enter (or the end of its
// input), so that a terminal window that closes with it can still be read.
// When its output is no terminal (a log), the program's output is written as
// a terminal would finally show it. Asked to, it tells the program's end as
// a desktop notification. Nothing when argv does not ask for it.
std::optional<int> runConsoleWrapper(int argc, char** argv);

}  // namespace ondrix
