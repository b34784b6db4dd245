#pragma once
// State of the start-up module shared between the windows.
#include <cstdint>
#include <string>

namespace Module1 {
// Random mode: 0 = off, -1 = on. Off at every start, never stored.
extern int16_t RandomMode;
// Full path (bytes) of the entry whose tag the tag editor shows.
extern std::string EditTagPath;
}  // namespace Module1
