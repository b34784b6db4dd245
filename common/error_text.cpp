#include "common/error_text.h"

#include "common/app_error.h"

#include <QCoreApplication>

namespace {
// The standard descriptions of the error numbers, and the details the
// program adds to them in parentheses: shown in the user's language.
const char* const kDescriptions[] = {
    QT_TRANSLATE_NOOP("AppError", "Invalid procedure call or argument"),
    QT_TRANSLATE_NOOP("AppError", "Bad file name or number"),
    QT_TRANSLATE_NOOP("AppError", "File not found"),
    QT_TRANSLATE_NOOP("AppError", "Device I/O error"),
    QT_TRANSLATE_NOOP("AppError", "Disk full"),
    QT_TRANSLATE_NOOP("AppError", "Input past end of file"),
    QT_TRANSLATE_NOOP("AppError", "Permission denied"),
    QT_TRANSLATE_NOOP("AppError", "Path/File access error"),
    QT_TRANSLATE_NOOP("AppError", "Path not found"),
    QT_TRANSLATE_NOOP("AppError", "Invalid picture"),
    QT_TRANSLATE_NOOP("AppError", "Invalid property value"),
    QT_TRANSLATE_NOOP("AppError", "The file is not an MPEG audio file"),
    QT_TRANSLATE_NOOP("AppError", "No sound device is available"),
    QT_TRANSLATE_NOOP("AppError", "The file cannot be decoded"),
    QT_TRANSLATE_NOOP("AppError", "Application-defined or object-defined error"),
};
const char* const kDetails[] = {
    QT_TRANSLATE_NOOP("AppError", "the file did not answer"),
    QT_TRANSLATE_NOOP("AppError", "the folder did not answer"),
    QT_TRANSLATE_NOOP("AppError", "the sound server did not answer"),
};
}  // namespace

QString TranslatedDescription(QString description) {
    for (const char* standard : kDescriptions) {
        const QString english = QString::fromLatin1(standard);
        if (description.startsWith(english)) {
            description.replace(0, english.size(), QCoreApplication::translate("AppError", standard));
            break;
        }
    }
    for (const char* detail : kDetails) {
        const QString english = QStringLiteral("(%1)").arg(QString::fromLatin1(detail));
        description.replace(english, QStringLiteral("(%1)").arg(QCoreApplication::translate("AppError", detail)));
    }
    return description;
}

QString ErrorText(const std::exception& e) {
    // Our descriptions are UTF-8; the library's texts follow the locale.
    if (const auto* error = dynamic_cast<const AppError*>(&e))
        return TranslatedDescription(QString::fromStdString(error->description()));
    return QString::fromLocal8Bit(e.what());
}
