#include "common/case_fold.h"

#include <QChar>

namespace {
// The code point of the UTF-8 sequence at s[i], and its length in `length`;
// -1 when the bytes there are no valid sequence (overlong forms, surrogates
// and values past U+10FFFF included).
long DecodeAt(const std::string& s, size_t i, size_t& length) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b0 = byte(i);
    long cp;
    long min;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2, cp = b0 & 0x1F, min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3, cp = b0 & 0x0F, min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        return -1;
    }
    if (i + length > s.size()) return -1;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return -1;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
    return cp;
}

void Encode(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}
}  // namespace

std::string FoldCase(const std::string& text) {
    std::string out(text);
    size_t i = 0;
    // ASCII is folded in place; most names are nothing else.
    for (; i < out.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(out[i]);
        if (c >= 0x80) break;
        if (c >= 'A' && c <= 'Z') out[i] = static_cast<char>(c + ('a' - 'A'));
    }
    if (i == out.size()) return out;
    out.resize(i);
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : static_cast<char>(c);
            ++i;
            continue;
        }
        size_t length = 1;
        const long cp = DecodeAt(text, i, length);
        if (cp < 0) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        Encode(QChar::toCaseFolded(static_cast<char32_t>(cp)), out);
        i += length;
    }
    return out;
}
