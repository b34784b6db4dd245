#pragma once
// The one stored setting: the theme picture's path in "Settings.dat" in the
// current directory, written as the path followed by CR LF.
#include <functional>
#include <string>
#include <vector>

namespace UserSettings {

inline constexpr const char* kSettingsFileName = "Settings.dat";

// True when name names a regular file; hidden (".x") and read-only files
// count, folders do not. A symbolic link counts as the file it leads to.
bool FileExists(const std::string& name);

// Replaces "Settings.dat" atomically with path + CR LF. A path that would not
// read back as one item (it holds a CR or LF, starts with a blank or a double
// quote) is refused. Throws AppError; the old file is then left whole.
void SaveSettings(const std::string& path);

// The items of a settings file, in order. A line ends at CR LF, at a lone CR
// and at a lone LF; the last line counts without a line end, and nothing
// follows the final line end. Per line:
// - blanks (spaces, tabs) before an item are skipped;
// - an item starting with a double quote runs to the next double quote on
//   that line (or the line's end), may hold commas and loses its quotes;
//   reading goes on after the next comma, whose remainder of the line is a
//   further item, or else at the next line;
// - any other item is the rest of the line, commas and trailing blanks
//   included, so a path written by SaveSettings reads back whole;
// - an empty or blank line is one empty item.
std::vector<std::string> ParseSettingsItems(const std::string& bytes);

// When "Settings.dat" exists, reads it and calls applyPicture with each item
// in order. Throws AppError when the file cannot be read (nothing is applied
// then). Exceptions from applyPicture pass through.
void LoadSettings(const std::function<void(const std::string&)>& applyPicture);

}  // namespace UserSettings
