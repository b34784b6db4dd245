// The worker and its device: the first open, the lead of silence a fresh
// stream begins with, and what happens when the device fails (it went away,
// or stopped taking sound), or must be opened again for another format.
#include "engine/engine_worker.h"

#include "common/app_error.h"

#include <algorithm>

namespace {
using Clock = std::chrono::steady_clock;
constexpr int kLeadInMs = 50;
// A failed device is tried this often; a restarted sound server is back
// within about a second.
constexpr auto kRetryEvery = std::chrono::milliseconds(250);
// A device that takes nothing for this long, though it holds at most a
// second, has stopped playing: a sound server that hangs.
constexpr auto kStarvedFor = std::chrono::milliseconds(3000);
// A first open cut short by a request (a pause, a seek) is tried again.
constexpr int kOpenTries = 3;
}  // namespace

std::string PlaybackEngine::Session::Worker::WithReason(std::string what, const char* reason) {
    if (reason && *reason) what += std::string(" (") + reason + ")";
    return what;
}

// The first open, here on the worker: a sound server that does not answer
// holds up nobody else. One that cannot be opened ends the track as a lost
// device, told where it was to start.
bool PlaybackEngine::Session::Worker::openDevice() {
    std::string reason;
    if (openTried(reason)) return true;
    if (stopped_) return false;
    endWith(TrackEnd::Cause::DeviceFailed, reason);
    end_.resumeAt = track_->startAt;
    return false;
}

// An open cut short by a request (a pause, a seek: each interrupts the
// device) is tried again. False when it failed (`reason` tells why) or a stop
// came (stopped_).
bool PlaybackEngine::Session::Worker::openTried(std::string& reason) {
    uint64_t seen = 0;  // requests, since the session began, that may have cut an open short
    for (int tries = 0; tries < kOpenTries; ++tries) {
        {
            MutexLock lock(s_.mutex);
            if (s_.cancel) {
                stopped_ = true;
                return false;
            }
        }
        try {
            s_.output->open(rate_, channels_);
            return true;
        } catch (const std::exception& e) {
            reason = e.what();
        }
        MutexLock lock(s_.mutex);
        if (s_.requests == seen) break;  // not cut short by a request: it failed
        seen = s_.requests;
    }
    MutexLock lock(s_.mutex);
    stopped_ = s_.cancel;
    return false;
}

// A fresh stream may lose its first few milliseconds at the sound server:
// let it lose silence, written in front of the track.
void PlaybackEngine::Session::Worker::leadIn() {
    const long n = writeSilence(kLeadInMs);
    if (n > 0) playhead_.lead(n);
}

// Through the equalizer: what it rings on with is heard, and what comes
// next follows it.
long PlaybackEngine::Session::Worker::writeSilence(int ms) {
    std::vector<int16_t> silence(static_cast<size_t>(rate_ / 1000 * ms * channels_), 0);
    const long frames = static_cast<long>(silence.size() / static_cast<size_t>(channels_));
    eq_.process(silence.data(), static_cast<size_t>(frames));
    const long n = s_.output->write(silence.data(), frames);
    if (n >= 0 && n < frames) eq_.rewind(frames - n);
    return n;
}

bool PlaybackEngine::Session::Worker::starved() {
    const auto now = Clock::now();
    if (!starvedSince_) starvedSince_ = now;
    return now - *starvedSince_ >= kStarvedFor;
}

// The device failed (the sound server went away or hangs): what it took and
// had not played is lost with it, so the track goes back to the point last
// heard and the device is opened again every kRetryEvery. Once it opens, the
// track goes on from there; a request of the engine's thread meanwhile is
// taken by the next step (a write to the closed device then starts the
// retries again). False when the device stayed away for the retry time: the
// track ends, telling where it was.
bool PlaybackEngine::Session::Worker::recoverDevice(const char* reason) {
    const double at = playhead_.placeOf(track_->id);
    s_.output->close();
    held_ = false;
    phase_ = restartAt(at);
    // A device that opens but fails again at once is tried at the same pace,
    // within the same time.
    bool wait = recovering_;
    if (!recovering_) {
        recovering_ = true;
        retryUntil_ = Clock::now() + s_.deviceRetry;
    }
    std::string why = reason;
    for (;; wait = true) {
        if (wait) {
            MutexLock lock(s_.mutex);
            const auto now = Clock::now();
            if (now >= retryUntil_) break;
            if (!s_.asked()) lock.waitUntil(s_.wake, std::min(retryUntil_, now + kRetryEvery));
            if (s_.asked()) {
                recovering_ = false;  // the user's request starts the retries afresh
                return true;
            }
        }
        try {
            s_.output->open(rate_, channels_);
            leadIn();
            return true;
        } catch (const std::exception& e) {
            why = e.what();
        }
    }
    endWith(TrackEnd::Cause::DeviceFailed, why);
    end_.resumeAt = at;
    return false;
}

// Lets the old format play out, then reopens the device for the new one.
// False when it cannot be opened: the track ends there.
bool PlaybackEngine::Session::Worker::reopenForNewFormat() {
    if (waitForTail()) return true;  // the next step sees the stop
    const Playhead::Piece& piece = playhead_.current();
    const double base = piece.base + static_cast<double>(piece.written) / rate_;
    rate_ = track_->decoder->rate();
    channels_ = track_->decoder->channels();
    {
        MutexLock lock(s_.mutex);
        s_.rate = rate_;
        s_.channels = channels_;
    }
    buffer_.assign(chunkFrames() * static_cast<size_t>(channels_), 0);
    eq_.setFormat(rate_, channels_);
    playhead_.restart(Clock::now(), {track_->id, base, 0, track_->length, -1}, rate_);
    std::string reason;
    if (openTried(reason) || stopped_) return true;  // a stop is seen by the next step
    endWith(TrackEnd::Cause::DeviceFailed,
            WithReason("the sound device could not be opened for a new format", reason.c_str()));
    end_.resumeAt = base;
    return false;
}

// Another output: what plays goes there, moved without a break where the
// device can, else opened there again where the track was heard (a tail
// plays out where it is; what follows it goes there). False when it cannot
// be opened again for good.
bool PlaybackEngine::Session::Worker::changeOutput(const std::string& name) {
    if (s_.output->setDevice(name) || phase_ == Phase::Draining) return true;
    const bool wasHeld = held_;
    const double at = held_ ? heardOf(track_->id) : playhead_.placeOf(track_->id);
    s_.output->close();
    held_ = false;
    phase_ = restartAt(at);
    try {
        s_.output->open(rate_, channels_);
        leadIn();
    } catch (const std::exception& e) {
        return recoverDevice(e.what());
    }
    if (wasHeld) held_ = s_.output->hold(true);
    return true;
}
