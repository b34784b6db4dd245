#pragma once
// An AudioOutput double. It "plays" in real time (or instantly) without a
// device, records what it was given in a Stats block the test keeps after the
// engine has destroyed the output, holds and takes back as a sound server
// does, and can be told to fail.
#include "common/app_error.h"
#include "engine/audio_output.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

struct FakeOutputStats {
    std::mutex mutex;
    std::vector<std::pair<int, int>> opens;  // (rate, channels) of each open
    std::atomic<long long> frames{0};        // frames accepted in all, less those taken back
    std::atomic<long long> takenBack{0};
    std::atomic<int> openCount{0};  // devices open now
    std::atomic<int> destroyed{0};
    std::atomic<int> waitsInterrupted{0};  // waits ended by interrupt()
    std::atomic<int> waitsTimedOut{0};     // waits that ran to their limit (blockingWait)
    // The device is gone (a sound server that died): writes fail and opens
    // throw until it is back.
    std::atomic<bool> gone{false};
};

class FakeOutput final : public AudioOutput {
public:
    struct Options {
        bool realTime = true;
        bool failOpen = false;
        long long failAfterFrames = -1;  // write fails from then on
        // A wait lasts its whole timeout unless interrupt() ends it, whether
        // or not room has come meanwhile.
        bool blockingWait = false;
        int failOpenAfter = -1;  // opens fail once this many have succeeded
        bool canHold = true;     // false: as ALSA, a pause drops what is held
    };
    FakeOutput(std::shared_ptr<FakeOutputStats> stats, Options options) : stats_(std::move(stats)), options_(options) {}
    ~FakeOutput() override {
        close();
        stats_->destroyed++;
    }

    void open(int rate, int channels) override {
        close();
        if (options_.failOpen || stats_->gone) throw MakeError(ErrNo::NoSoundDevice);
        {
            std::lock_guard<std::mutex> lock(stats_->mutex);
            if (options_.failOpenAfter >= 0 && stats_->opens.size() >= static_cast<size_t>(options_.failOpenAfter))
                throw MakeError(ErrNo::NoSoundDevice);
            stats_->opens.emplace_back(rate, channels);
        }
        rate_ = rate;
        open_ = true;
        stats_->openCount++;
        restart();
    }
    long write(const int16_t*, long frames) override {
        if (!open_ || stats_->gone) return -1;
        if (options_.failAfterFrames >= 0 && stats_->frames >= options_.failAfterFrames) return -1;
        long room = options_.realTime ? capacity() - queued() : frames;
        long n = std::max(0L, std::min(room, frames));
        written_ += n;
        stats_->frames += n;
        return n;
    }
    void waitWritable(int timeoutMs) override {
        if (options_.blockingWait) {
            std::unique_lock<std::mutex> lock(wakeMutex_);
            if (wake_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return interrupted_; }))
                stats_->waitsInterrupted++;
            else
                stats_->waitsTimedOut++;
            interrupted_ = false;
            return;
        }
        if (options_.realTime) std::this_thread::sleep_for(std::chrono::milliseconds(std::min(timeoutMs, 10)));
    }
    void interrupt() override {
        std::lock_guard<std::mutex> lock(wakeMutex_);
        interrupted_ = true;
        wake_.notify_all();
    }
    std::optional<long> delay() override { return queued(); }
    bool started() override { return !held_; }
    void startQueued() override {}
    // What plays within 50 ms stays.
    long takeBack(long frames) override {
        const long n = std::max(0L, std::min(frames, queued() - rate_ / 20));
        written_ -= n;
        stats_->frames -= n;
        stats_->takenBack += n;
        return n;
    }
    bool hold(bool on) override {
        if (!options_.canHold) return false;
        if (on && !held_) playedBefore_ = consumed();
        if (!on && held_) start_ = std::chrono::steady_clock::now();
        held_ = on;
        return true;
    }
    void drop() override { restart(); }
    void close() override {
        if (open_) stats_->openCount--;
        open_ = false;
    }

private:
    long capacity() const { return rate_ / 5; }
    long long consumed() const {
        if (!options_.realTime) return written_;
        auto us =
            std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start_).count();
        return std::min<long long>(written_, playedBefore_ + (held_ ? 0 : us * rate_ / 1000000));
    }
    long queued() const { return static_cast<long>(written_ - consumed()); }
    void restart() {
        // Frames queued so far are discarded: the clock restarts at `written_`.
        start_ = std::chrono::steady_clock::now();
        written_ = 0;
        playedBefore_ = 0;
    }

    std::shared_ptr<FakeOutputStats> stats_;
    Options options_;
    int rate_ = 44100;
    bool open_ = false;
    long long written_ = 0;
    long long playedBefore_ = 0;  // played before the last hold ended
    bool held_ = false;
    std::mutex wakeMutex_;
    std::condition_variable wake_;
    bool interrupted_ = false;  // guarded by wakeMutex_
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};
