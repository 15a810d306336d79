#pragma once

#include "ui/control_table.h"

namespace ondrix {

// The recorder window's controls and lines.
const WindowLayout& wrecWindowLayout();

}  // namespace ondrix
