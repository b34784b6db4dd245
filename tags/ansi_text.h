#pragma once
// Text of ID3v1 fields in the Windows ANSI code page of the user's locale,
// as taggers on that system write it (1251 for Russian, 1250 for Polish ...).
#include <QString>
#include <cstddef>
#include <string>

// The code page for the locale named by the first of LC_ALL, LC_CTYPE and
// LANG that is set and not empty, from its language (and, for Chinese, its
// territory): ru, uk, be, bg, sr, mk 1251; pl, cs, sk, hu, sl, hr, ro, bs, sq
// and sr@latin 1250; el 1253; tr, az 1254; he 1255; ar, fa, ur 1256; lt, lv, et
// 1257; vi 1258; th 874; ja 932; zh_CN, zh_SG 936; ko 949; zh_TW, zh_HK 950;
// anything else 1252. Only the variables are read, so it holds whether or not
// that locale is installed.
int AnsiCodePage();
// The same for one locale name ("ru_RU.UTF-8", "sr_RS@latin", "C" ...).
int AnsiCodePageOf(const std::string& locale);

// The code page's bytes as text (through iconv). A byte the page leaves
// undefined stands for itself as a control character (0x80..0x9F) or U+FFFD.
QString FromAnsi(const char* data, size_t size);
// Text as the code page's bytes, at most `maxBytes` of them: a character that
// would not fit whole is left out with everything after it. A character the
// page has no bytes for is written as "?", except that a control character
// 0x80..0x9F goes back to the byte it was read from, where the page leaves that
// byte undefined, so every byte of a field read survives a save.
std::string ToAnsi(const QString& text, size_t maxBytes = static_cast<size_t>(-1));
// True when the code page holds every character of `text` (none would be
// written as "?").
bool AnsiHolds(const QString& text);
