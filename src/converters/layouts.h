#pragma once

#include "ui/control_table.h"

namespace ondrix {

const WindowLayout& mp3WindowLayout();
const WindowLayout& flacWindowLayout();

}  // namespace ondrix
