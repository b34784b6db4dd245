#pragma once
// Reads the window needs (a tag, the first frame of a file, a picture) may
// hang on the file system: a network share that stopped answering, a FIFO
// without a writer. RunWithin runs such work on a thread of its own and waits
// for it until a deadline; past it the caller goes on without the result, and
// the thread, left to itself, ends whenever its call returns, its late answer
// dropped. A stuck read cannot be cancelled (on a hard NFS mount it ignores
// even SIGTERM), so nothing ever waits for it again.
#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

// How long a read the window needs may take before the file counts as one
// that cannot be opened.
constexpr std::chrono::milliseconds kFileDeadline{500};

// The result of `work`, or nothing when it took longer than `limit`. What it
// throws within the limit is thrown here.
template <typename T>
std::optional<T> RunWithin(std::chrono::milliseconds limit, std::function<T()> work) {
    struct Outcome {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        std::optional<T> value;
        std::exception_ptr error;
    };
    auto outcome = std::make_shared<Outcome>();
    std::thread([outcome, work = std::move(work)] {
        std::optional<T> value;
        std::exception_ptr error;
        try {
            value.emplace(work());
        } catch (...) {
            error = std::current_exception();
        }
        std::lock_guard<std::mutex> lock(outcome->mutex);
        outcome->value = std::move(value);
        outcome->error = error;
        outcome->finished = true;
        outcome->done.notify_all();
    }).detach();
    std::unique_lock<std::mutex> lock(outcome->mutex);
    if (!outcome->done.wait_for(lock, limit, [&] { return outcome->finished; })) return std::nullopt;
    if (outcome->error) std::rethrow_exception(outcome->error);
    return std::move(outcome->value);
}
