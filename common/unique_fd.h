#pragma once
// A file descriptor that is closed when it goes, and the one way the program
// opens a file a user named for reading.
#include <sys/stat.h>
#include <string>

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd();
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Hands the descriptor (and the duty to close it) back.
    int release();
    // Closes now; the result of close(2), 0 when there was nothing to close.
    int close();

private:
    int fd_ = -1;
};

// Opens `path` read-only and takes its status into `st`. The open never
// waits: a named pipe or a device is opened without blocking, so the caller
// can refuse what is not a regular file (S_ISREG(st.st_mode)) before reading.
// Throws AppError when the path cannot be opened or its status read.
UniqueFd OpenForReading(const std::string& path, struct stat& st);

// Takes the status of the open `fd` into `st` and refuses what is not a
// regular file: a folder throws "Path/File access error (Is a directory)"
// when `sayFolder`, anything else that is not a regular file (and a folder
// otherwise) the error numbered `notRegular`.
void RequireRegularFile(int fd, struct stat& st, int notRegular, bool sayFolder = false);
// OpenForReading, then RequireRegularFile: the one way a file the user named
// is opened to be read.
UniqueFd OpenRegularFile(const std::string& path, struct stat& st, int notRegular, bool sayFolder = false);
