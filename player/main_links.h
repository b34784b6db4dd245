#pragma once
// Temporary adapter to the tag subsystem.
#include <QString>
#include <cstdint>
#include <string>
QString LinkCaptionForFile(int16_t index, const std::string& path);
