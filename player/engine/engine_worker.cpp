// The worker loop. When a track's last frame is queued and no more than
// kEndLead of it is left to hear, its end is reported while that tail still
// plays: the UI thread's play-on then hands the next track to this worker,
// which writes it behind the tail into the same open device, so consecutive
// files join without a gap. Only when no next track comes does the worker
// close the device, and not before the tail has been heard. A file that
// cannot be read further ends the same way, after what was decoded of it; a
// device that fails, or stops taking sound (a sound server that hangs), is
// opened again for a while (see recoverDevice). Each is told as the cause of
// the end.
//
// A stopped worker is not joined by the UI thread: the request interrupts
// the worker's wait for room in the output (or its open), so it notices at
// once, releases its device and exits. The next worker waits for it before
// it starts, and the destructor for the newest one. A worker stuck in a read
// of its file (a share that stopped answering) cannot notice: it is waited
// for a moment only and then left to end by itself, so that the next file
// plays at once.
#include "engine/engine_worker.h"

#include "common/app_error.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace {
using Clock = std::chrono::steady_clock;
constexpr auto kWait = std::chrono::milliseconds(20);
// Room in the output is waited for until the device has played a period or a
// request interrupts the wait; the limit only bounds a device that never
// signals.
constexpr int kWriteWaitMs = 500;
constexpr int kUntoldWaitMs = 50;
// Kept open a little longer than the device says it needs to play the tail.
constexpr auto kTailMargin = std::chrono::milliseconds(50);
// How long before a track's last frame is heard its end is told: time for the
// UI thread to choose and open the next file before the tail runs out.
constexpr auto kEndLead = std::chrono::milliseconds(500);
// PipeWire's pulse server plays a stream in whole quanta and holds back what
// is left of the last one until more comes: a stream that runs dry loses up
// to a quantum of its end (about 43 ms at the usual largest, 2048 frames at
// 48 kHz), or has it heard late when more comes after all. This much
// silence, written behind the tail while it still plays, carries it out,
// heard as nothing. A next track handed over later than kTrailingSilenceLead
// before the tail runs out follows that silence.
constexpr int kTrailingSilenceMs = 50;
constexpr auto kTrailingSilenceLead = std::chrono::milliseconds(150);

std::chrono::microseconds SecondsToClock(double seconds) {
    return std::chrono::microseconds(static_cast<int64_t>(std::max(0.0, seconds) * 1e6));
}
}  // namespace

void PlaybackEngine::Session::run(std::unique_ptr<Track> track) { Worker(*this, std::move(track)).run(); }

PlaybackEngine::Session::Worker::Worker(Session& session, std::unique_ptr<Track> track)
    : s_(session), track_(std::move(track)), playhead_(track_->decoder->rate()) {
    rate_ = track_->decoder->rate();
    channels_ = track_->decoder->channels();
}

void PlaybackEngine::Session::Worker::run() {
    try {
        if (openDevice()) {
            start();
            while (step()) {
            }
        }
    } catch (const std::exception& e) {
        // Out of memory or a device double that throws: the track ends here.
        endOnException(e.what());
    } catch (...) {
        endOnException(nullptr);
    }
    finish();
}

void PlaybackEngine::Session::Worker::start() {
    buffer_.resize(chunkFrames() * static_cast<size_t>(channels_));
    eq_.setFormat(rate_, channels_);
    playhead_.restart(Clock::now(), {track_->id, 0, 0, track_->length, 0}, rate_);
    if (track_->startAt > 0) phase_ = restartAt(track_->startAt);
    leadIn();
}

bool PlaybackEngine::Session::Worker::step() {
    Requests asked = takeRequests();
    if (asked.stop) {
        stopped_ = true;
        return false;
    }
    if (held_ && asked.pause == Pause::Off) release();
    const bool handed = asked.next != nullptr;
    if (handed) handOver(std::move(asked.next));
    // What a seek drops is not taken back first.
    retune(asked, !handed && asked.seekTo < 0);
    if (asked.device && !changeOutput(*asked.device)) return false;
    if (asked.fadeOut >= 0) fadeAsked_ = asked.fadeOut;
    if (fadeAsked_ >= 0 && phase_ == Phase::Writing) startFade(std::exchange(fadeAsked_, -1));
    if (handed) return true;
    if (phase_ == Phase::Draining) return drainTail();
    if (asked.pause != Pause::Off) return hold(asked);
    if (asked.seekTo >= 0) {
        stopFade();  // a seek ends a fade
        phase_ = restartAt(asked.seekTo);
    }
    if (fadeHeard()) return true;
    if (phase_ == Phase::LastQueued) {
        tellEndWhenDue();
        return true;
    }
    return writeChunk();
}

PlaybackEngine::Session::Worker::Requests PlaybackEngine::Session::Worker::takeRequests() {
    Requests asked;
    MutexLock lock(s_.mutex);
    // Held: nothing to do until the pause ends, a seek comes or a stop.
    while (s_.pause == Pause::Held && !s_.cancel && s_.seekTo < 0) lock.wait(s_.wake);
    asked.levelling = std::move(s_.levelling);
    s_.levelling.reset();
    asked.equalizer = std::move(s_.equalizer);
    s_.equalizer.reset();
    asked.device = std::move(s_.device);
    s_.device.reset();
    asked.fadeOut = std::exchange(s_.fadeOut, -1);
    if (s_.cancel) {
        s_.accepting = false;
        asked.stop = true;
    } else if (phase_ == Phase::Draining) {
        // A pause or seek that came with a next track is the new track's.
        // Without one, the end is told and the UI thread has moved on: a
        // pause or seek that reaches the tail late is not the tail's.
        if (s_.next) {
            asked.next = std::move(s_.next);
            s_.accepting = false;
        } else {
            s_.seekTo = -1;
        }
    } else {
        asked.pause = s_.pause;
        asked.seekTo = s_.seekTo;
        s_.seekTo = -1;
    }
    return asked;
}

// A pause holds what the device has, unheard, where it can (it goes on from
// there on release); else it keeps what was heard and drops the rest. A seek
// asked with it or during it moves the place instead. Then the worker waits
// for it to end (takeRequests). Told as the position coming to rest.
bool PlaybackEngine::Session::Worker::hold(const Requests& asked) {
    const bool faded = fadeFrames_ > 0;  // what the device holds is faded: not kept for the resume
    stopFade();
    if (asked.seekTo >= 0) {
        phase_ = restartAt(asked.seekTo);
        if (!held_) held_ = s_.output->hold(true);  // nothing plays, and the sink may sleep
    } else if (!held_) {
        updateHeard();
        held_ = !faded && s_.output->hold(true);
        if (held_) {
            settleHeard();
        } else {
            phase_ = restartAt(heardOf(track_->id));
            held_ = s_.output->hold(true);  // nothing plays, and the sink may sleep
        }
    }
    {
        MutexLock lock(s_.mutex);
        if (s_.pause == Pause::Asked) s_.pause = Pause::Held;  // not when resumed meanwhile
    }
    s_.reports->tellSettled(track_->id);
    return true;
}

// The pause ended: what the device holds plays on from where it stopped.
void PlaybackEngine::Session::Worker::release() {
    held_ = false;
    s_.output->hold(false);
    playhead_.resume(Clock::now());
    starvedSince_.reset();
    if (phase_ == Phase::LastQueued) startTail();
}

// Played on behind the tail of the track that ended.
void PlaybackEngine::Session::Worker::handOver(std::unique_ptr<Track> following) {
    track_ = std::move(following);
    end_ = TrackEnd{};
    trailed_ = false;
    phase_ = Phase::Writing;
    playhead_.follow({track_->id, 0, 0, track_->length, 0});
    bufFrames_ = bufPos_ = 0;
    starvedSince_.reset();
}

// Drops what the device holds and goes on from `seconds` of the track:
// Writing, or LastQueued when nothing of the stream follows that point (or
// the seek failed: the file cannot be read further).
PlaybackEngine::Session::Worker::Phase PlaybackEngine::Session::Worker::restartAt(double seconds) {
    s_.output->drop();
    eq_.reset();
    seconds = std::clamp(seconds, 0.0, Limit(track_->length));
    const auto frame = static_cast<int64_t>(seconds * rate_);
    const bool atEnd = !track_->decoder->seek(frame);
    playhead_.restart(Clock::now(), {track_->id, seconds, 0, track_->length, frame});
    bufFrames_ = bufPos_ = 0;
    starvedSince_.reset();
    {
        MutexLock lock(s_.mutex);
        if (s_.seekTo < 0) s_.heard.store(Clock::now(), {track_->id, seconds});  // else a newer seek is shown
    }
    if (!atEnd) return Phase::Writing;
    noteStreamEnd();
    startTail();
    return Phase::LastQueued;
}

// A new level, or equalizer, for what is decoded from now on, and (with
// `takeBack`) for what the device holds of the track and will not play for
// a moment yet: that is taken back and decoded again, sample for sample, so
// the change is heard soon and without a break. (Not in the track's last
// moments, nor after a change of format: the change is heard after what the
// device holds there. A file that cannot be sought to the place any more
// ends there.)
void PlaybackEngine::Session::Worker::retune(Requests& asked, bool takeBack) {
    if (!asked.levelling && !asked.equalizer) return;
    if (asked.levelling) track_->decoder->setLevelling(*asked.levelling);
    if (takeBack) takeBackHeld();  // the filters go back with it
    if (asked.equalizer) eq_.setCurve(*asked.equalizer);
}

bool PlaybackEngine::Session::Worker::takeBackHeld() {
    Playhead::Piece& piece = playhead_.current();
    if (phase_ != Phase::Writing || piece.from < 0 || piece.id != track_->id) return false;
    const long back = s_.output->takeBack(static_cast<long>(piece.written));
    if (back <= 0) return false;
    playhead_.tookBack(back);
    end_.framesPlayed -= back;
    fadeDone_ = std::max<int64_t>(0, fadeDone_ - back);
    eq_.rewind(back + static_cast<long>(bufFrames_ - bufPos_));
    bufFrames_ = bufPos_ = 0;
    if (!track_->decoder->seek(piece.from + piece.written)) lastQueued();  // it cannot be read there any more
    return true;
}

void PlaybackEngine::Session::Worker::startFade(double seconds) {
    stopFade();
    fadeFrames_ = std::max<int64_t>(1, static_cast<int64_t>(seconds * rate_));
    // Heard soon: what the device holds is written again, faded.
    takeBackHeld();
    fadeDone_ = 0;
}

// A falling straight line, from the full level to nothing over the fade;
// nothing after it.
void PlaybackEngine::Session::Worker::applyFade(size_t frames) {
    for (size_t j = 0; j < frames; ++j) {
        const double gain = std::max(
            0.0, 1.0 - static_cast<double>(fadeDone_ + static_cast<int64_t>(j)) / static_cast<double>(fadeFrames_));
        for (int c = 0; c < channels_; ++c) {
            int16_t& sample = buffer_[j * static_cast<size_t>(channels_) + static_cast<size_t>(c)];
            sample = static_cast<int16_t>(std::lround(sample * gain));
        }
    }
}

// The fade written to its end and heard: the track pauses where the fade
// ended (what the device holds after it goes: the resume is at the full
// level), told as a pause taking hold.
bool PlaybackEngine::Session::Worker::fadeHeard() {
    if (fadeFrames_ == 0 || !fadeEndsAt_ || Clock::now() < *fadeEndsAt_) return false;
    const double at = fadeEndsOn_;
    stopFade();
    phase_ = restartAt(at);
    held_ = s_.output->hold(true);  // nothing plays, and the sink may sleep
    {
        MutexLock lock(s_.mutex);
        s_.pause = Pause::Held;
    }
    s_.reports->tellSettled(track_->id);
    return true;
}

void PlaybackEngine::Session::Worker::stopFade() {
    fadeFrames_ = fadeDone_ = 0;
    fadeEndsAt_.reset();
}

// Counts what was written of the fade; once its end is written, notes when
// it will be heard and where in the track it is.
void PlaybackEngine::Session::Worker::noteFadeWritten(long frames) {
    if (fadeFrames_ == 0 || fadeEndsAt_) return;
    fadeDone_ += frames;
    if (fadeDone_ < fadeFrames_) return;
    const double beyond = static_cast<double>(fadeDone_ - fadeFrames_) / rate_;  // silence written after its end
    const Playhead::Piece& piece = playhead_.current();
    fadeEndsOn_ = piece.base + static_cast<double>(piece.written) / rate_ - beyond;
    fadeEndsAt_ = Clock::now() + SecondsToClock(playhead_.secondsHeld() - beyond);
}
// Decodes a chunk when the last one is all written, and writes what the
// device takes of it. False when the device failed for good.
bool PlaybackEngine::Session::Worker::writeChunk() {
    if (bufPos_ == bufFrames_) {
        size_t frames = 0;
        const Decoder::Status st = track_->decoder->read(buffer_.data(), framesToRequestEnd(), frames);
        if (st == Decoder::Status::End) {
            lastQueued();
            return true;
        }
        if (st == Decoder::Status::FormatChanged) return reopenForNewFormat();
        bufFrames_ = frames;
        bufPos_ = 0;
        eq_.process(buffer_.data(), frames);
        if (fadeFrames_ > 0) applyFade(frames);
    }
    const long n = s_.output->write(buffer_.data() + bufPos_ * static_cast<size_t>(channels_),
                                    static_cast<long>(bufFrames_ - bufPos_));
    if (n < 0) return recoverDevice("the sound device failed");
    if (n > 0) {
        recovering_ = false;
        starvedSince_.reset();
    } else if (starved()) {
        return recoverDevice("the sound device stopped taking sound");
    }
    bufPos_ += static_cast<size_t>(n);
    playhead_.wrote(n, Clock::now());
    end_.framesPlayed += n;
    updateHeard();
    noteFadeWritten(n);
    // The next piece is decoded once the device has room for it: decoded
    // ahead, it would wait with a levelling that may change meanwhile. A
    // device that could not tell what it played (just started) is read
    // again soon, for the position to run (for a second at most: then the
    // clock counts).
    s_.output->waitWritable(playhead_.told() ? kWriteWaitMs : kUntoldWaitMs);
    return true;
}

// The last frame is queued: the end is told once at most kEndLead of it is
// left, so that the next file can follow while this tail plays.
void PlaybackEngine::Session::Worker::tellEndWhenDue() {
    updateHeard();
    {
        MutexLock lock(s_.mutex);
        if (Clock::now() < tailHeard_ - kEndLead) {
            if (!s_.asked()) lock.waitUntil(s_.wake, tailHeard_ - kEndLead);
            return;
        }
        s_.accepting = true;
    }
    phase_ = Phase::Draining;
    s_.reports->tellEnd(track_->id, end_);
}

// The tail plays: waits a moment for a next track. False once the tail has
// been heard and none came.
bool PlaybackEngine::Session::Worker::drainTail() {
    updateHeard();
    if (!trailed_ && Clock::now() >= tailHeard_ - kTrailingSilenceLead) {
        bool nextCame = false;
        {
            MutexLock lock(s_.mutex);
            nextCame = s_.next != nullptr;
        }
        if (!nextCame) trailWithSilence();
    }
    MutexLock lock(s_.mutex);
    if (!s_.next && Clock::now() >= tailHeard_ + kTailMargin) {
        s_.accepting = false;
        return false;
    }
    if (!s_.cancel && !s_.next) lock.waitUntil(s_.wake, Clock::now() + kWait);
    return true;
}

// Writes the silence behind the tail; it is heard as no track.
void PlaybackEngine::Session::Worker::trailWithSilence() {
    trailed_ = true;
    const long n = writeSilence(kTrailingSilenceMs);
    if (n <= 0) return;
    playhead_.trail(n, Clock::now());
    startTail();
}

// Releases the device and tells the end of a track that ended without its
// end told: by a failure of the device. After the tail of a track whose end
// was told, it tells that the position has come to rest (at 0). A stopped
// track tells neither.
void PlaybackEngine::Session::Worker::finish() {
    std::unique_ptr<Track> notTaken;  // closed here, not under the lock
    {
        MutexLock lock(s_.mutex);
        s_.accepting = false;
        notTaken = std::move(s_.next);
    }
    notTaken.reset();
    s_.output->close();
    const uint64_t id = track_->id;
    track_.reset();
    {
        MutexLock lock(s_.mutex);
        s_.finished = true;
    }
    if (stopped_) return;
    if (phase_ == Phase::Draining)
        s_.reports->tellSettled(id);  // its end was told; the position is back at 0 now
    else
        s_.reports->tellEnd(id, end_);
}

void PlaybackEngine::Session::Worker::lastQueued() {
    noteStreamEnd();
    phase_ = Phase::LastQueued;
    startTail();
}

// The stream has nothing more (or nothing after the point sought): it was
// played to its end unless the decoder failed.
void PlaybackEngine::Session::Worker::noteStreamEnd() {
    if (track_->decoder->failed())
        endWith(TrackEnd::Cause::ReadFailed, "the file could not be read further");
    else
        endWith(TrackEnd::Cause::Finished, std::string());
}

void PlaybackEngine::Session::Worker::endWith(TrackEnd::Cause cause, std::string detail) {
    end_.cause = cause;
    end_.detail = std::move(detail);
}

// Told as a failure of the device. Out of memory, the end goes without its
// detail rather than throw out of the worker.
void PlaybackEngine::Session::Worker::endOnException(const char* reason) noexcept {
    end_.cause = TrackEnd::Cause::DeviceFailed;
    try {
        end_.resumeAt = track_ ? playhead_.placeOf(track_->id) : 0.0;
        end_.detail = WithReason("playback failed", reason);
    } catch (...) {
        end_.detail.clear();
    }
}

// Reads the device and publishes the position heard.
void PlaybackEngine::Session::Worker::updateHeard() {
    const std::optional<long> unheard = s_.output->delay();
    const auto now = Clock::now();
    const Playhead::Reading r =
        playhead_.read(now, unheard ? std::optional<int64_t>(*unheard) : std::nullopt, s_.output->started());
    MutexLock lock(s_.mutex);
    // A seek asked since shows where it goes until it is taken.
    if (s_.seekTo < 0) s_.heard.store(now, r.now, r.next);
}

// Held: the position rests where it was heard.
void PlaybackEngine::Session::Worker::settleHeard() {
    MutexLock lock(s_.mutex);
    s_.heard.settle(Clock::now(), track_->id);
}

double PlaybackEngine::Session::Worker::heardOf(uint64_t track) {
    MutexLock lock(s_.mutex);
    return s_.heard.of(track, Clock::now());
}

// Starts what is queued and notes when all of it will have been heard.
void PlaybackEngine::Session::Worker::startTail() {
    s_.output->startQueued();
    updateHeard();
    tailHeard_ = Clock::now() + SecondsToClock(playhead_.secondsHeld());
}

// Waits until the tail has been heard; true when a stop came first.
bool PlaybackEngine::Session::Worker::waitForTail() {
    startTail();
    while (Clock::now() < tailHeard_ + kTailMargin) {
        updateHeard();
        MutexLock lock(s_.mutex);
        if (!s_.cancel) lock.waitUntil(s_.wake, Clock::now() + kWait);
        if (s_.cancel) return true;
    }
    return false;
}
