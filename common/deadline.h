#pragma once
// Work that may hang on the file system (a network share that stopped
// answering, a FIFO without a writer) runs on a thread of its own that the
// caller waits for only until a deadline. Past it the caller goes on and the
// thread, left to itself, ends whenever its call returns. A stuck read cannot
// be cancelled (on a hard NFS mount it ignores even SIGTERM), so nothing ever
// waits for it again; what such work touches it must keep alive itself
// (shared_ptr captures), never the caller's members.
//
// BoundedThread is that thread; RunWithin runs one call on it and hands its
// result back within the deadline. The engine, the windows and the folder
// search all use these two.
#include "common/thread_safety.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

// How long a read the window needs may take before the file counts as one
// that cannot be opened.
constexpr std::chrono::milliseconds kFileDeadline{500};

// A thread that is joined when it ends within a limit, else left to end by
// itself. Not joined by then, it is detached when the object goes.
class BoundedThread {
public:
    // Starts `work`. Throws std::system_error when no thread can be started.
    template <typename F>
    explicit BoundedThread(F work) : done_(std::make_shared<Done>()) {
        thread_ = std::thread([done = done_, work = std::move(work)]() mutable {
            work();
            MutexLock lock(done->mutex);
            done->ended = true;
            done->wake.notify_all();
        });
    }
    ~BoundedThread() { joinWithin(std::chrono::milliseconds(0)); }
    BoundedThread(const BoundedThread&) = delete;
    BoundedThread& operator=(const BoundedThread&) = delete;

    // True when the work has returned and the thread was joined; false when
    // it was still running at the limit: it is left to itself then, and
    // never waited for again.
    bool joinWithin(std::chrono::milliseconds limit) {
        if (!thread_.joinable()) return !left_;
        if (!waitEnded(std::chrono::steady_clock::now() + limit)) {
            thread_.detach();
            left_ = true;
            return false;
        }
        thread_.join();
        return true;
    }
    // The work has returned (the thread may still be on its way out).
    bool ended() const {
        MutexLock lock(done_->mutex);
        return done_->ended;
    }

private:
    struct Done {
        Mutex mutex;
        std::condition_variable wake;
        bool ended GUARDED_BY(mutex) = false;
    };
    bool waitEnded(std::chrono::steady_clock::time_point deadline) const {
        MutexLock lock(done_->mutex);
        while (!done_->ended)
            if (!lock.waitUntil(done_->wake, deadline)) return done_->ended;
        return true;
    }
    std::shared_ptr<Done> done_;
    std::thread thread_;
    bool left_ = false;  // detached while still running
};

// The result of `work`, or nothing when it took longer than `limit`. What it
// throws within the limit is thrown here.
template <typename T>
std::optional<T> RunWithin(std::chrono::milliseconds limit, std::function<T()> work) {
    struct Outcome {
        Mutex mutex;
        std::optional<T> value GUARDED_BY(mutex);
        std::exception_ptr error GUARDED_BY(mutex);
    };
    auto outcome = std::make_shared<Outcome>();
    BoundedThread thread([outcome, work = std::move(work)] {
        std::optional<T> value;
        std::exception_ptr error;
        try {
            value.emplace(work());
        } catch (...) {
            error = std::current_exception();
        }
        MutexLock lock(outcome->mutex);
        outcome->value = std::move(value);
        outcome->error = error;
    });
    if (!thread.joinWithin(limit)) return std::nullopt;
    MutexLock lock(outcome->mutex);
    if (outcome->error) std::rethrow_exception(outcome->error);
    return std::move(outcome->value);
}
