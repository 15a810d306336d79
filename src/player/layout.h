#pragma once

#include "ui/control_table.h"

namespace ondrix {

// The player window's controls and lines, as the window is built from them.
const WindowLayout& wavelarkWindowLayout();

}  // namespace ondrix
