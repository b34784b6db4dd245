#include "transport/randomizer.h"

#include <chrono>
#include <cmath>

namespace {
uint64_t SplitMix(uint64_t& x) {
    uint64_t z = (x += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}
}  // namespace

RandomPicker::RandomPicker()
    : state_(static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count())) {}

int32_t RandomPicker::Pick(int32_t listSize) {
    state_ ^= static_cast<uint64_t>(static_cast<uint32_t>(listSize)) * 0xD6E8FEB86659FD93ull;
    uint64_t bits = SplitMix(state_);
    // A single-precision value uniform in [0, 1): 24 random bits.
    float r = static_cast<float>(bits >> 40) / 16777216.0f;
    if (listSize <= 0) return 0;
    return static_cast<int32_t>(std::floor(static_cast<double>(r) * listSize));
}
