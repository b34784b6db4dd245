#include "settings/user_settings.h"

#include "common/app_error.h"
#include "common/file_util.h"

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

bool FileExists(const std::string& name) { return IsRegularFile(name); }

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
