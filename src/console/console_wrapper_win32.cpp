#include "console/console_wrapper.h"

namespace ondrix {

std::optional<int> runConsoleWrapper(int, char**) {
    // Nothing here starts a program through the wrapper mode.
    return std::nullopt;
}

}  // namespace ondrix
