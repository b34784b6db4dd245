#pragma once
// Where the listener is. The worker tells its Playhead what it gave the
// device (silence, tracks, what it took back) and what the device says at
// each reading: how much of what it holds is still to be heard, or that it
// cannot tell, and whether it plays. From that the Playhead works out the
// position heard, of the track heard now and of the one heard next, which
// the worker publishes as a Heard. The rules, in the order they apply:
// - a device that does not play hears nothing more (one that played at the
//   last reading heard what the clock allows since: it may have run dry);
// - one that cannot tell has heard, since the last reading, what the clock
//   allows, if it told what it had played then and played (not after a
//   restart: its sink may hold a while before anything is heard), or all
//   the clock allows once it has not told for a second;
// - nothing counts as heard beyond what the clock allows since the device
//   last started to play (a device's count may run ahead after a restart),
//   nor beyond what the clock allows since it was written (a device that
//   ran dry while the worker waited for its file starts it only then), nor
//   past what was written.
// The position shown never goes back: where what the device has played
// falls behind what was shown, it stands still until the sound catches up.
// What is still to be heard (secondsHeld, the tail's timing) and the place to
// go on from after a failure are what the device has played.
// No thread of its own and no lock: the worker owns it.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

// A file's length in seconds, measured apart from its playback; below 0
// until it is known.
using Length = std::shared_ptr<std::atomic<double>>;
// A known length, or no limit while it is measured or when it could not be
// (0 is told then: a stream that has any frame lasts longer than that).
double Limit(const Length& length);

// The position heard and the track it is of, as the engine's thread reads
// it: between readings it runs on by the clock (once it has waited for the
// sound to catch up), but never past what the device held of the track heard
// then. Behind it the device may hold the start of the track handed over
// next, heard from where it begins once what is in front is out. A plain
// value: the worker's Session guards it.
class Heard {
public:
    using Clock = std::chrono::steady_clock;
    struct Stretch {
        uint64_t track = 0;  // 0: silence
        double at = 0;       // seconds of the track heard at the reading
        double runOn = 0;    // seconds of it the device held then, and plays
        double from = 0;     // seconds after the reading it begins to be heard
    };
    void store(Clock::time_point now, const Stretch& heardNow, const Stretch& next) {
        now_ = heardNow;
        then_ = next;
        readAt_ = now;
    }
    void store(Clock::time_point now, const Stretch& heardNow) { store(now, heardNow, Stretch{}); }
    // `track` rests at the place it is heard at now; nothing is known to
    // follow it.
    void settle(Clock::time_point now, uint64_t track) { store(now, {track, of(track, now), 0, 0}); }
    // The position of `track`: 0 when it is neither heard now nor next.
    double of(uint64_t track, Clock::time_point now) const;

private:
    Stretch now_, then_;
    Clock::time_point readAt_ = Clock::now();
};

class Playhead {
public:
    using Clock = std::chrono::steady_clock;
    // A stretch of what the device holds: silence, or a part of a track.
    struct Piece {
        uint64_t id = 0;  // 0: silence
        double base = 0;  // seconds of the track where `written` begins
        int64_t written = 0;
        Length length;
        int64_t from = -1;  // the decoder's frame at `base`; -1: not known (the format changed)
    };
    struct Reading {
        Heard::Stretch now, next;
    };

    explicit Playhead(int rate) : rate_(rate) {}

    // The device holds nothing (it was opened, or dropped what it held):
    // `track` is written from here on, and the clock starts afresh. A new
    // rate applies from here.
    void restart(Clock::time_point now, const Piece& track, int rate);
    void restart(Clock::time_point now, const Piece& track) { restart(now, track, rate_); }
    // Silence written in front of the track, before any of it, at the
    // restart.
    void lead(int64_t frames);
    // Silence written behind what is held, `now`.
    void trail(int64_t frames, Clock::time_point now);
    // A track handed over, written behind what is held.
    void follow(const Piece& track);
    // Frames of the last track written `now`; taken back (never heard).
    void wrote(int64_t frames, Clock::time_point now);
    void tookBack(int64_t frames);
    // The device plays again after it was held: nothing was heard
    // meanwhile, and the clock counts from now.
    void resume(Clock::time_point now);

    // A reading of the device: `unheard` frames of what it holds are still
    // to be heard (nothing: it cannot tell), and whether it plays now.
    Reading read(Clock::time_point now, std::optional<int64_t> unheard, bool playing);

    // Seconds still to be heard of what is held, as of the last reading.
    double secondsHeld() const { return static_cast<double>(written_ - heard_) / rate_; }
    // Where `track` stood at the last reading the device could tell: the
    // place to go on from when it failed. Where the device's part of it
    // begins when none told it yet.
    double placeOf(uint64_t track) const;
    // The track being written.
    Piece& current() { return pieces_.back(); }
    // Frames given to the device since it last held nothing.
    int64_t written() const { return written_; }
    // The device told what it had played at the last reading.
    bool told() const { return told_; }

private:
    int64_t heardBy(Clock::time_point now, std::optional<int64_t> unheard, bool playing) const;
    std::vector<int64_t> heldOf(int64_t total) const;
    void noteTold();
    Reading reading();
    Heard::Stretch stretch(size_t k, int64_t held, bool playing) const;
    void noteWrite(int64_t frames, Clock::time_point now);
    int64_t clockFrames(Clock::duration d, double tolerance) const;

    int rate_;
    std::deque<Piece> pieces_;  // oldest first: the one in front is heard now
    int64_t written_ = 0;       // since the last restart
    int64_t heard_ = 0;         // of those, heard as of the last reading
    Clock::time_point readAt_{};
    bool playing_ = false;          // at the last reading
    bool told_ = false;             // then the device told what it had played (or played nothing)
    Clock::time_point lastTold_{};  // when it last did (or started)
    // What was shown at the last reading, whether it runs on from there, and
    // up to where (what was written then).
    int64_t shown_ = 0;
    bool shownRuns_ = false;
    int64_t shownWaits_ = 0;  // frames it waits first, for the sound to catch up
    int64_t shownUpTo_ = 0;
    // The clock's limit: what was heard when the device last started.
    Clock::time_point startedAt_{};
    int64_t heardAtStart_ = 0;
    // The last few writes: what was written before each, and when.
    struct Write {
        int64_t before;
        Clock::time_point at;
    };
    std::deque<Write> writes_;
    // The last place the device told, of the track being written then.
    uint64_t toldTrack_ = 0;
    double toldAt_ = 0;
};
