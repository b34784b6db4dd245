#include "user_settings.h"

#include "app_error.h"
#include "file_util.h"
#include "wildcard.h"

#include <dirent.h>
#include <sys/stat.h>

namespace UserSettings {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Appends the items of one line (no line end in it).
void ParseLine(const std::string& bytes, size_t pos, size_t end, std::vector<std::string>& items) {
    for (;;) {
        while (pos < end && IsBlank(bytes[pos])) ++pos;
        if (pos >= end || bytes[pos] != '"') {
            items.emplace_back(bytes, pos, end - pos);
            return;
        }
        const size_t start = pos + 1;
        size_t close = bytes.find('"', start);
        if (close == std::string::npos || close > end) close = end;
        items.emplace_back(bytes, start, close - start);
        // Whatever stands between the closing quote and the next comma is dropped.
        const size_t comma = close < end ? bytes.find(',', close + 1) : std::string::npos;
        if (comma == std::string::npos || comma >= end) return;
        pos = comma + 1;
    }
}

}  // namespace

bool FileExists(const std::string& name) {
    const size_t slash = name.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : name.substr(0, slash + 1);
    const std::string last = slash == std::string::npos ? name : name.substr(slash + 1);
    if (last.empty()) return false;
    if (last.find_first_of("*?") == std::string::npos) return IsRegularFile(name);

    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return false;
    bool found = false;
    const std::string prefix = slash == std::string::npos ? std::string() : folder;
    while (!found) {
        const dirent* entry = ::readdir(dir);
        if (!entry) break;
        const std::string entryName = entry->d_name;
        if (entryName == "." || entryName == "..") continue;
        found = WildcardMatch(last, entryName) && IsRegularFile(prefix + entryName);
    }
    ::closedir(dir);
    return found;
}

void SaveSettings(const std::string& path) {
    const std::string bytes = path + "\r\n";
    const std::vector<std::string> readBack = ParseSettingsItems(bytes);
    if (readBack.size() != 1 || readBack.front() != path) throw MakeError(ErrNo::BadFileName);
    WriteFileAtomically(kSettingsFileName, bytes);
}

std::vector<std::string> ParseSettingsItems(const std::string& bytes) {
    std::vector<std::string> items;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = bytes.size();
        ParseLine(bytes, pos, end, items);
        if (end < bytes.size() && bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n')
            pos = end + 2;
        else
            pos = end + 1;
    }
    return items;
}

void LoadSettings(const std::function<void(const std::string&)>& applyPicture) {
    if (!FileExists(kSettingsFileName)) return;
    const std::vector<std::string> items = ParseSettingsItems(ReadWholeFile(kSettingsFileName));
    for (const std::string& item : items) applyPicture(item);
}

}  // namespace UserSettings
