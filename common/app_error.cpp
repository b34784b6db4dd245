#include "common/app_error.h"

#include <cerrno>
#include <cstring>

std::string StandardDescription(int number) {
    switch (number) {
    case ErrNo::InvalidArgument: return "Invalid procedure call or argument";
    case ErrNo::BadFileName: return "Bad file name or number";
    case ErrNo::FileNotFound: return "File not found";
    case ErrNo::DeviceIoError: return "Device I/O error";
    case ErrNo::DiskFull: return "Disk full";
    case ErrNo::InputPastEnd: return "Input past end of file";
    case ErrNo::PermissionDenied: return "Permission denied";
    case ErrNo::PathFileAccess: return "Path/File access error";
    case ErrNo::PathNotFound: return "Path not found";
    case ErrNo::InvalidPicture: return "Invalid picture";
    case ErrNo::InvalidPropertyValue: return "Invalid property value";
    case ErrNo::NotMpegAudio: return "The file is not an MPEG audio file";
    case ErrNo::NoSoundDevice: return "No sound device is available";
    case ErrNo::DecoderFailure: return "The file cannot be decoded";
    default: return "Application-defined or object-defined error";
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
    case EROFS: return AppError(ErrNo::PermissionDenied, "Read-only file system");
    case ENOSPC:
    case EDQUOT: return MakeError(ErrNo::DiskFull);
    case EIO: return MakeError(ErrNo::DeviceIoError);
    case ENAMETOOLONG: return MakeError(ErrNo::BadFileName);
    default:
        return AppError(ErrNo::PathFileAccess,
                        StandardDescription(ErrNo::PathFileAccess) + " (" + std::strerror(e) + ")");
    }
}
