// The worker loop: decode a chunk, write it without blocking, wait for room,
// and between chunks take the requests of the engine's thread (stop, pause,
// seek, a next track) from the Session, under its mutex, which is never held
// across decoding or output.
//
// When a track's last frame is queued and no more than kEndLead of it is left
// to hear, its end is reported while that tail still plays: the UI thread's
// play-on then hands the next track to this worker,
// which writes it behind the tail into the same open device, so consecutive
// files join without a gap. Only when no next track comes does the worker
// close the device, and not before the tail has been heard: the device's
// count of what it still holds (which includes the sound server) says how
// long that takes when the last frame is queued (and once more when silence
// is written behind it). It is not read again: a device that has run dry may
// go on giving its last answer. A file that
// cannot be read further ends the same way, after what was decoded of it;
// a device that fails is opened again for a while (see recoverDevice). Each
// is told as the cause of the end.
//
// A stopped worker is not joined by the UI thread (unless play() needs the
// device it still holds): the request interrupts the worker's wait for room
// in the output, so it notices at once, releases its device and exits. The
// next worker waits for it before it starts, and the destructor for the
// newest one. A worker stuck in a read of its file (a share that stopped
// answering) cannot notice: it is waited for a moment only and then left to
// end by itself, so that the next file plays at once.
#include "engine/playback_engine.h"

#include "common/app_error.h"
#include "common/deadline.h"
#include "common/thread_safety.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;
constexpr auto kWait = std::chrono::milliseconds(20);
// Room in the output is waited for until the device has played a period or a
// request interrupts the wait; the limit only bounds a device that never
// signals.
constexpr int kWriteWaitMs = 500;
// Decoded and written in pieces of half a second: as much as the device
// asks for when it has room, so one write answers each of its requests
// (each write also wakes the sound server).
constexpr int kChunkMs = 500;
// Kept open a little longer than the device says it needs to play the tail.
constexpr auto kTailMargin = std::chrono::milliseconds(50);
constexpr int kLeadInMs = 50;
// How long before a track's last frame is heard its end is told: time for the
// UI thread to choose and open the next file before the tail runs out.
constexpr auto kEndLead = std::chrono::milliseconds(500);
// PipeWire's pulse server plays a stream in whole quanta and holds back what
// is left of the last one until more comes: a stream that runs dry loses up
// to a quantum of its end (about 43 ms at the usual largest, 2048 frames at
// 48 kHz), or has it heard late when more comes after all.
// This much silence, written behind the tail while it still plays, carries it
// out, heard as nothing. (snd_pcm_drain would too, but it blocks, and the
// worker must stay stoppable.) A next track handed over later than
// kTrailingSilenceLead before the tail runs out follows that silence.
constexpr int kTrailingSilenceMs = 50;
constexpr auto kTrailingSilenceLead = std::chrono::milliseconds(150);
// A failed device is tried this often; a restarted sound server is back
// within about a second.
constexpr auto kRetryEvery = std::chrono::milliseconds(250);
// How long a stopped worker (or a measuring thread that has told its length)
// is waited for before it is taken to be stuck in a read and left to itself.
constexpr auto kStuckAfter = std::chrono::milliseconds(300);

// A file's length in seconds, measured apart from its playback; below 0
// until it is known.
using Length = std::shared_ptr<std::atomic<double>>;

// A known length, or no limit while it is measured or when it could not be
// (0 is told then: a stream that has any frame lasts longer than that).
double Limit(const Length& length) {
    const double v = length ? length->load() : 0.0;
    return v > 0 ? v : std::numeric_limits<double>::infinity();
}

std::string WithReason(std::string what, const char* reason) {
    if (reason && *reason) what += std::string(" (") + reason + ")";
    return what;
}
}  // namespace

// The callbacks, as every thread reaches them. Each is called with no lock
// held; the mutex only counts the calls in progress, so that close() (the
// engine going) returns once none runs and none starts any more. A thread
// left to itself may still report after that, and is not heard then.
struct PlaybackEngine::Reports {
    explicit Reports(Callbacks c) : callbacks(std::move(c)) {}
    const Callbacks callbacks;

    void tellEnd(uint64_t id, const TrackEnd& end) {
        call([&] {
            if (callbacks.ended) callbacks.ended(id, end);
        });
    }
    void tellMeasured(uint64_t id) {
        call([&] {
            if (callbacks.measured) callbacks.measured(id);
        });
    }
    void tellSettled(uint64_t id) {
        call([&] {
            if (callbacks.settled) callbacks.settled(id);
        });
    }
    void close() EXCLUDES(mutex_) {
        MutexLock lock(mutex_);
        closed_ = true;
        while (calls_ > 0) lock.wait(idle_);
    }

private:
    template <typename F>
    void call(F report) EXCLUDES(mutex_) {
        {
            MutexLock lock(mutex_);
            if (closed_) return;
            ++calls_;
        }
        struct Done {
            Reports& r;
            ~Done() {
                MutexLock lock(r.mutex_);
                if (--r.calls_ == 0) r.idle_.notify_all();
            }
        } done{*this};
        report();
    }
    Mutex mutex_;
    std::condition_variable idle_;
    bool closed_ GUARDED_BY(mutex_) = false;
    int calls_ GUARDED_BY(mutex_) = 0;
};

struct PlaybackEngine::Track {
    uint64_t id = 0;
    double startAt = 0;  // where a new worker begins the track
    std::unique_ptr<Decoder> decoder;
    Length length;
};

// The position heard, and the track it is of. The worker reads the device
// when it writes (about twice a second); between its readings the position
// runs on by the clock, but never past what the device held of the track
// heard then. Behind it the device may hold the start of the track handed
// over next (or behind a lead of silence, the first one): that one is heard
// from where it begins once what is in front is out, and before that has
// been heard for nothing. A plain value: the Session guards it.
class Heard {
public:
    struct Stretch {
        uint64_t track = 0;  // 0: silence
        double at = 0;       // seconds of the track heard at the reading
        double runOn = 0;    // seconds of it the device held then
        double from = 0;     // seconds after the reading it begins to be heard
    };
    void store(Clock::time_point now, const Stretch& heardNow, const Stretch& next) {
        now_ = heardNow;
        then_ = next;
        readAt_ = now;
    }
    void store(Clock::time_point now, const Stretch& heardNow) { store(now, heardNow, Stretch()); }
    // The track heard now is at `seconds` and does not run on; nothing is
    // known to follow it.
    void settle(Clock::time_point now, double seconds) {
        now_.at = seconds;
        now_.runOn = 0;
        then_ = Stretch{};
        readAt_ = now;
    }
    // The position of the track heard now.
    double current(Clock::time_point now) const { return now_.at + std::clamp(since(now), 0.0, now_.runOn); }
    // The position of `track`: 0 when it is neither heard now nor next.
    double of(uint64_t track, Clock::time_point now) const {
        const double t = since(now);
        if (track != 0 && track == now_.track) return now_.at + std::clamp(t, 0.0, now_.runOn);
        if (track != 0 && track == then_.track) return then_.at + std::clamp(t - then_.from, 0.0, then_.runOn);
        return 0.0;
    }
    // What the device said last of `track`, without running on; `otherwise`
    // when it is neither heard now nor next.
    double lastReadingFor(uint64_t track, double otherwise) const {
        if (track != 0 && track == now_.track) return now_.at;
        if (track != 0 && track == then_.track) return then_.at;
        return otherwise;
    }

private:
    double since(Clock::time_point now) const { return std::chrono::duration<double>(now - readAt_).count(); }
    Stretch now_, then_;
    Clock::time_point readAt_ = Clock::now();
};

// What a worker shares with the engine's thread. The engine's thread asks
// (stop, pause, seek, a next track) through the methods marked so; the
// worker takes the requests and tells its state. Everything that changes is
// guarded by `mutex`.
struct PlaybackEngine::Session {
    enum class Pause {
        Off,
        Asked,  // pause() was called; the worker has not taken it yet
        Held,   // the worker dropped what was not yet heard and waits
    };

    Session(std::unique_ptr<AudioOutput> device, std::shared_ptr<Reports> r, std::chrono::milliseconds retry,
            int openRate, int openChannels, uint64_t track, double at, bool held)
        : output(std::move(device)), reports(std::move(r)), deviceRetry(retry), rate(openRate), channels(openChannels) {
        heard.store(Clock::now(), {track, at});
        if (held) pause = Pause::Asked;  // taken before anything is written
    }

    // Constant while the worker runs. The worker alone uses the device, but
    // for interrupt() from the engine's thread.
    const std::unique_ptr<AudioOutput> output;
    const std::shared_ptr<Reports> reports;
    const std::chrono::milliseconds deviceRetry;

    Mutex mutex;
    std::condition_variable wake;  // a request came
    // Asked by the engine's thread, taken by the worker.
    bool cancel GUARDED_BY(mutex) = false;
    Pause pause GUARDED_BY(mutex) = Pause::Off;
    double seekTo GUARDED_BY(mutex) = -1;                           // < 0: none
    std::unique_ptr<Track> next GUARDED_BY(mutex);                  // handed over during the tail
    std::optional<Decoder::Levelling> levelling GUARDED_BY(mutex);  // for the track that plays
    // Told by the worker.
    bool accepting GUARDED_BY(mutex) = false;  // the track's end is told, its tail plays: a next one may follow
    int rate GUARDED_BY(mutex);                // the format the device is open for
    int channels GUARDED_BY(mutex);
    bool finished GUARDED_BY(mutex) = false;  // the worker has released its device and track
    Heard heard GUARDED_BY(mutex);

    // A request that ends the worker's waits.
    bool asked() const REQUIRES(mutex) { return cancel || pause != Pause::Off || seekTo >= 0; }

    // ---- the engine's thread ----
    void askStop() EXCLUDES(mutex) {
        {
            MutexLock lock(mutex);
            cancel = true;
            wake.notify_all();
        }
        output->interrupt();
    }
    bool stopped() EXCLUDES(mutex) {
        MutexLock lock(mutex);
        return cancel;
    }
    void askPause() EXCLUDES(mutex) {
        {
            MutexLock lock(mutex);
            if (accepting) return;  // ended: its end is on its way
            if (pause == Pause::Off) pause = Pause::Asked;
            wake.notify_all();
        }
        output->interrupt();
    }
    void resume() EXCLUDES(mutex) {
        MutexLock lock(mutex);
        pause = Pause::Off;
        wake.notify_all();
    }
    bool paused() EXCLUDES(mutex) {
        MutexLock lock(mutex);
        return pause != Pause::Off;
    }
    void askSeek(uint64_t track, double seconds) EXCLUDES(mutex) {
        {
            MutexLock lock(mutex);
            if (accepting) return;  // ended: its end is on its way
            seekTo = seconds;
            heard.store(Clock::now(), {track, seconds});
            wake.notify_all();
        }
        output->interrupt();
    }
    void askLevelling(const Decoder::Levelling& wanted) EXCLUDES(mutex) {
        {
            MutexLock lock(mutex);
            levelling = wanted;
            wake.notify_all();
        }
        output->interrupt();
    }
    // Takes `track` behind the tail when the device is open for its format;
    // what was asked of the track that ended goes with it.
    bool handOver(std::unique_ptr<Track>& track) EXCLUDES(mutex) {
        MutexLock lock(mutex);
        if (!accepting || cancel || rate != track->decoder->rate() || channels != track->decoder->channels())
            return false;
        next = std::move(track);
        accepting = false;
        pause = Pause::Off;
        seekTo = -1;
        wake.notify_all();
        return true;
    }
    double positionOf(uint64_t track) EXCLUDES(mutex) {
        MutexLock lock(mutex);
        return finished ? 0.0 : heard.of(track, Clock::now());
    }
    bool positionRuns() EXCLUDES(mutex) {
        MutexLock lock(mutex);
        return !finished && pause == Pause::Off;
    }
    bool hasFinished() EXCLUDES(mutex) {
        MutexLock lock(mutex);
        return finished;
    }

    // ---- the worker ----
    // Plays `track` and the tracks handed over behind it.
    void run(std::unique_ptr<Track> track);

private:
    class Worker;
};

// What the worker thread alone uses: the track it plays, what the device
// holds, the format and the phase it is in. Each step takes the requests of
// the engine's thread, then does one piece of work of its phase.
class PlaybackEngine::Session::Worker {
public:
    Worker(Session& session, std::unique_ptr<Track> track) : s_(session), track_(std::move(track)) {
        MutexLock lock(s_.mutex);
        rate_ = s_.rate;
        channels_ = s_.channels;
    }
    void run();

private:
    enum class Phase {
        Writing,     // the track is decoded and written
        LastQueued,  // the last frame is queued; the end is told once kEndLead of it is left
        Draining,    // the end is told: the tail plays, for a next track to follow or to be heard out
    };
    // A copy of what the engine's thread asked, taken under the mutex.
    struct Requests {
        bool stop = false;
        Pause pause = Pause::Off;
        double seekTo = -1;  // < 0: none
        std::unique_ptr<Track> next;
        std::optional<Decoder::Levelling> levelling;
    };
    // What the device holds, oldest first: a lead of silence, tails of tracks
    // that have ended, and last the track being written. A piece leaves the
    // front once all of it has been heard; the one in front is heard now.
    struct Piece {
        uint64_t id = 0;  // 0: silence
        double base = 0;  // seconds of the track where `written` begins
        int64_t written = 0;
        Length length;
        int64_t from = -1;  // the decoder's frame there; -1: not known (the format changed)
    };

    void start();
    void leadIn();
    bool step();  // false: the worker is done
    Requests takeRequests();
    bool hold(const Requests& asked);
    void handOver(std::unique_ptr<Track> following);
    Phase restartAt(double seconds);
    void relevel(const Decoder::Levelling& levelling, bool takeBack);
    bool writeChunk();
    bool recoverDevice();
    bool reopenForNewFormat();
    void tellEndWhenDue();
    bool drainTail();
    void trailWithSilence();
    void finish();

    void noteStreamEnd();
    void lastQueued();  // nothing more to write: the end is noted, the tail timed
    void endWith(TrackEnd::Cause cause, std::string detail);
    void endOnException(const char* reason) noexcept;
    void updateHeard();
    void startTail();
    void updateTailHeard();
    double placeHeard();
    bool waitForTail();
    void onlyTheTrack();
    Piece& current() { return pieces_.back(); }
    size_t chunkFrames() const { return static_cast<size_t>(rate_) * kChunkMs / 1000; }
    // Writes to the device, counting what it was given since it was opened
    // or dropped.
    long toDevice(const int16_t* data, long frames);
    // The frames to decode next: to the end of the device's next request,
    // so that what was written before (a lead of silence, the end of the
    // track before) does not split each request in two writes.
    size_t framesToRequestEnd() const { return chunkFrames() - static_cast<size_t>(inDevice_) % chunkFrames(); }
    // The position heard, as the Session keeps it.
    void publish(const Heard::Stretch& now, const Heard::Stretch& then = Heard::Stretch());
    double heardOf(uint64_t track);

    Session& s_;
    std::unique_ptr<Track> track_;
    int rate_ = 0;  // the format the device is open for (the Session tells it too)
    int channels_ = 0;
    TrackEnd end_;  // how the track ends, as far as is known
    std::vector<int16_t> buffer_;
    size_t bufFrames_ = 0, bufPos_ = 0;
    int64_t inDevice_ = 0;  // frames given to the device since it was opened or dropped
    std::deque<Piece> pieces_;
    Phase phase_ = Phase::Writing;
    bool trailed_ = false;  // the silence behind the tail is written
    bool stopped_ = false;
    // The device failed and has not taken a frame of the track since: the
    // retries go on until retryUntil_, however often it reopens.
    bool recovering_ = false;
    Clock::time_point retryUntil_{};
    Clock::time_point tailHeard_{};  // when the last frame queued will have been heard
};

void PlaybackEngine::Session::run(std::unique_ptr<Track> track) { Worker(*this, std::move(track)).run(); }

void PlaybackEngine::Session::Worker::run() {
    try {
        start();
        while (step()) {
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
    pieces_.push_back({track_->id, 0, 0, track_->length, 0});
    if (track_->startAt > 0) phase_ = restartAt(track_->startAt);
    leadIn();
}

// A fresh stream may lose its first few milliseconds at the sound server:
// let it lose silence, written in front of the track.
void PlaybackEngine::Session::Worker::leadIn() {
    const std::vector<int16_t> silence(static_cast<size_t>(rate_ / 1000 * kLeadInMs * channels_), 0);
    const long n = toDevice(silence.data(), static_cast<long>(silence.size() / static_cast<size_t>(channels_)));
    if (n > 0) pieces_.push_front({0, 0, n, nullptr});
}

long PlaybackEngine::Session::Worker::toDevice(const int16_t* data, long frames) {
    const long n = s_.output->write(data, frames);
    if (n > 0) inDevice_ += n;
    return n;
}

bool PlaybackEngine::Session::Worker::step() {
    Requests asked = takeRequests();
    if (asked.stop) {
        stopped_ = true;
        return false;
    }
    const bool handed = asked.next != nullptr;
    if (handed) handOver(std::move(asked.next));
    // What a pause or seek drops is not taken back first.
    if (asked.levelling) relevel(*asked.levelling, !handed && asked.pause == Pause::Off && asked.seekTo < 0);
    if (handed) return true;
    if (phase_ == Phase::Draining) return drainTail();
    if (asked.pause != Pause::Off) return hold(asked);
    if (asked.seekTo >= 0) phase_ = restartAt(asked.seekTo);
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

// A pause keeps what was heard and drops the rest (a seek asked with it or
// during it moves the place instead); then the worker waits for it to end
// (takeRequests). Told as the position coming to rest.
bool PlaybackEngine::Session::Worker::hold(const Requests& asked) {
    if (asked.seekTo >= 0) {
        phase_ = restartAt(asked.seekTo);
    } else {
        updateHeard();
        phase_ = restartAt(heardOf(track_->id));
    }
    {
        MutexLock lock(s_.mutex);
        if (s_.pause == Pause::Asked) s_.pause = Pause::Held;  // not when resumed meanwhile
    }
    s_.reports->tellSettled(track_->id);
    return true;
}

// Played on behind the tail of the track that ended.
void PlaybackEngine::Session::Worker::handOver(std::unique_ptr<Track> following) {
    track_ = std::move(following);
    end_ = TrackEnd{};
    trailed_ = false;
    phase_ = Phase::Writing;
    pieces_.push_back({track_->id, 0, 0, track_->length, 0});
    bufFrames_ = bufPos_ = 0;
}

// Drops what the device holds and goes on from `seconds` of the track:
// Writing, or LastQueued when nothing of the stream follows that point (or
// the seek failed: the file cannot be read further).
PlaybackEngine::Session::Worker::Phase PlaybackEngine::Session::Worker::restartAt(double seconds) {
    s_.output->drop();
    inDevice_ = 0;
    onlyTheTrack();
    seconds = std::clamp(seconds, 0.0, Limit(track_->length));
    const auto frame = static_cast<int64_t>(seconds * rate_);
    const bool atEnd = !track_->decoder->seek(frame);
    if (atEnd) {
        noteStreamEnd();
        startTail();
    }
    current().base = seconds;
    current().written = 0;
    current().from = frame;
    bufFrames_ = bufPos_ = 0;
    publish({track_->id, seconds});
    return atEnd ? Phase::LastQueued : Phase::Writing;
}

// Levels what is decoded from now on, and (with `takeBack`) what the device
// holds of the track and will not play for a moment yet: that is taken back
// and decoded again, sample for sample, so the change is heard soon and
// without a break. (Not in the track's last moments, nor after a change of
// format: the change is heard after what the device holds there. A file
// that cannot be sought to the place any more ends there.)
void PlaybackEngine::Session::Worker::relevel(const Decoder::Levelling& levelling, bool takeBack) {
    track_->decoder->setLevelling(levelling);
    if (!takeBack || phase_ != Phase::Writing || current().from < 0) return;
    const long back = s_.output->takeBack(static_cast<long>(current().written));
    if (back <= 0) return;
    current().written -= back;
    inDevice_ -= back;
    end_.framesPlayed -= back;
    bufFrames_ = bufPos_ = 0;
    if (!track_->decoder->seek(current().from + current().written)) lastQueued();  // it cannot be read there any more
}

// Decodes a chunk when the last one is all written, and writes what the
// device takes of it. False when the device failed.
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
    }
    const long n =
        toDevice(buffer_.data() + bufPos_ * static_cast<size_t>(channels_), static_cast<long>(bufFrames_ - bufPos_));
    if (n < 0) return recoverDevice();
    if (n > 0) recovering_ = false;
    bufPos_ += static_cast<size_t>(n);
    current().written += n;
    end_.framesPlayed += n;
    updateHeard();
    // The next piece is decoded once the device has room for it: decoded
    // ahead, it would wait with a levelling that may change meanwhile.
    s_.output->waitWritable(kWriteWaitMs);
    return true;
}

// The device failed (the sound server went away): what it took and had not
// played is lost with it, so the track goes back to the point last heard and
// the device is opened again every kRetryEvery. Once it opens, the track
// goes on from there; a request of the engine's thread meanwhile is taken by
// the next step (a write to the closed device then starts the retries again).
// False when the device stayed away for the retry time: the track ends,
// telling where it was.
bool PlaybackEngine::Session::Worker::recoverDevice() {
    const double at = placeHeard();
    s_.output->close();
    phase_ = restartAt(at);
    // A device that opens but fails again at once is tried at the same pace,
    // within the same time.
    bool wait = recovering_;
    if (!recovering_) {
        recovering_ = true;
        retryUntil_ = Clock::now() + s_.deviceRetry;
    }
    std::string reason = "the sound device failed";
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
            inDevice_ = 0;
            leadIn();
            return true;
        } catch (const std::exception& e) {
            reason = e.what();
        }
    }
    endWith(TrackEnd::Cause::DeviceFailed, reason);
    end_.resumeAt = at;
    return false;
}

// Lets the old format play out, then reopens the device for the new one.
// False when it cannot be opened: the track ends there.
bool PlaybackEngine::Session::Worker::reopenForNewFormat() {
    if (waitForTail()) return true;  // the next step sees the stop
    onlyTheTrack();
    current().base += static_cast<double>(current().written) / rate_;
    current().written = 0;
    current().from = -1;
    rate_ = track_->decoder->rate();
    channels_ = track_->decoder->channels();
    {
        MutexLock lock(s_.mutex);
        s_.rate = rate_;
        s_.channels = channels_;
    }
    buffer_.assign(chunkFrames() * static_cast<size_t>(channels_), 0);
    try {
        s_.output->open(rate_, channels_);
        inDevice_ = 0;
    } catch (const std::exception& e) {
        endWith(TrackEnd::Cause::DeviceFailed,
                WithReason("the sound device could not be opened for a new format", e.what()));
        end_.resumeAt = placeHeard();
        return false;
    } catch (...) {
        endWith(TrackEnd::Cause::DeviceFailed, "the sound device could not be opened for a new format");
        end_.resumeAt = placeHeard();
        return false;
    }
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
    updateTailHeard();
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
    const std::vector<int16_t> silence(static_cast<size_t>(rate_ / 1000 * kTrailingSilenceMs * channels_), 0);
    const long n = toDevice(silence.data(), static_cast<long>(silence.size() / static_cast<size_t>(channels_)));
    if (n <= 0) return;
    pieces_.push_back({0, 0, n, nullptr});
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
        end_.resumeAt = track_ ? placeHeard() : 0.0;
        end_.detail = WithReason("playback failed", reason);
    } catch (...) {
        end_.detail.clear();
    }
}

void PlaybackEngine::Session::Worker::publish(const Heard::Stretch& now, const Heard::Stretch& then) {
    MutexLock lock(s_.mutex);
    s_.heard.store(Clock::now(), now, then);
}

double PlaybackEngine::Session::Worker::heardOf(uint64_t track) {
    MutexLock lock(s_.mutex);
    return s_.heard.of(track, Clock::now());
}

// Seconds heard of the piece heard now, from what the device still holds.
void PlaybackEngine::Session::Worker::updateHeard() {
    // A device that has not started holds all that was written, unheard
    // (the pulse plugin tells a delay of about nothing then).
    const bool started = s_.output->started();
    int64_t ahead = started ? std::max(0L, s_.output->delay()) : std::numeric_limits<int64_t>::max();
    std::vector<int64_t> unheard(pieces_.size());
    for (size_t k = pieces_.size(); k-- > 0;) {
        unheard[k] = std::min(ahead, std::max<int64_t>(0, pieces_[k].written));
        ahead -= unheard[k];
    }
    size_t front = 0;
    while (pieces_.size() > 1 && unheard[front] == 0) {
        pieces_.pop_front();
        ++front;
    }
    // Between readings the position runs on by the clock only while the
    // device plays: one that has not started (it fills its buffer first)
    // plays nothing of what it holds.
    auto stretch = [&](size_t k, int64_t held) {
        const Piece& p = pieces_[k];
        Heard::Stretch s{p.id, 0.0, started ? static_cast<double>(held) / rate_ : 0.0};
        if (p.id) {
            s.at = std::min(p.base + static_cast<double>(p.written - held) / rate_, Limit(p.length));
            s.runOn = std::min(s.runOn, Limit(p.length) - s.at);
        }
        return s;
    };
    // The first track behind the one in front (past a silence, say) is heard
    // once all in front of it is.
    Heard::Stretch then;
    double inFront = static_cast<double>(unheard[front]) / rate_;
    for (size_t k = 1; k < pieces_.size(); ++k) {
        if (pieces_[k].id) {
            then = stretch(k, unheard[front + k]);
            then.from = inFront;
            break;
        }
        inFront += static_cast<double>(unheard[front + k]) / rate_;
    }
    publish(stretch(0, unheard[front]), then);
}

// Notes when all that was written will have been heard, as the device tells
// it now.
void PlaybackEngine::Session::Worker::startTail() {
    s_.output->startQueued();
    const long d = std::max(0L, s_.output->delay());
    tailHeard_ = Clock::now() + std::chrono::microseconds(static_cast<int64_t>(d) * 1000000 / rate_);
}

// The position while the last tail plays (no track behind it): from the
// device, or from the clock where the device has stopped counting.
void PlaybackEngine::Session::Worker::updateTailHeard() {
    updateHeard();
    const Piece& tail = pieces_.front();
    if (!tail.id) return;
    double left = std::chrono::duration<double>(tailHeard_ - Clock::now()).count();
    for (size_t k = 1; k < pieces_.size(); ++k) {
        if (pieces_[k].id) return;
        left -= static_cast<double>(pieces_[k].written) / rate_;  // the silence behind it
    }
    const double length = Limit(tail.length);
    if (!std::isfinite(length)) return;
    MutexLock lock(s_.mutex);
    const auto now = Clock::now();
    s_.heard.settle(now, std::max(s_.heard.current(now), length - std::max(0.0, left)));
}

// Where the track stands as last heard: the place to go on from.
double PlaybackEngine::Session::Worker::placeHeard() {
    double base = 0;
    for (auto it = pieces_.rbegin(); it != pieces_.rend(); ++it) {
        if (it->id == track_->id) {
            base = it->base;
            break;
        }
    }
    MutexLock lock(s_.mutex);
    return s_.heard.lastReadingFor(track_->id, base);
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

// Everything in front of the track is gone (dropped or heard).
void PlaybackEngine::Session::Worker::onlyTheTrack() {
    while (pieces_.size() > 1) pieces_.pop_front();
}

// ---- the engine's thread ---------------------------------------------------

PlaybackEngine::PlaybackEngine(OutputFactory outputs, Callbacks callbacks)
    : outputs_(std::move(outputs)), reports_(std::make_shared<Reports>(std::move(callbacks))) {}

PlaybackEngine::PlaybackEngine(OutputFactory outputs, EndedCallback ended)
    : PlaybackEngine(std::move(outputs), Callbacks{std::move(ended), nullptr, nullptr}) {}

PlaybackEngine::~PlaybackEngine() {
    stop();
    stopMeasuring();
    if (worker_) worker_->joinWithin(kStuckAfter);
    worker_.reset();
    reports_->close();
}

void PlaybackEngine::stopMeasuring() {
    if (measureCancel_) measureCancel_->store(true);
    // It stops at its next read; it is not waited for, as that read may be
    // one of a file that no longer answers.
    measurer_.reset();
    measureCancel_.reset();
}

void PlaybackEngine::measure() {
    stopMeasuring();
    length_ = std::make_shared<std::atomic<double>>(-1.0);
    measureCancel_ = std::make_shared<std::atomic<bool>>(false);
    const uint64_t id = ++loads_;
    // A second decoder over the same stream, on a thread of its own: a long
    // file is scanned while it already plays.
    measurer_ = std::make_unique<BoundedThread>(
        [decoders = decoders_, length = length_, cancel = measureCancel_, reports = reports_, id] {
            double seconds = 0;
            try {
                seconds = decoders()->measure(cancel.get());
            } catch (...) {
                // No length: 0 is told, and playback ends where decoding
                // fails; the failure itself is the player's to tell.
            }
            if (cancel->load()) return;
            length->store(seconds);
            reports->tellMeasured(id);
        });
}

bool PlaybackEngine::finishMeasuring(uint64_t id) {
    if (id != loads_ || !length_ || length_->load() < 0) return false;
    // It has told its length and is on its way out.
    if (measurer_) measurer_->joinWithin(kStuckAfter);
    measurer_.reset();
    return true;
}

bool PlaybackEngine::running() const { return session_ && !currentEnded_; }

void PlaybackEngine::load(DecoderFactory decoders, std::unique_ptr<Decoder> opened) {
    // What plays stops; a tail after the end of a file plays on, for the
    // next track to follow it.
    if (running()) stop();
    stopMeasuring();
    prepared_.reset();
    decoders_ = nullptr;
    length_.reset();
    if (!decoders) throw MakeError(ErrNo::FileNotFound);
    prepared_ = opened ? std::move(opened) : decoders();
    decoders_ = std::move(decoders);
    measure();
}

void PlaybackEngine::unload() {
    if (running()) stop();
    stopMeasuring();
    prepared_.reset();
    decoders_ = nullptr;
    length_.reset();
}

double PlaybackEngine::duration() const { return length_ ? std::max(0.0, length_->load()) : 0.0; }

PlaybackEngine::State PlaybackEngine::state() const {
    if (!running()) return State::Stopped;
    return session_->paused() ? State::Paused : State::Playing;
}

void PlaybackEngine::play(double from, bool paused) {
    if (running()) {
        session_->resume();
        return;
    }
    if (!decoders_) throw MakeError(ErrNo::FileNotFound);
    std::unique_ptr<Decoder> decoder = std::move(prepared_);
    if (!decoder) decoder = decoders_();
    decoder->setLevelling(levelling_);
    auto track = std::make_unique<Track>();
    track->length = length_;
    track->startAt = std::max(0.0, from);
    const int rate = decoder->rate(), channels = decoder->channels();
    track->decoder = std::move(decoder);

    if (from <= 0 && !paused && handToTail(track)) return;
    std::unique_ptr<AudioOutput> output;
    try {
        output = openDevice(rate, channels);
    } catch (...) {
        prepared_ = std::move(track->decoder);
        throw;
    }
    track->id = ++nextId_;
    currentId_ = track->id;
    currentEnded_ = false;
    auto session = std::make_shared<Session>(std::move(output), reports_, deviceRetry_, rate, channels, track->id,
                                             track->startAt, paused);
    // A worker still playing a tail is let finish it first: a device of
    // another format follows it, not mixed in. A stopped one releases its
    // device at once, unless it is stuck in a read of its file: it is left
    // to itself then.
    std::shared_ptr<BoundedThread> previous(std::move(worker_));
    const bool previousStopped = !session_ || session_->stopped();  // stop() let go of its session
    if (!previousStopped) tail_ = session_;
    try {
        worker_ =
            std::make_unique<BoundedThread>([session, previous, previousStopped, track = std::move(track)]() mutable {
                if (previous) previous->joinWithin(previousStopped ? kStuckAfter : std::chrono::milliseconds(10000));
                previous.reset();
                session->run(std::move(track));
            });
    } catch (...) {
        // No thread could be started: nothing plays, and the tail's worker
        // is waited for here.
        currentEnded_ = true;
        if (previous) previous->joinWithin(kStuckAfter);
        throw;
    }
    session_ = std::move(session);
}

bool PlaybackEngine::handToTail(std::unique_ptr<Track>& track) {
    if (!session_) return false;
    const uint64_t id = nextId_ + 1;
    track->id = id;
    if (!session_->handOver(track)) {
        track->id = 0;
        return false;
    }
    nextId_ = id;
    currentId_ = id;
    currentEnded_ = false;
    return true;
}

std::unique_ptr<AudioOutput> PlaybackEngine::openDevice(int rate, int channels) {
    std::unique_ptr<AudioOutput> output = outputs_();
    try {
        output->open(rate, channels);
    } catch (const AppError&) {
        // A device that allows one stream only may still be held by the
        // worker that was just stopped (or plays its last tail): wait for
        // it once and retry.
        if (!worker_) throw;
        if (session_) session_->askStop();
        worker_->joinWithin(kStuckAfter);
        worker_.reset();
        output->open(rate, channels);
    }
    return output;
}

void PlaybackEngine::setLevelling(const Decoder::Levelling& levelling) {
    if (levelling == levelling_) return;
    levelling_ = levelling;
    if (running()) session_->askLevelling(levelling);
}

void PlaybackEngine::pause() {
    if (running()) session_->askPause();
}

void PlaybackEngine::stop() noexcept {
    currentEnded_ = true;
    if (const std::shared_ptr<Session> tail = tail_.lock()) tail->askStop();
    tail_.reset();
    if (!session_) return;
    session_->askStop();
    session_.reset();
}

void PlaybackEngine::seek(double seconds) {
    if (!running()) return;
    session_->askSeek(currentId_, std::clamp(seconds, 0.0, Limit(length_)));
}

double PlaybackEngine::position() const { return session_ ? session_->positionOf(currentId_) : 0.0; }

bool PlaybackEngine::positionRuns() const { return session_ && session_->positionRuns(); }

bool PlaybackEngine::finishSession(uint64_t id) {
    if (id != currentId_ || currentEnded_) return false;
    currentEnded_ = true;
    // A worker that has ended altogether is returning: reap it now.
    if (session_ && session_->hasFinished() && worker_) {
        worker_->joinWithin(kStuckAfter);
        worker_.reset();
    }
    return true;
}
