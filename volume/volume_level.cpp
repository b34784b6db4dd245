#include "volume/volume_level.h"

#include <algorithm>

void VolumeLevel::setValue(int value) {
    value = std::clamp(value, 0, 100);
    if (value == value_) return;
    value_ = value;
    emit valueChanged(value);
}
