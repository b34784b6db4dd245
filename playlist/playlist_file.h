#pragma once
// The stored playlist, "FileListing.dat" in the current directory: one entry
// per line, each line ended by CR LF, no header, no quoting.
#include <string>
#include <vector>

class PlaylistModel;

extern const char* const kFileListingName;  // "FileListing.dat"

std::string FormatFileListing(const std::vector<std::string>& entries);
// Lines end at CR LF, at a lone CR and at a lone LF; lines of fewer than two
// characters are skipped; the last line counts without a line end. A leading
// UTF-8 byte-order mark is no part of the first line. Lines that cannot name
// a file (longer than the longest path, or holding a NUL byte) are skipped
// too and counted in `unusable`.
std::vector<std::string> ParseFileListing(const std::string& bytes, size_t* unusable = nullptr);

// Writes every entry to "FileListing.dat", then the entries the file held
// that did not fit in the list, replacing the file atomically. Throws
// AppError; the old file is then left whole.
void SaveFileList(const PlaylistModel& list);

struct OpenedFileList {
    int notAdded = 0;     // lines that did not fit: kept in the list's heldBack()
    size_t unusable = 0;  // lines that cannot name a file, skipped
};
// Replaces the list's entries with the stored playlist. Throws AppError when
// the file cannot be read, and then leaves the list untouched.
OpenedFileList OpenFileList(PlaylistModel& list);
