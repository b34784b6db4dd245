#include "search/wildcard.h"

namespace {
inline unsigned char Fold(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }
}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view name) {
    size_t p = 0, n = 0;
    size_t starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || Fold(static_cast<unsigned char>(pattern[p])) ==
                                                                   Fold(static_cast<unsigned char>(name[n])))) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}
