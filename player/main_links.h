#pragma once
// Temporary adapters to the other subsystems.
#include <QString>
#include <cstdint>
#include <functional>
#include <string>
QString LinkCaptionForFile(int16_t index, const std::string& path);
void LinkLoadSettings(const std::function<void(const std::string&)>& apply);
void LinkSaveSettings(const std::string& path);
bool LinkSetMasterVolume(int32_t volume);
