#pragma once

#include <QString>

namespace ondrix {

// A number as plain decimal text: at most 15 significant digits, no
// exponent, no thousands separators, no trailing zeros ("128", "44.1", "0").
QString plainDecimalText(double value);

}  // namespace ondrix
