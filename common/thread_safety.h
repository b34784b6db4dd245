#pragma once
// A mutex the compiler checks: state shared between threads is marked
// GUARDED_BY its mutex, and functions that expect it held REQUIRES it. Under
// clang with -Wthread-safety (the test command's clang builds make its
// warnings errors) a read or write of guarded state without the lock fails to
// build; other compilers see plain std::mutex code.
#include <chrono>
#include <condition_variable>
#include <mutex>

#if defined(__clang__)
#define CORVALLE_THREAD_ATTR(x) __attribute__((x))
#else
#define CORVALLE_THREAD_ATTR(x)
#endif

#define CAPABILITY(x) CORVALLE_THREAD_ATTR(capability(x))
#define SCOPED_CAPABILITY CORVALLE_THREAD_ATTR(scoped_lockable)
#define GUARDED_BY(x) CORVALLE_THREAD_ATTR(guarded_by(x))
#define PT_GUARDED_BY(x) CORVALLE_THREAD_ATTR(pt_guarded_by(x))
#define REQUIRES(...) CORVALLE_THREAD_ATTR(requires_capability(__VA_ARGS__))
#define EXCLUDES(...) CORVALLE_THREAD_ATTR(locks_excluded(__VA_ARGS__))
#define ACQUIRE(...) CORVALLE_THREAD_ATTR(acquire_capability(__VA_ARGS__))
#define RELEASE(...) CORVALLE_THREAD_ATTR(release_capability(__VA_ARGS__))

class CAPABILITY("mutex") Mutex {
public:
    void lock() ACQUIRE() { m_.lock(); }
    void unlock() RELEASE() { m_.unlock(); }

private:
    friend class MutexLock;
    std::mutex m_;
};

// Holds a Mutex for its scope; waits on a condition variable with it.
// Conditions are tested by the caller in a loop around wait (the analysis
// cannot see into a predicate's lambda).
class SCOPED_CAPABILITY MutexLock {
public:
    explicit MutexLock(Mutex& m) ACQUIRE(m) : lock_(m.m_) {}
    ~MutexLock() RELEASE() {}
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

    void wait(std::condition_variable& cv) { cv.wait(lock_); }
    // False once `deadline` has passed.
    template <typename Clock, typename Duration>
    bool waitUntil(std::condition_variable& cv, const std::chrono::time_point<Clock, Duration>& deadline) {
        return cv.wait_until(lock_, deadline) == std::cv_status::no_timeout;
    }

private:
    std::unique_lock<std::mutex> lock_;
};
