#pragma once
// The stored playlist, "FileListing.dat" in the current directory: one entry
// per line, each line ended by CR LF, no header, no quoting.
#include <string>
#include <vector>

class PlaylistModel;

extern const char* const kFileListingName;  // "FileListing.dat"

std::string FormatFileListing(const std::vector<std::string>& entries);
// Lines end at CR LF, at a lone CR and at a lone LF; lines of fewer than two
// characters are skipped; the last line counts without a line end.
std::vector<std::string> ParseFileListing(const std::string& bytes);

// Writes every entry to "FileListing.dat", replacing the file atomically.
// Throws AppError; the old file is then left whole.
void SaveFileList(const PlaylistModel& list);
// Replaces the list's entries with the stored playlist. Throws AppError when
// the file cannot be read, and then leaves the list untouched. Returns how
// many lines were refused because the list was full.
int OpenFileList(PlaylistModel& list);
