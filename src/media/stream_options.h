#pragma once

#include <utility>
#include <vector>

namespace ondrix {

// libmpv options, as name and value, that let a network stream play as soon
// as its first frames arrive. Set before the engine is initialized.
std::vector<std::pair<const char*, const char*>> streamOpeningOptions();

}  // namespace ondrix
