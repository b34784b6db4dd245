#pragma once
// A wake-up one thread sends to another that sleeps in poll(2) on a device's
// descriptors: an eventfd, set by signal() from any thread and emptied by
// take() on the sleeping one. Both sound outputs sleep on it beside their
// device, so that a request of the engine's thread ends the sleep at once.
class WakeUp {
public:
    WakeUp();
    ~WakeUp();
    WakeUp(const WakeUp&) = delete;
    WakeUp& operator=(const WakeUp&) = delete;

    // The descriptor to poll for POLLIN; -1 when none could be made (a
    // sleep then ends only by its timeout, which callers keep short).
    int fd() const { return fd_; }
    // Thread-safe; a signal with nobody asleep ends the next sleep.
    void signal();
    // Empties it: true when it had been signalled.
    bool take();

private:
    int fd_;
};
