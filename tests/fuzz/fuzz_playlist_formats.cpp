// Fuzzes the reader of other players' playlists (.m3u, .m3u8, .pls) and the
// .m3u8 writer: no input may crash, every name read can name a file, and
// what is written reads back as the same names.
#include "playlist/playlist_formats.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (PlaylistFormat format : {PlaylistFormat::M3u, PlaylistFormat::M3u8, PlaylistFormat::Pls}) {
        const PlaylistLines lines = ParsePlaylist(bytes, format);
        std::vector<ExportedEntry> exported;
        for (const std::string& name : lines.names) {
            if (name.empty() || name.size() >= PATH_MAX || name.find('\0') != std::string::npos) __builtin_trap();
            // Names that a playlist entry can hold: full paths on one line.
            if (name[0] == '/' && name.find_first_of("\r\n") == std::string::npos)
                exported.push_back({name, QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size() % 64))});
        }
        std::vector<std::string> written;
        for (const ExportedEntry& e : exported) written.push_back(e.path);
        if (ParsePlaylist(FormatM3u8(exported), PlaylistFormat::M3u8).names != written) __builtin_trap();
    }
    return 0;
}
