#include "platform/number_text.h"

#include <cmath>
#include <cstdio>

namespace ondrix {

namespace {
QString trimFraction(QString text) {
    if (!text.contains(QLatin1Char('.'))) return text;
    while (text.endsWith(QLatin1Char('0'))) text.chop(1);
    if (text.endsWith(QLatin1Char('.'))) text.chop(1);
    return text;
}
}  // namespace

QString plainDecimalText(double value) {
    if (!std::isfinite(value)) return QString::number(value);
    if (value == 0) return QStringLiteral("0");  // also -0
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    QString text = QString::fromLatin1(buffer);
    if (!text.contains(QLatin1Char('e'))) return trimFraction(text);
    // Rounded to 15 significant digits, then written out without exponent.
    const double rounded = std::strtod(buffer, nullptr);
    const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(rounded))));
    const int decimals = exponent >= 14 ? 0 : 14 - exponent;
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, rounded);
    return trimFraction(QString::fromLatin1(buffer));
}

}  // namespace ondrix
