#include "main_links.h"
QString LinkCaptionForFile(int16_t, const std::string&) { return QString(); }
void LinkLoadSettings(const std::function<void(const std::string&)>&) {}
void LinkSaveSettings(const std::string&) {}
bool LinkSetMasterVolume(int32_t) { return false; }
