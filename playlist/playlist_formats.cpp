#include "playlist/playlist_formats.h"

#include "common/app_error.h"
#include "common/error_text.h"
#include "common/file_util.h"
#include "common/log.h"
#include "common/unique_fd.h"
#include "playlist/dropped_paths.h"
#include "tags/ansi_text.h"
#include "tags/tag_record.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QByteArray>
#include <cerrno>
#include <climits>
#include <set>
#include <utility>

namespace {
bool EndsWithNoCase(const std::string& s, const char* suffix) {
    const std::string end(suffix);
    if (s.size() < end.size()) return false;
    for (size_t i = 0; i < end.size(); ++i) {
        char c = s[s.size() - end.size() + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != end[i]) return false;
    }
    return true;
}

bool StartsWithNoCase(const std::string& s, const char* prefix) {
    for (size_t i = 0; prefix[i]; ++i) {
        if (i >= s.size()) return false;
        char c = s[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

// "scheme://...": an address, not a file name.
bool IsAddress(const std::string& line) {
    const size_t colon = line.find("://");
    if (colon == std::string::npos || colon == 0) return false;
    for (size_t i = 0; i < colon; ++i) {
        const char c = line[i];
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!letter && !(i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'))) return false;
    }
    return true;
}

// One entry as written: a name, a local file's address, or something else.
void TakeEntry(const std::string& text, PlaylistLines& out) {
    if (text.empty()) return;
    std::string name = text;
    if (StartsWithNoCase(text, "file:")) {
        const std::vector<std::string> local = text.size() < 3 * PATH_MAX
                                                   ? LocalPathsFromUriList(QByteArray::fromStdString(text))
                                                   : std::vector<std::string>{text};  // too long to name a file
        if (local.empty() || local.front().rfind("//", 0) == 0) {
            ++out.urls;  // a file on another host
            return;
        }
        name = local.front();
    } else if (IsAddress(text)) {
        ++out.urls;
        return;
    }
    // Also what an address decodes to ("%00").
    if (name.find('\0') != std::string::npos || name.size() >= PATH_MAX) {
        ++out.unusable;
        return;
    }
    out.names.push_back(std::move(name));
}

bool IsUtf8(const std::string& bytes) {
    const QString text = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return text.toUtf8() == QByteArray::fromStdString(bytes);
}

// Reads at most kMaxPlaylistBytes of a regular file; throws AppError.
std::string ReadPlaylistFile(const std::string& path, struct stat& st) {
    // Opened without waiting: a named pipe or a device is refused unread.
    UniqueFd fd = OpenRegularFile(path, st, ErrNo::PathFileAccess, true);
    const AppError tooLarge(ErrNo::PathFileAccess, "Path/File access error (a playlist of more than " +
                                                       std::to_string(kMaxPlaylistBytes >> 20) + " MB)");
    if (static_cast<size_t>(st.st_size) > kMaxPlaylistBytes) throw tooLarge;
    std::string out;
    out.reserve(static_cast<size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw ErrorFromErrno(errno);
        }
        if (n == 0) break;
        if (out.size() + static_cast<size_t>(n) > kMaxPlaylistBytes) throw tooLarge;  // it grew meanwhile
        out.append(buf, static_cast<size_t>(n));
    }
    return out;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

struct Expander {
    ExpandedPaths out;
    std::set<std::pair<dev_t, ino_t>> read;  // the playlists read so far

    void Add(const std::string& given, int depth) {
        const PlaylistFormat format = PlaylistFormatOf(given);
        if (format == PlaylistFormat::None) {
            out.paths.push_back(given);
            return;
        }
        const std::string path = AbsolutePath(given);
        std::string bytes;
        try {
            if (depth > kMaxPlaylistDepth)
                throw AppError(ErrNo::PathFileAccess, "Path/File access error (playlists naming playlists " +
                                                          std::to_string(kMaxPlaylistDepth) + " deep)");
            struct stat st {};
            bytes = ReadPlaylistFile(path, st);
            if (!read.insert({st.st_dev, st.st_ino}).second) return;  // read already: a loop or a repeat
        } catch (const std::exception& e) {
            out.skipped.unreadable << PathToText(given) + QStringLiteral(": ") + ErrorText(e);
            qCInfo(lcFiles) << "a playlist was not read:" << out.skipped.unreadable.back();
            return;
        }
        PlaylistLines lines = ParsePlaylist(bytes, format);
        out.skipped.urls += lines.urls;
        out.skipped.unusable += lines.unusable;
        const std::string folder = FolderOf(path);
        for (std::string& name : lines.names) {
            std::string full = name[0] == '/' ? name : folder + name;
            if (!Exists(full) && format != PlaylistFormat::M3u8 && !IsUtf8(name)) {
                // Written in the code page of a Windows locale.
                const std::string converted = TextToPath(FromAnsi(name.data(), name.size()));
                full = converted[0] == '/' ? converted : folder + converted;
            }
            if (full.size() >= PATH_MAX) {
                ++out.skipped.unusable;
            } else if (PlaylistFormatOf(full) != PlaylistFormat::None && Exists(full)) {
                Add(full, depth + 1);
            } else if (Exists(full)) {
                out.paths.push_back(std::move(full));
            } else {
                ++out.skipped.missing;
            }
        }
    }
};
}  // namespace

PlaylistFormat PlaylistFormatOf(const std::string& path) {
    if (EndsWithNoCase(path, ".m3u")) return PlaylistFormat::M3u;
    if (EndsWithNoCase(path, ".m3u8")) return PlaylistFormat::M3u8;
    if (EndsWithNoCase(path, ".pls")) return PlaylistFormat::Pls;
    return PlaylistFormat::None;
}

PlaylistLines ParsePlaylist(const std::string& bytes, PlaylistFormat format) {
    PlaylistLines out;
    size_t at = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (at < bytes.size()) {
        size_t end = bytes.find('\n', at);
        if (end == std::string::npos) end = bytes.size();
        size_t stop = end;
        if (stop > at && bytes[stop - 1] == '\r') --stop;
        const std::string line = bytes.substr(at, stop - at);
        at = end + 1;
        if (line.empty()) continue;
        if (format == PlaylistFormat::Pls) {
            // "File1=/music/a.mp3"; [playlist], TitleN, LengthN and the rest say nothing of files.
            const size_t eq = line.find('=');
            if (eq == std::string::npos || !StartsWithNoCase(line, "file")) continue;
            bool numbered = eq > 4;
            for (size_t i = 4; i < eq; ++i) numbered &= line[i] >= '0' && line[i] <= '9';
            if (numbered) TakeEntry(line.substr(eq + 1), out);
        } else if (line[0] != '#') {
            TakeEntry(line, out);
        }
    }
    return out;
}

ExpandedPaths ExpandPlaylists(const std::vector<std::string>& paths) {
    Expander expander;
    for (const std::string& p : paths) expander.Add(p, 0);
    return std::move(expander.out);
}

std::string FormatM3u8(const std::vector<ExportedEntry>& entries) {
    std::string out = "#EXTM3U\n";
    for (const ExportedEntry& e : entries) {
        QString title = e.title;
        // A title is one line.
        title.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
        if (title.isEmpty()) {
            const size_t slash = e.path.rfind('/');
            title = PathToText(slash == std::string::npos ? e.path : e.path.substr(slash + 1));
        }
        // An entry is written as the list holds it (already a full path, as a
        // rule): only a relative one is made full.
        const std::string path = !e.path.empty() && e.path[0] == '/' ? e.path : AbsolutePath(e.path);
        out += "#EXTINF:-1," + title.toStdString() + "\n" + path + "\n";
    }
    return out;
}

QString ExportTitle(const std::string& path) {
    const TagReadResult tag = ReadTagRecord(path);
    if (tag.status != TagStatus::Found) return QString();
    const QString title = DisplayText(tag.record.Title, sizeof tag.record.Title).trimmed();
    const QString artist = DisplayText(tag.record.Artist, sizeof tag.record.Artist).trimmed();
    if (artist.isEmpty()) return title;
    if (title.isEmpty()) return artist;
    return artist + QStringLiteral(" - ") + title;
}

void ExportPlaylist(const std::vector<std::string>& entries, const std::string& path) {
    std::vector<ExportedEntry> exported;
    exported.reserve(entries.size());
    for (const std::string& e : entries) exported.push_back({e, ExportTitle(e)});
    WriteFileAtomically(path, FormatM3u8(exported));
}
