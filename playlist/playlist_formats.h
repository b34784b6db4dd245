#pragma once
// Playlists of other players: .m3u, .m3u8 and .pls files are read into the
// paths they name, and the playlist is written out as .m3u8.
//
// Reading, line by line (a line ends at LF, a CR before it is dropped; a
// leading UTF-8 byte-order mark is skipped): empty lines and, in .m3u and
// .m3u8, lines starting with "#" (#EXTM3U, #EXTINF and other comments) are
// skipped; in .pls only the "FileN=" lines count. A "file:" address gives its
// local path; any other address (http://, ...) names no local file and is
// counted. A relative name is taken from the playlist's own folder.
// .m3u8 is UTF-8, its names are taken byte for byte; an .m3u or .pls name
// that is no file as it stands and is not UTF-8 is read in the Windows code
// page of the locale (as ID3v1 tags are, see tags/ansi_text.h).
#include <QString>
#include <QStringList>
#include <cstddef>
#include <string>
#include <vector>

enum class PlaylistFormat { None, M3u, M3u8, Pls };

// By the name's extension, in any case: ".m3u", ".m3u8", ".pls".
PlaylistFormat PlaylistFormatOf(const std::string& path);

// Playlist files larger than this are refused as a whole.
constexpr size_t kMaxPlaylistBytes = size_t(64) << 20;
// Playlists naming playlists are read this many levels deep at most.
constexpr int kMaxPlaylistDepth = 8;

struct PlaylistLines {
    std::vector<std::string> names;  // as written ("file:" addresses decoded)
    int urls = 0;                    // addresses of anything but a local file
    int unusable = 0;                // lines holding a NUL or longer than a path can be
};
// The entries of a playlist's bytes, in their order.
PlaylistLines ParsePlaylist(const std::string& bytes, PlaylistFormat format);

// What did not become an entry when playlists were read.
struct SkippedEntries {
    int urls = 0;
    int missing = 0;         // names of files that do not exist
    int unusable = 0;        // lines that can name no file
    QStringList unreadable;  // playlists that could not be read: "name: reason"
    bool empty() const { return urls == 0 && missing == 0 && unusable == 0 && unreadable.isEmpty(); }
};
struct ExpandedPaths {
    std::vector<std::string> paths;
    SkippedEntries skipped;
};
// Paths given to the player to add (a drop, "Open with", the command line):
// each one naming a playlist by its extension is replaced by the existing
// files it names, a playlist named by a playlist in its turn; the others
// stay as they are. Each playlist file is read once: one that names itself,
// or one already read, adds nothing again. A playlist that is not a regular
// file (a folder, a named pipe), is missing, cannot be read or is larger
// than kMaxPlaylistBytes is told in `unreadable`. Never throws an AppError.
ExpandedPaths ExpandPlaylists(const std::vector<std::string>& paths);

// One entry of an exported playlist: its path and the title to show.
struct ExportedEntry {
    std::string path;
    QString title;  // empty: no #EXTINF title but the file's name
};
// An .m3u8 playlist: "#EXTM3U", then per entry "#EXTINF:-1," with its title
// and the full path, every line ended by LF.
std::string FormatM3u8(const std::vector<ExportedEntry>& entries);
// The title an entry is exported with: "Artist - Title" from its ID3v1 tag
// (either alone when the other is empty), else the file's name.
QString ExportTitle(const std::string& path);
// Writes `entries` as an .m3u8 playlist at `path`, replacing it atomically
// (an old file stays whole when the write fails). Throws AppError.
void ExportPlaylist(const std::vector<std::string>& entries, const std::string& path);
