#include "common/unique_fd.h"

#include "common/app_error.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>

UniqueFd::~UniqueFd() { close(); }

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = other.release();
    }
    return *this;
}

int UniqueFd::release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

int UniqueFd::close() {
    if (fd_ < 0) return 0;
    return ::close(release());
}

UniqueFd OpenForReading(const std::string& path, struct stat& st) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid()) throw ErrorFromErrno(errno);
    if (::fstat(fd.get(), &st) != 0) throw ErrorFromErrno(errno);
    return fd;
}

void RequireRegularFile(int fd, struct stat& st, int notRegular, bool sayFolder) {
    if (::fstat(fd, &st) != 0) throw ErrorFromErrno(errno);
    if (S_ISREG(st.st_mode)) return;
    if (sayFolder && S_ISDIR(st.st_mode)) throw ErrorFromErrno(EISDIR);
    throw MakeError(notRegular);
}

UniqueFd OpenRegularFile(const std::string& path, struct stat& st, int notRegular, bool sayFolder) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid()) throw ErrorFromErrno(errno);
    RequireRegularFile(fd.get(), st, notRegular, sayFolder);
    return fd;
}
