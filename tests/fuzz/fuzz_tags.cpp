// Fuzzes the tag reader over whole file contents and the texts built from a
// tag: display texts, the information line and the code page round trip.
#include "tag_record.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    TagReadResult r = ParseTagBytes(bytes);
    if (size < 128 && r.status != TagStatus::Unreadable) __builtin_trap();
    if (r.status != TagStatus::Found) return 0;
    const TagRecord& t = r.record;
    QString line = InformationLine(static_cast<int16_t>(size), t);
    if (line.contains(QChar(0))) __builtin_trap();
    for (auto [field, width] : {std::pair{t.Title, sizeof t.Title}, std::pair{t.Artist, sizeof t.Artist},
                                std::pair{t.Album, sizeof t.Album}, std::pair{t.Year, sizeof t.Year},
                                std::pair{t.Comment, sizeof t.Comment}}) {
        QString shown = DisplayText(field, width);
        if (shown.size() > static_cast<qsizetype>(width) || shown.contains(QChar(0))) __builtin_trap();
        // Shown text written back shows the same, less the blanks it ended in
        // (those are padding once stored).
        char again[30];
        StoreField(again, width, shown);
        QString trimmed = shown;
        while (trimmed.endsWith(QLatin1Char(' '))) trimmed.chop(1);
        if (DisplayText(again, width) != trimmed) __builtin_trap();
    }
    std::string raw(t.Title, sizeof t.Title);
    if (ToCp1252(FromCp1252(raw.data(), raw.size())) != raw) __builtin_trap();
    return 0;
}
