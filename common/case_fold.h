#pragma once
// Names compared without regard to case: the playlist's sort key and the key
// the folder search tells duplicates apart by are one and the same fold.
#include <string>

// Folds every character of UTF-8 text to its case-folded form (A and a, É and
// é give the same key). Bytes that are not valid UTF-8 are kept as they are, so
// two names that differ in such a byte never share a key.
std::string FoldCase(const std::string& text);
