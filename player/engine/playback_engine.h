#pragma once
// Plays Decoders through an AudioOutput on a worker thread.
//
// Threads and locks
// - The engine's thread (the UI thread) calls every public method and alone
//   owns what PlaybackEngine holds: the loaded stream, the current track's
//   id, the newest worker and its Session.
// - A worker thread plays one Session (a device and the tracks handed to it)
//   and owns its Worker: the device from open to close (an open may wait a
//   few seconds for a sound server), the track, what the device holds and
//   the position worked out from it (its Playhead), the phase. What
//   the two threads share is the Session's, GUARDED_BY Session::mutex:
//   requests (stop, pause, seek, a next track, levelling, the equalizer), whether a next track is
//   taken, the format, the position heard, whether the worker has finished.
//   Pause is one value there (Off, Asked, Held).
// - A measuring thread shares atomics (the length and its cancel flag) and
//   the callbacks.
// - Callbacks run on a worker or measuring thread with no lock held.
// Lock order: none; no thread holds two locks at once, nor one across
// decoding, output, a wait for a thread or a callback. AudioOutput::interrupt()
// is the one call the engine's thread makes on a device; it never opens one.
//
// No method waits for a thread that reads a file (a worker, the measuring
// thread) longer than a moment: one stuck in a read of a file that no longer
// answers (a stalled network share) is left to end by itself, and its
// reports are dropped once the engine is gone.
//
// Each file played is a track with its own id: the worker reports the end of
// a track through the ended callback as soon as its last frame is queued and
// at most half a second of it is left to hear, while that tail still plays;
// the caller compares the id with sessionId() to drop a report that belongs
// to a track already stopped. A track of the same format started during that
// tail is played on by the same worker into the same open device, so the
// files join without a gap; the device is closed only once the last tail has
// been heard (the settled callback tells when).
//
// A device that fails while a track plays (the sound server went away, or
// hangs and takes nothing for a few seconds) does not end the track: the
// worker opens the device again every quarter of a second and, once it
// opens, goes on from the point last heard. Only when it stays away for the
// retry time does the track end, as DeviceFailed, telling where it was. A
// device that cannot be opened at all ends the track the same way, at once.
#include "common/equalizer_curve.h"
#include "engine/audio_output.h"
#include "engine/decoder.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class BoundedThread;

class PlaybackEngine {
public:
    // How a track ended. Every end the worker reports carries one; a track
    // that is stopped reports none.
    struct TrackEnd {
        enum class Cause {
            Finished,      // the file was decoded to its last frame
            ReadFailed,    // the file could not be read (or decoded, or sought) further
            DeviceFailed,  // the device could not be opened, failed, could not be reopened for a new format, or
                           // playback threw
        };
        Cause cause = Cause::Finished;
        // Frames of this track the worker wrote to the device, at the rate of
        // each write, over the whole time the track played: a seek neither
        // resets the count nor adds what it skipped (it goes on counting
        // what is written from the new point), frames that a pause or seek
        // dropped unheard stay counted (not those taken back to be written
        // again), and the lead of silence in front of a freshly opened
        // device is not counted. The count is complete when
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
    // What the engine reports, each called on the thread that knows it
    // (never the engine's), with no lock held. They may run until the
    // engine's destructor returns, never after.
    struct Callbacks {
        // A track's id and how it ended (on its worker).
        std::function<void(uint64_t trackId, const TrackEnd& end)> ended;
        // The length of the load `id` is known (on the measuring thread); the
        // receiver then calls finishMeasuring on the engine's thread.
        std::function<void(uint64_t id)> measured;
        // The position of the track `trackId` has come to rest other than
        // where a call put it (on its worker): a pause has been taken (it
        // rests where the device had got to), a fade has ended in a pause
        // (the state is Paused then too), a seek asked while paused has been
        // taken, or the tail of a track that ended has been heard out (the
        // position is 0 then). The receiver compares the id with
        // sessionId().
        std::function<void(uint64_t trackId)> settled;
        // What became of the output chosen (on a worker).
        AudioOutput::Notices notice;
    };
    using EndedCallback = decltype(Callbacks::ended);
    enum class State { Stopped, Playing, Paused };

    PlaybackEngine(OutputFactory outputs, Callbacks callbacks);
    PlaybackEngine(OutputFactory outputs, EndedCallback ended);
    // Stops; waits a moment for the newest worker and for callbacks already
    // running, then leaves a thread stuck in a read to itself.
    ~PlaybackEngine();
    PlaybackEngine(const PlaybackEngine&) = delete;
    PlaybackEngine& operator=(const PlaybackEngine&) = delete;

    // Stops what plays (a tail still to be heard plays on), then opens the
    // stream with `decoders` (which may throw AppError; nothing is loaded
    // then). The factory is kept to open the stream again for a later play
    // after a stop or the end, and opens a second decoder on a thread of its
    // own that measures the length (the measured callback tells when). The
    // measuring thread of the load before is cancelled and not waited for:
    // it stops at its next read of the file.
    // `opened`, when given, is the first decoder the factory would have
    // made, opened by the caller (away from this thread, say).
    void load(DecoderFactory decoders, std::unique_ptr<Decoder> opened = nullptr);
    // Whether play() has a decoder ready, and one to give it: after a stop or
    // an end, play() would otherwise open the stream with the factory itself.
    bool prepared() const { return static_cast<bool>(prepared_); }
    void prepare(std::unique_ptr<Decoder> decoder) { prepared_ = std::move(decoder); }
    // Forgets the loaded stream (after a stop). Its measuring thread is
    // cancelled as by load().
    void unload();
    bool loaded() const { return static_cast<bool>(decoders_); }
    // Starts (or resumes) playback, a new track from `from` seconds; nothing
    // while playing. Throws AppError: ErrNo::FileNotFound with nothing
    // loaded, the decoder factory's errors. The device is opened by the
    // track's worker, once the worker before has released its own: one that
    // cannot be opened ends the track as DeviceFailed. The worker before is
    // waited for here only when no thread can be started for the new track.
    // With `paused`, the track is held at `from` as after a pause, nothing
    // of it heard; play() resumes it.
    void play(double from = 0, bool paused = false);
    void pause();
    // Stops at once, also a tail still playing; the position goes back to 0.
    // Never throws, never waits.
    void stop() noexcept;
    // Moves the playing or paused stream to `seconds`.
    void seek(double seconds);
    // Volume levelling for what plays now and for every stream opened later.
    // What the device holds of the track and can take back (see
    // AudioOutput::takeBack) is decoded again at the new level, so the
    // change is heard in a moment; otherwise it is heard once that has
    // played. The position stays.
    void setLevelling(const Decoder::Levelling& levelling);
    // The equalizer for what plays now (heard as soon as a new level is, the
    // same way) and for every stream opened later.
    void setEqualizer(const EqualizerCurve& curve);
    // The output to play on (see AudioOutput::setDevice): what plays goes
    // there now, opened again there if need be, and every stream later.
    void setOutputDevice(const std::string& name);
    // Fades what plays out over `seconds` (in the samples, not the master
    // volume: nothing else on the desktop fades), then pauses where the fade
    // ended; what plays after the pause is at the full level again. A pause
    // or seek meanwhile ends the fade; one asked in a track's last moments
    // begins with the track handed over next.
    void fadeOutAndPause(double seconds);
    // How long a worker tries to open a failed device again before the track
    // ends (tests shorten it).
    void setDeviceRetry(std::chrono::milliseconds retry) { deviceRetry_ = retry; }

    State state() const;
    // The loaded stream's length in seconds; 0 until it has been measured.
    double duration() const;
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
    struct Reports;

private:
    struct Track;

    bool running() const;  // the current track plays or is paused
    // Hands `track` to the worker playing the tail of the track before in a
    // device open for the format of `track`, to follow that tail without a
    // gap. False, and `track` is left as it was, when no such worker takes it.
    bool handToTail(std::unique_ptr<Track>& track);
    void measure();
    void stopMeasuring();

    // All of these are the engine thread's own.
    OutputFactory outputs_;
    std::shared_ptr<Reports> reports_;  // the callbacks, dropped once the engine is gone
    DecoderFactory decoders_;
    std::unique_ptr<Decoder> prepared_;  // opened by load, not yet played
    // The length of what is loaded, measured on a thread of its own: below 0
    // until it is known.
    std::shared_ptr<std::atomic<double>> length_;
    std::shared_ptr<std::atomic<bool>> measureCancel_;
    std::unique_ptr<BoundedThread> measurer_;
    uint64_t loads_ = 0;
    std::shared_ptr<Session> session_;  // the newest worker's
    // The worker before it, playing out the tail of a track in another
    // format while the newest waits for the device: stop() stops it too.
    std::weak_ptr<Session> tail_;
    // The newest worker; each worker waits for its predecessor to release
    // the device, a stopped one for a moment only.
    std::unique_ptr<BoundedThread> worker_;
    std::chrono::milliseconds deviceRetry_{5000};
    Decoder::Levelling levelling_;
    EqualizerCurve equalizer_;
    std::string device_;
    uint64_t nextId_ = 0;
    uint64_t currentId_ = 0;  // the track last started; 0 for none
    bool currentEnded_ = true;
};
