#include "main_links.h"
QString LinkCaptionForFile(int16_t, const std::string&) { return QString(); }
