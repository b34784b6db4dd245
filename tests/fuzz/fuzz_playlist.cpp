// Fuzzes the playlist file reader and the sorted insertion of what it yields.
#include "playlist/playlist_file.h"
#include "playlist/playlist_model.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> lines = ParseFileListing(bytes);
    for (const auto& l : lines) {
        if (l.size() < 2 || l.size() >= PATH_MAX || l.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
            __builtin_trap();
    }
    PlaylistModel model;
    model.addMany(lines);
    for (int i = 1; i < model.count(); ++i)
        if (PlaylistModel::SortKey(model.at(i - 1)) > PlaylistModel::SortKey(model.at(i))) __builtin_trap();
    // What is saved reads back as the same entries.
    if (ParseFileListing(FormatFileListing(model.entries())) != model.entries()) __builtin_trap();
    return 0;
}
