#pragma once
// The worker of a Session: it opens the device, and then each step takes the
// requests of the engine's thread (stop, pause, seek, a next track,
// levelling, the equalizer) from the Session, under its mutex, and does one piece of the
// work of its phase: decode a chunk and write it without blocking, wait for
// room, or wait for the tail to be heard. The mutex is never held across
// decoding or output. The Worker itself is this thread's alone.
#include "engine/engine_session.h"
#include "engine/equalizer.h"
#include "engine/playhead.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

class PlaybackEngine::Session::Worker {
public:
    Worker(Session& session, std::unique_ptr<Track> track);
    void run();

private:
    using Clock = std::chrono::steady_clock;
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
        std::optional<EqualizerCurve> equalizer;
        std::optional<std::string> device;
        double fadeOut = -1;
    };

    bool openDevice();
    bool openTried(std::string& reason);
    void start();
    void leadIn();
    long writeSilence(int ms);  // what the device took of it
    bool step();                // false: the worker is done
    Requests takeRequests();
    bool hold(const Requests& asked);
    void release();
    void handOver(std::unique_ptr<Track> following);
    Phase restartAt(double seconds);
    void retune(Requests& asked, bool takeBack);
    bool changeOutput(const std::string& name);
    // What the device holds of the track and will not play for a moment yet
    // is taken back, to be decoded again. False when nothing could be.
    bool takeBackHeld();
    // The fade of a sleep timer: it begins with what is written next, and
    // once heard to its end the track pauses there.
    void startFade(double seconds);
    void applyFade(size_t frames);
    void noteFadeWritten(long frames);
    bool fadeHeard();
    void stopFade();
    bool writeChunk();
    bool starved();
    bool recoverDevice(const char* reason);
    bool reopenForNewFormat();
    void tellEndWhenDue();
    bool drainTail();
    void trailWithSilence();
    void finish();

    void noteStreamEnd();
    void lastQueued();  // nothing more to write: the end is noted, the tail timed
    void endWith(TrackEnd::Cause cause, std::string detail);
    void endOnException(const char* reason) noexcept;
    // "what (reason)", or `what` alone without a reason.
    static std::string WithReason(std::string what, const char* reason);
    void updateHeard();
    void settleHeard();
    void startTail();
    bool waitForTail();
    double heardOf(uint64_t track);
    size_t chunkFrames() const { return static_cast<size_t>(rate_) * kChunkMs / 1000; }
    // The frames to decode next: to the end of the device's next request,
    // so that what was written before (a lead of silence, the end of the
    // track before) does not split each request in two writes.
    size_t framesToRequestEnd() const {
        return chunkFrames() - static_cast<size_t>(playhead_.written()) % chunkFrames();
    }

    // Decoded and written in pieces of half a second: as much as the device
    // asks for when it has room, so one write answers each of its requests
    // (each write also wakes the sound server).
    static constexpr int kChunkMs = 500;

    Session& s_;
    std::unique_ptr<Track> track_;
    int rate_ = 0;  // the format the device is open for (the Session tells it too)
    int channels_ = 0;
    TrackEnd end_;  // how the track ends, as far as is known
    std::vector<int16_t> buffer_;
    size_t bufFrames_ = 0, bufPos_ = 0;
    Playhead playhead_;
    Equalizer eq_;  // on every frame written, the silences too
    Phase phase_ = Phase::Writing;
    bool trailed_ = false;  // the silence behind the tail is written
    bool stopped_ = false;
    bool held_ = false;  // paused, the device holding what it has
    // The device failed and has not taken a frame of the track since: the
    // retries go on until retryUntil_, however often it reopens.
    bool recovering_ = false;
    Clock::time_point retryUntil_{};
    Clock::time_point tailHeard_{};  // when the last frame queued will have been heard
    // A fade: its length and how much of it was written (0: none); once all
    // of it is written, when its end will have been heard and where in the
    // track. One asked in the track's last moments waits for the next.
    int64_t fadeFrames_ = 0, fadeDone_ = 0;
    std::optional<Clock::time_point> fadeEndsAt_;
    double fadeEndsOn_ = 0;
    double fadeAsked_ = -1;
    // Since when the device, asked for room, has taken nothing.
    std::optional<Clock::time_point> starvedSince_;
};
