#include "playlist_file.h"

#include "file_util.h"
#include "playlist_model.h"

const char* const kFileListingName = "FileListing.dat";

namespace {
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
    out.reserve(total);
    for (const auto& e : entries) {
        out += e;
        out += "\r\n";
    }
    return out;
}

std::vector<std::string> ParseFileListing(const std::string& bytes) {
    std::vector<std::string> lines;
    const char* p = bytes.data();
    const char* end = p + bytes.size();
    while (p < end) {
        const char* q = p;
        while (q < end && *q != '\r' && *q != '\n') ++q;
        if (CharacterCount(p, static_cast<size_t>(q - p)) >= 2) lines.emplace_back(p, q);
        if (q == end) break;
        if (*q == '\r' && q + 1 < end && q[1] == '\n') ++q;
        p = q + 1;
    }
    return lines;
}

void SaveFileList(const PlaylistModel& list) {
    WriteFileAtomically(kFileListingName, FormatFileListing(list.entries()));
}

int OpenFileList(PlaylistModel& list) {
    std::string bytes = ReadWholeFile(kFileListingName);
    return list.replaceAll(ParseFileListing(bytes));
}
