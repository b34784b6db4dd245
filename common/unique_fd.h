#pragma once
// A file descriptor that is closed when it goes, and the one way the program
// opens a file a user named for reading.
#include <string>
#include <sys/stat.h>

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
