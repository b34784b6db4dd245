#pragma once
// The text of a caught failure, for a message box or the log.
#include <QString>
#include <exception>

// An error value's description, or what any other exception says.
QString ErrorText(const std::exception& e);
