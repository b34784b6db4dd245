#include "engine/wake_up.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

WakeUp::WakeUp() : fd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

WakeUp::~WakeUp() {
    if (fd_ >= 0) ::close(fd_);
}

void WakeUp::signal() {
    if (fd_ < 0) return;
    const uint64_t one = 1;
    while (::write(fd_, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

bool WakeUp::take() {
    if (fd_ < 0) return false;
    uint64_t value = 0;  // the counter is read whole, however often it was set
    ssize_t n;
    while ((n = ::read(fd_, &value, sizeof value)) < 0 && errno == EINTR) {
    }
    return n == static_cast<ssize_t>(sizeof value) && value > 0;
}
