// Fuzzes the wildcard matcher: the first line is the pattern, the rest the name.
#include "search/wildcard.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view all(reinterpret_cast<const char*>(data), size);
    size_t cut = all.find('\n');
    std::string_view pattern = all.substr(0, cut);
    std::string_view name = cut == std::string_view::npos ? std::string_view() : all.substr(cut + 1);
    bool m = WildcardMatch(pattern, name);
    // A name always matches itself and "*"; "?" patterns match by length alone.
    if (name.find_first_of("*?") == std::string_view::npos && !WildcardMatch(name, name)) __builtin_trap();
    if (!WildcardMatch("*", name)) __builtin_trap();
    if (pattern == "*" && !m) __builtin_trap();
    return 0;
}
