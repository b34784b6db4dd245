#include "engine/playhead.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace {
// A device's clock may run a little fast against the steady clock, and it
// may start a moment before the reading that first sees it play.
constexpr double kClockTolerance = 0.005;
constexpr std::chrono::milliseconds kStartSlack{20};
// How far a device's count may fall behind the clock, and back, between two
// readings: libpulse's interpolation is corrected at each timing update.
constexpr std::chrono::milliseconds kJitter{50};
// How long a device that plays may not tell what it played before the clock
// counts in its place.
constexpr std::chrono::milliseconds kUntoldAtMost{1000};
// Writes remembered for the clock's limit: more than the device holds.
constexpr size_t kWritesKept = 8;

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }
}  // namespace

double Limit(const Length& length) {
    const double v = length ? length->load() : 0.0;
    return v > 0 ? v : std::numeric_limits<double>::infinity();
}

double Heard::of(uint64_t track, Clock::time_point now) const {
    const double t = Seconds(now - readAt_);
    if (track != 0 && track == now_.track) return now_.at + std::clamp(t - now_.from, 0.0, now_.runOn);
    if (track != 0 && track == then_.track) return then_.at + std::clamp(t - then_.from, 0.0, then_.runOn);
    return 0.0;
}

void Playhead::restart(Clock::time_point now, const Piece& track, int rate) {
    rate_ = rate;
    pieces_.assign(1, track);
    written_ = track.written;
    heard_ = 0;
    readAt_ = now;
    playing_ = false;
    told_ = false;
    shown_ = 0;
    shownRuns_ = false;
    shownWaits_ = 0;
    shownUpTo_ = 0;
    startedAt_ = now;
    heardAtStart_ = 0;
    lastTold_ = now;
    writes_.clear();
    toldTrack_ = track.id;
    toldAt_ = track.base;
}

void Playhead::lead(int64_t frames) {
    pieces_.push_front({0, 0, frames, nullptr, -1});
    written_ += frames;
}

void Playhead::trail(int64_t frames, Clock::time_point now) {
    noteWrite(frames, now);
    pieces_.push_back({0, 0, frames, nullptr, -1});
    written_ += frames;
}

void Playhead::follow(const Piece& track) {
    pieces_.push_back(track);
    written_ += track.written;
}

void Playhead::wrote(int64_t frames, Clock::time_point now) {
    noteWrite(frames, now);
    pieces_.back().written += frames;
    written_ += frames;
}

void Playhead::noteWrite(int64_t frames, Clock::time_point now) {
    if (frames <= 0) return;
    writes_.push_back({written_, now});
    if (writes_.size() > kWritesKept) writes_.pop_front();
}

void Playhead::tookBack(int64_t frames) {
    pieces_.back().written -= frames;
    written_ -= frames;
    shownUpTo_ = std::min(shownUpTo_, written_);
    shown_ = std::min(shown_, written_);
    while (!writes_.empty() && writes_.back().before >= written_) writes_.pop_back();
}

void Playhead::resume(Clock::time_point now) {
    readAt_ = now;
    playing_ = false;
    shownRuns_ = false;
    startedAt_ = now;
    heardAtStart_ = heard_;
    lastTold_ = now;
}

int64_t Playhead::clockFrames(Clock::duration d, double tolerance) const {
    return static_cast<int64_t>(std::max(0.0, Seconds(d)) * (1 + tolerance) * rate_);
}

Playhead::Reading Playhead::read(Clock::time_point now, std::optional<int64_t> unheard, bool playing) {
    // What was shown since the last reading: it ran on by the clock while it
    // could (once it had waited for the sound), up to what the device held
    // then.
    const int64_t shown =
        shownRuns_ ? std::min(shown_ + std::max<int64_t>(0, clockFrames(now - readAt_, 0) - shownWaits_), shownUpTo_)
                   : shown_;
    heard_ = heardBy(now, unheard, playing);
    if (!playing) {
        startedAt_ = now;
        heardAtStart_ = heard_;
    }
    // A device silent for long is counted by the clock from then on.
    told_ = unheard || !playing || now - lastTold_ >= kUntoldAtMost;
    if (unheard || !playing) lastTold_ = now;
    readAt_ = now;
    playing_ = playing;
    // Shown never goes back: where the device is behind what was shown (it
    // started later than it seemed, its sink holds more), the position
    // stands still until the sound catches up, and runs on from there. A
    // count a little behind is the device's own jitter: the shown runs on.
    shownWaits_ = std::max<int64_t>(0, shown - heard_ - clockFrames(kJitter, 0));
    shown_ = std::max(shown, heard_);
    shownRuns_ = playing && told_;
    shownUpTo_ = written_;
    if (told_) noteTold();
    return reading();
}

// What the device has played, by the rules in the header.
int64_t Playhead::heardBy(Clock::time_point now, std::optional<int64_t> unheard, bool playing) const {
    // On by the clock from what it last told, while it played: one that ran
    // dry since has played what it held.
    const int64_t runOn = playing_ && told_ ? std::min(heard_ + clockFrames(now - readAt_, 0), shownUpTo_) : heard_;
    if (!playing) return runOn;
    int64_t heard = heard_;
    if (unheard)
        heard = written_ - std::clamp<int64_t>(*unheard, 0, written_);
    else if (playing_ && told_)
        heard = runOn;
    else if (now - lastTold_ >= kUntoldAtMost)
        heard = written_;  // as far as the clock's limits below allow
    heard = std::min(heard, heardAtStart_ + clockFrames(now - startedAt_ + kStartSlack, kClockTolerance));
    for (const Write& w : writes_)
        heard = std::min(heard, w.before + clockFrames(now - w.at + kStartSlack, kClockTolerance));
    return std::clamp<int64_t>(heard, 0, written_);
}

// What each piece still holds, from the back, of `total` heard in all.
std::vector<int64_t> Playhead::heldOf(int64_t total) const {
    std::vector<int64_t> held(pieces_.size());
    int64_t ahead = written_ - total;
    for (size_t k = pieces_.size(); k-- > 0;) {
        held[k] = std::min(ahead, std::max<int64_t>(0, pieces_[k].written));
        ahead -= held[k];
    }
    return held;
}

// The place of the track written last, as the device told it: the place to
// go on from after a failure.
void Playhead::noteTold() {
    const std::vector<int64_t> held = heldOf(heard_);
    for (size_t k = pieces_.size(); k-- > 0;) {
        if (!pieces_[k].id) continue;
        toldTrack_ = pieces_[k].id;
        toldAt_ = stretch(k, held[k], false).at;
        return;
    }
}

// The position shown of the piece heard now and of the first track behind
// it; pieces shown heard whole leave the front.
Playhead::Reading Playhead::reading() {
    std::vector<int64_t> held = heldOf(shown_);
    size_t front = 0;
    while (pieces_.size() > 1 && held[front] == 0) {
        pieces_.pop_front();
        ++front;
    }
    held.erase(held.begin(), held.begin() + static_cast<std::ptrdiff_t>(front));

    Reading r;
    r.now = stretch(0, held[0], shownRuns_);
    r.now.from = static_cast<double>(shownWaits_) / rate_;
    // The first track behind the one in front (past a silence, say) is heard
    // once all in front of it is.
    double inFront = r.now.from + static_cast<double>(held[0]) / rate_;
    for (size_t k = 1; k < pieces_.size(); ++k) {
        if (pieces_[k].id) {
            r.next = stretch(k, held[k], shownRuns_);
            r.next.from = inFront;
            break;
        }
        inFront += static_cast<double>(held[k]) / rate_;
    }
    return r;
}

Heard::Stretch Playhead::stretch(size_t k, int64_t held, bool playing) const {
    const Piece& p = pieces_[k];
    Heard::Stretch s{p.id, 0.0, playing ? static_cast<double>(held) / rate_ : 0.0, 0.0};
    if (p.id) {
        const double limit = Limit(p.length);
        s.at = std::min(p.base + static_cast<double>(p.written - held) / rate_, limit);
        s.runOn = std::min(s.runOn, limit - s.at);
    }
    return s;
}

double Playhead::placeOf(uint64_t track) const {
    if (track != 0 && track == toldTrack_) return toldAt_;
    for (auto it = pieces_.rbegin(); it != pieces_.rend(); ++it)
        if (it->id == track) return it->base;
    return 0.0;
}
