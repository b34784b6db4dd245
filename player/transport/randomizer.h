#pragma once
// The random pick of random mode: the generator is reseeded with the list
// size before every pick; the seed is mixed into the current state, so the
// same size again does not restart the sequence.
#include <cstdint>

class RandomPicker {
public:
    RandomPicker();
    // A whole number in 0 .. listSize - 1 (0 for a size of 0 or less).
    int32_t Pick(int32_t listSize);

private:
    uint64_t state_;
};
