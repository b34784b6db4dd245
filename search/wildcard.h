#pragma once
#include <string_view>

// Directory wildcard matching: "*" is any run of characters (also none), "?"
// any one character, letters match without regard to case, and the pattern
// must cover the whole name.
bool WildcardMatch(std::string_view pattern, std::string_view name);
