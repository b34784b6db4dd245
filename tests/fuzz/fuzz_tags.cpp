// Fuzzes the tag reader over whole file contents and the texts built from a
// tag: display texts, the information line and the code page round trip.
// The input's last byte picks the locale: Windows-1252 must round-trip every
// byte; the other pages (one of them double-byte, one composing tone marks)
// must simply hold up.
#include "tags/ansi_text.h"
#include "tags/tag_record.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const char* const kLocales[] = {"C", "ru_RU.UTF-8", "ja_JP.UTF-8", "vi_VN", "zh_TW.UTF-8", "el_GR"};
    const char* locale = size > 0 ? kLocales[data[size - 1] % 6] : "C";
    ::unsetenv("LC_ALL");
    ::unsetenv("LC_CTYPE");
    ::setenv("LANG", locale, 1);
    const bool cp1252 = AnsiCodePage() == 1252;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    TagReadResult r = ParseTagBytes(bytes);
    if (size < 128 && r.status != TagStatus::Unreadable) __builtin_trap();
    if (r.status != TagStatus::Found) return 0;
    const TagRecord& t = r.record;
    QString line = InformationLine(static_cast<int16_t>(size), t);
    if (line.contains(QChar(0))) __builtin_trap();
    for (auto [field, width] :
         {std::pair{t.Title, sizeof t.Title}, std::pair{t.Artist, sizeof t.Artist}, std::pair{t.Album, sizeof t.Album},
          std::pair{t.Year, sizeof t.Year}, std::pair{t.Comment, sizeof t.Comment}}) {
        QString shown = DisplayText(field, width);
        if (shown.size() > static_cast<qsizetype>(width) || shown.contains(QChar(0))) __builtin_trap();
        // Shown text written back shows the same, less the blanks it ended in
        // (those are padding once stored).
        char again[30];
        StoreField(again, width, shown);
        QString trimmed = shown;
        while (trimmed.endsWith(QLatin1Char(' '))) trimmed.chop(1);
        if (cp1252 && DisplayText(again, width) != trimmed) __builtin_trap();
    }
    std::string raw(t.Title, sizeof t.Title);
    const std::string back = ToAnsi(FromAnsi(raw.data(), raw.size()));
    if (cp1252 && back != raw) __builtin_trap();
    if (ToAnsi(FromAnsi(raw.data(), raw.size()), 7).size() > 7) __builtin_trap();
    return 0;
}
