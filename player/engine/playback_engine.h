#pragma once
// Plays one Decoder through one AudioOutput on a worker thread. All methods
// are called from one thread (the UI thread); they only set flags the worker
// reads, so none of them waits for the worker, and the position is published
// through atomics. Each playback is a session with its own id: the worker
// reports the natural end of its session through the ended callback (on the
// worker thread), and the caller compares the id with sessionId() to drop a
// report that belongs to a session already stopped.
#include "audio_output.h"
#include "decoder.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

class PlaybackEngine {
public:
    using OutputFactory = std::function<std::unique_ptr<AudioOutput>()>;
    using DecoderFactory = std::function<std::unique_ptr<Decoder>()>;
    using EndedCallback = std::function<void(uint64_t sessionId)>;
    enum class State { Stopped, Playing, Paused };

    PlaybackEngine(OutputFactory outputs, EndedCallback ended);
    ~PlaybackEngine();  // stops and joins the worker threads
    PlaybackEngine(const PlaybackEngine&) = delete;
    PlaybackEngine& operator=(const PlaybackEngine&) = delete;

    // Stops what plays, then opens the stream with `decoders` (which may
    // throw AppError; nothing is loaded then). The factory is kept to open the
    // stream again for a later play after a stop or the end.
    void load(DecoderFactory decoders);
    // Forgets the loaded stream (after a stop).
    void unload();
    bool loaded() const { return static_cast<bool>(decoders_); }
    // Starts (or resumes) playback; nothing while playing. Throws AppError:
    // ErrNo::FileNotFound with nothing loaded, the decoder factory's errors,
    // ErrNo::NoSoundDevice when the output cannot be opened.
    void play();
    void pause();
    // Stops; the position goes back to 0. Never throws, never waits.
    void stop() noexcept;
    // Moves the playing or paused stream to `seconds`.
    void seek(double seconds);

    State state() const;
    double duration() const { return duration_; }
    // Seconds heard of the current session; 0 when stopped.
    double position() const;
    uint64_t sessionId() const;
    // Called (on the engine's thread) when the ended callback of `id` arrives:
    // true when `id` is the current session, which is then closed (the state
    // becomes Stopped); false for a stale report.
    bool finishSession(uint64_t id);

    struct Session;

private:
    OutputFactory outputs_;
    EndedCallback ended_;
    DecoderFactory decoders_;
    std::unique_ptr<Decoder> prepared_;  // opened by load, not yet played
    double duration_ = 0;
    std::shared_ptr<Session> session_;
    std::thread worker_;  // the newest worker; each worker joins its predecessor
    uint64_t nextId_ = 0;
};
