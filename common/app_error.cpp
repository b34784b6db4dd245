#include "app_error.h"

#include <cerrno>
#include <cstring>

AppError::AppError(int number, QString description)
    : number_(number), description_(std::move(description)), what_(description_.toStdString()) {}

QString StandardDescription(int number) {
    switch (number) {
    case ErrNo::InvalidArgument: return QStringLiteral("Invalid procedure call or argument");
    case ErrNo::BadFileName: return QStringLiteral("Bad file name or number");
    case ErrNo::FileNotFound: return QStringLiteral("File not found");
    case ErrNo::DeviceIoError: return QStringLiteral("Device I/O error");
    case ErrNo::DiskFull: return QStringLiteral("Disk full");
    case ErrNo::InputPastEnd: return QStringLiteral("Input past end of file");
    case ErrNo::PermissionDenied: return QStringLiteral("Permission denied");
    case ErrNo::PathFileAccess: return QStringLiteral("Path/File access error");
    case ErrNo::PathNotFound: return QStringLiteral("Path not found");
    case ErrNo::InvalidPicture: return QStringLiteral("Invalid picture");
    case ErrNo::InvalidPropertyValue: return QStringLiteral("Invalid property value");
    case ErrNo::NotMpegAudio: return QStringLiteral("The file is not an MPEG audio file");
    case ErrNo::NoSoundDevice: return QStringLiteral("No sound device is available");
    case ErrNo::DecoderFailure: return QStringLiteral("The file cannot be decoded");
    default: return QStringLiteral("Application-defined or object-defined error");
    }
}

AppError MakeError(int number) { return AppError(number, StandardDescription(number)); }

AppError ErrorFromErrno(int e) {
    switch (e) {
    case ENOENT: return MakeError(ErrNo::FileNotFound);
    case ENOTDIR: return MakeError(ErrNo::PathNotFound);
    case EACCES:
    case EPERM:
    case ETXTBSY: return MakeError(ErrNo::PermissionDenied);
    // Not a matter of permissions: no one may write there.
    case EROFS: return AppError(ErrNo::PermissionDenied, QStringLiteral("Read-only file system"));
    case ENOSPC:
    case EDQUOT: return MakeError(ErrNo::DiskFull);
    case EIO: return MakeError(ErrNo::DeviceIoError);
    case ENAMETOOLONG: return MakeError(ErrNo::BadFileName);
    default: return AppError(ErrNo::PathFileAccess,
                             StandardDescription(ErrNo::PathFileAccess) + QStringLiteral(" (") +
                                 QString::fromLocal8Bit(std::strerror(e)) + QStringLiteral(")"));
    }
}
