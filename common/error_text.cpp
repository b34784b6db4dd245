#include "common/error_text.h"

#include "common/app_error.h"

QString ErrorText(const std::exception& e) {
    // Our descriptions are UTF-8; the library's texts follow the locale.
    if (const auto* error = dynamic_cast<const AppError*>(&e)) return QString::fromStdString(error->description());
    return QString::fromLocal8Bit(e.what());
}
