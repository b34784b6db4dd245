#pragma once
// Times are shown as minutes and seconds, each with at least two digits.
#include <QString>
#include <cstdint>

struct MinutesSeconds {
    int64_t minutes = 0;
    int64_t seconds = 0;
};

// Whole minutes and the whole seconds left over. Negative, infinite or NaN
// readings count as 0.
MinutesSeconds SplitTime(double t);
// "mm:ss"; 100 minutes and more show all their digits.
QString FormatTime(double t);
// A number with at least two digits ("0#").
QString TwoDigits(int64_t value);
