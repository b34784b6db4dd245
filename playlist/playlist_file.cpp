#include "playlist/playlist_file.h"

#include "common/file_util.h"
#include "playlist/playlist_model.h"

#include <climits>
#include <cstring>

const char* const kFileListingName = "FileListing.dat";

namespace {
constexpr char kBom[] = "\xEF\xBB\xBF";

// Characters, not bytes: a UTF-8 sequence counts once.
size_t CharacterCount(const char* data, size_t size) {
    size_t n = 0;
    for (size_t i = 0; i < size; ++i)
        if ((static_cast<unsigned char>(data[i]) & 0xC0) != 0x80) ++n;
    return n;
}
}  // namespace

std::string FormatFileListing(const std::vector<std::string>& entries) {
    size_t total = 0;
    for (const auto& e : entries) total += e.size() + 2;
    std::string out;
    out.reserve(total + 3);
    // A first entry that itself begins with a byte-order mark gets one more
    // in front, which reading takes away.
    if (!entries.empty() && entries.front().compare(0, 3, kBom) == 0) out += kBom;
    for (const auto& e : entries) {
        out += e;
        out += "\r\n";
    }
    return out;
}

std::vector<std::string> ParseFileListing(const std::string& bytes, size_t* unusable) {
    std::vector<std::string> lines;
    const char* p = bytes.data();
    const char* end = p + bytes.size();
    if (bytes.compare(0, 3, kBom) == 0) p += 3;
    while (p < end) {
        const char* q = p;
        while (q < end && *q != '\r' && *q != '\n') ++q;
        const size_t size = static_cast<size_t>(q - p);
        // No path is PATH_MAX bytes long or holds a NUL: such a line names no
        // file (and a huge one would only slow every drawing of the list).
        if (size >= PATH_MAX || std::memchr(p, '\0', size)) {
            if (unusable) ++*unusable;
        } else if (CharacterCount(p, size) >= 2) {
            lines.emplace_back(p, q);
        }
        if (q == end) break;
        if (*q == '\r' && q + 1 < end && q[1] == '\n') ++q;
        p = q + 1;
    }
    return lines;
}

void SaveFileList(const PlaylistModel& list) {
    std::vector<std::string> lines = list.entries();
    lines.insert(lines.end(), list.heldBack().begin(), list.heldBack().end());
    WriteFileAtomically(kFileListingName, FormatFileListing(lines));
}

OpenedFileList OpenFileList(PlaylistModel& list) {
    OpenedFileList opened;
    std::vector<std::string> lines = ParseFileListing(ReadWholeFile(kFileListingName), &opened.unusable);
    opened.notAdded = list.replaceAll(lines);
    // What did not fit is not lost: it is written back after the entries.
    list.setHeldBack(std::vector<std::string>(lines.end() - opened.notAdded, lines.end()));
    return opened;
}
