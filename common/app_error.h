#pragma once
// Failures carry a number and a one-line description, like the error values
// the handlers of the windows catch and report. No Qt here: the sound engine
// raises them too. The description is UTF-8 text.
#include <exception>
#include <string>

namespace ErrNo {
constexpr int InvalidArgument = 5;         // "Invalid procedure call or argument"
constexpr int BadFileName = 52;            // "Bad file name or number"
constexpr int FileNotFound = 53;           // "File not found"
constexpr int DeviceIoError = 57;          // "Device I/O error"
constexpr int DiskFull = 61;               // "Disk full"
constexpr int InputPastEnd = 62;           // "Input past end of file"
constexpr int PermissionDenied = 70;       // "Permission denied"
constexpr int PathFileAccess = 75;         // "Path/File access error"
constexpr int PathNotFound = 76;           // "Path not found"
constexpr int InvalidPicture = 481;        // "Invalid picture"
constexpr int InvalidPropertyValue = 380;  // "Invalid property value"
constexpr int NotMpegAudio = 32001;        // the media player's own numbers
constexpr int NoSoundDevice = 32002;
constexpr int DecoderFailure = 32003;
}  // namespace ErrNo

class AppError : public std::exception {
public:
    AppError(int number, std::string description) : number_(number), description_(std::move(description)) {}
    int number() const noexcept { return number_; }
    const std::string& description() const noexcept { return description_; }
    const char* what() const noexcept override { return description_.c_str(); }

private:
    int number_;
    std::string description_;
};

// The standard description of an error number ("File not found" for 53 ...).
std::string StandardDescription(int number);
// An error with the standard description of its number.
AppError MakeError(int number);
// Maps an errno value from a failed file operation to an error value.
AppError ErrorFromErrno(int errnoValue);
