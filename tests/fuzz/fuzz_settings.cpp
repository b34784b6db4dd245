// Fuzzes the settings item reader: every item is free of line ends, and a
// path saved on one line reads back as exactly that one item.
#include "settings/user_settings.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    for (const auto& item : UserSettings::ParseSettingsItems(bytes))
        if (item.find('\r') != std::string::npos || item.find('\n') != std::string::npos) __builtin_trap();
    std::string line = bytes.substr(0, bytes.find_first_of("\r\n"));
    if (!line.empty() && line[0] != ' ' && line[0] != '\t' && line[0] != '"') {
        auto back = UserSettings::ParseSettingsItems(line + "\r\n");
        if (back.size() != 1 || back[0] != line) __builtin_trap();
    }
    return 0;
}
