#include "common/time_format.h"

#include <cmath>

MinutesSeconds SplitTime(double t) {
    MinutesSeconds ms;
    // Anything beyond a year is no real playing time; clamp it so the
    // arithmetic stays in range.
    if (!std::isfinite(t) || t <= 0) return ms;
    if (t > 1e9) t = 1e9;
    double whole = std::floor(t);
    ms.minutes = static_cast<int64_t>(std::floor(t / 60.0));
    ms.seconds = static_cast<int64_t>(whole) - 60 * ms.minutes;
    if (ms.seconds < 0) ms.seconds = 0;
    if (ms.seconds > 59) ms.seconds = 59;
    return ms;
}

QString TwoDigits(int64_t value) { return QString::number(value).rightJustified(2, QLatin1Char('0')); }

QString FormatTime(double t) {
    MinutesSeconds ms = SplitTime(t);
    return TwoDigits(ms.minutes) + QLatin1Char(':') + TwoDigits(ms.seconds);
}
