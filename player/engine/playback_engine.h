#pragma once
// Plays Decoders through an AudioOutput on a worker thread. All methods are
// called from one thread (the UI thread). They set requests the worker reads
// and the position is published through atomics, so they do not wait for the
// worker, except where a method says so. No method waits for a thread that
// reads a file (a worker, the thread measuring a length) longer than a
// moment: one stuck in a read of a file that no longer answers (a stalled
// network share) is left to end by itself, and its reports are dropped once
// the engine is gone. Each file played is a track with its own id: the worker reports
// the end of a track through the ended callback (on the worker thread) as
// soon as its last frame is queued, while its tail still plays; the caller
// compares the id with sessionId() to drop a report that belongs to a track
// already stopped. A track of the same format started during that tail is
// played on by the same worker into the same open device, so the files join
// without a gap; the device is closed only once the last tail has been heard.
//
// A device that fails while a track plays (the sound server went away) does
// not end the track: the worker opens the device again every quarter of a
// second and, once it opens, goes on from the point last heard. Only when it
// stays away for the retry time does the track end, as DeviceFailed, telling
// where it was.
#include "engine/audio_output.h"
#include "engine/decoder.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

class PlaybackEngine {
public:
    // How a track ended. Every end the worker reports carries one; a track
    // that is stopped reports none.
    struct TrackEnd {
        enum class Cause {
            Finished,      // the file was decoded to its last frame
            ReadFailed,    // the file could not be read (or decoded) further
            DeviceFailed,  // the device failed, could not be reopened for a new format, or playback threw
        };
        Cause cause = Cause::Finished;
        // Frames of this track the worker wrote to the device, at the rate of
        // each write, over the whole time the track played: a seek neither
        // resets the count nor adds what it skipped (it goes on counting
        // what is written from the new point), frames that a pause or seek
        // dropped unheard stay counted, and the lead of silence in front of
        // a freshly opened device is not counted. The count is complete when
        // the end is told. 0: nothing of the track reached the device, so
        // nothing of it was heard.
        int64_t framesPlayed = 0;
        // A short English text for the log: "the file could not be read
        // further", "No sound device is available (Connection refused)"
        // ...; empty for Finished.
        std::string detail;
        // DeviceFailed: the seconds of the track heard before the device was
        // lost; playing it from there resumes it.
        double resumeAt = 0;
    };

    using OutputFactory = std::function<std::unique_ptr<AudioOutput>()>;
    using DecoderFactory = std::function<std::unique_ptr<Decoder>()>;
    // Called on the worker thread with a track's id and how it ended.
    using EndedCallback = std::function<void(uint64_t trackId, const TrackEnd& end)>;
    enum class State { Stopped, Playing, Paused };

    PlaybackEngine(OutputFactory outputs, EndedCallback ended);
    ~PlaybackEngine();  // stops and joins the worker threads
    PlaybackEngine(const PlaybackEngine&) = delete;
    PlaybackEngine& operator=(const PlaybackEngine&) = delete;

    // Stops what plays (a tail still to be heard plays on), then opens the
    // stream with `decoders` (which may throw AppError; nothing is loaded
    // then). The factory is kept to open the stream again for a later play
    // after a stop or the end, and opens a second decoder on a thread of its
    // own that measures the length (see setMeasuredCallback). Waits for the
    // measuring thread of the load before: it is cancelled, and stops at its
    // next read of the file.
    // `opened`, when given, is the first decoder the factory would have
    // made, opened by the caller (away from this thread, say).
    void load(DecoderFactory decoders, std::unique_ptr<Decoder> opened = nullptr);
    // Whether play() has a decoder ready, and one to give it: after a stop or
    // an end, play() would otherwise open the stream with the factory itself.
    bool prepared() const { return static_cast<bool>(prepared_); }
    void prepare(std::unique_ptr<Decoder> decoder) { prepared_ = std::move(decoder); }
    // Forgets the loaded stream (after a stop). Waits for the measuring
    // thread as load() does.
    void unload();
    bool loaded() const { return static_cast<bool>(decoders_); }
    // Starts (or resumes) playback, a new track from `from` seconds; nothing
    // while playing. Throws AppError: ErrNo::FileNotFound with nothing
    // loaded, the decoder factory's errors, ErrNo::NoSoundDevice when the
    // output cannot be opened. Waits for the worker of the track before only
    // when the device cannot be opened while that worker still holds one
    // (stopped, or playing its last tail): that worker is stopped and waited
    // for a moment, and the device opened once more. It is also waited for
    // when no thread can be started for the new track.
    void play(double from = 0);
    void pause();
    // Stops at once, also a tail still playing; the position goes back to 0.
    // Never throws, never waits.
    void stop() noexcept;
    // Moves the playing or paused stream to `seconds`.
    void seek(double seconds);
    // How long a worker tries to open a failed device again before the track
    // ends (tests shorten it).
    void setDeviceRetry(std::chrono::milliseconds retry) { deviceRetry_ = retry; }

    State state() const;
    // The loaded stream's length in seconds; 0 until it has been measured.
    double duration() const;
    // Called (on the measuring thread) once the length of the load `id` is
    // known; the receiver then calls finishMeasuring on the engine's thread.
    void setMeasuredCallback(std::function<void(uint64_t id)> measured);
    // Called (on a worker thread) when the position of the track `trackId`
    // has come to rest other than where a call put it: a pause has been
    // taken (what was queued but not yet heard is dropped, so it rests where
    // the device had got to), a seek asked while paused has been taken, or
    // the tail of a track that ended has been heard out (the position is 0
    // then). The receiver compares the id with sessionId().
    void setSettledCallback(std::function<void(uint64_t trackId)> settled);
    // True when `id` is the current load and its length is known (its
    // measuring thread, which has told it, is then reaped); false for a
    // stale report.
    bool finishMeasuring(uint64_t id);
    // Seconds heard of the current track (the one last played): a track
    // handed over behind a tail is at 0 until the tail is out. 0 when
    // nothing plays.
    double position() const;
    // Whether the position runs on by itself: a track plays (not paused), or
    // the tail of one that ended is still heard. Otherwise it moves only by
    // a call or with a settled report.
    bool positionRuns() const;
    uint64_t sessionId() const { return currentId_; }
    // Called (on the engine's thread) when the ended callback of `id`
    // arrives: true when `id` is the current track, which is then closed (the
    // state becomes Stopped); false for a stale report. A worker that has
    // already ended altogether is reaped.
    bool finishSession(uint64_t id);

    struct Session;
    // A thread joined when it ends within a time limit, else left to end by
    // itself (stuck in a read of a file that does not answer).
    class BoundedThread;
    struct Reports;

private:
    struct Track;

    bool running() const;  // the current track plays or is paused
    // Hands `track` to the worker playing the tail of the track before in a
    // device open for the format of `track`, to follow that tail without a
    // gap. False, and `track` is left as it was, when no such worker takes it.
    bool handToTail(std::unique_ptr<Track>& track);
    // A new device open for `rate` and `channels`. When it cannot be opened
    // while the worker before still holds its device, that worker is stopped
    // and joined and the device opened once more. Throws the open's AppError.
    std::unique_ptr<AudioOutput> openDevice(int rate, int channels);

    OutputFactory outputs_;
    std::shared_ptr<Reports> reports_;  // the callbacks, dropped once the engine is gone
    DecoderFactory decoders_;
    std::unique_ptr<Decoder> prepared_;  // opened by load, not yet played
    // The length of what is loaded, measured on a thread of its own.
    std::shared_ptr<std::atomic<double>> length_;
    std::shared_ptr<std::atomic<bool>> measureCancel_;
    std::unique_ptr<BoundedThread> measurer_;
    uint64_t loads_ = 0;
    void measure();
    void stopMeasuring();
    std::shared_ptr<Session> session_;  // the newest worker's
    // The newest worker; each worker waits for its predecessor to release
    // the device, a stopped one for a moment only.
    std::unique_ptr<BoundedThread> worker_;
    std::chrono::milliseconds deviceRetry_{5000};
    uint64_t nextId_ = 0;
    uint64_t currentId_ = 0;  // the track last started; 0 for none
    bool currentEnded_ = true;
};
