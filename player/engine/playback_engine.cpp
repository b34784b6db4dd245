// The engine's public side, all on the engine's thread: it loads a stream
// (its length measured on a thread of its own), starts a worker per track
// (or hands the track to the worker playing the tail of the one before) and
// passes requests to the newest worker's Session. It never opens the device
// and never waits for a worker longer than a moment.
#include "engine/playback_engine.h"

#include "common/app_error.h"
#include "common/deadline.h"
#include "engine/engine_session.h"

#include <algorithm>

namespace {
// How long a stopped worker (or a measuring thread that has told its length)
// is waited for before it is taken to be stuck in a read and left to itself.
constexpr auto kStuckAfter = std::chrono::milliseconds(300);
// How long a new worker waits for the one before to play out the tail of a
// track in another format.
constexpr auto kTailAtMost = std::chrono::milliseconds(10000);
}  // namespace

PlaybackEngine::PlaybackEngine(OutputFactory outputs, Callbacks callbacks)
    : outputs_(std::move(outputs)), reports_(std::make_shared<Reports>(std::move(callbacks))) {}

PlaybackEngine::PlaybackEngine(OutputFactory outputs, EndedCallback ended)
    : PlaybackEngine(std::move(outputs), Callbacks{std::move(ended), nullptr, nullptr, nullptr}) {}

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
    track->decoder = std::move(decoder);

    if (from <= 0 && !paused && handToTail(track)) return;
    std::shared_ptr<Session> session;
    try {
        track->id = nextId_ + 1;
        std::unique_ptr<AudioOutput> output = outputs_();
        output->setDevice(device_);
        session = std::make_shared<Session>(std::move(output), reports_, deviceRetry_, *track, paused, equalizer_);
    } catch (...) {
        prepared_ = std::move(track->decoder);
        throw;
    }
    // A worker still playing a tail is let finish it first: a device of
    // another format follows it, not mixed in. A stopped one releases its
    // device at once, unless it is stuck in a read of its file: it is left
    // to itself then.
    std::shared_ptr<BoundedThread> previous(std::move(worker_));
    const bool previousStopped = !session_ || session_->stopped();  // stop() let go of its session
    try {
        worker_ =
            std::make_unique<BoundedThread>([session, previous, previousStopped, track = std::move(track)]() mutable {
                if (previous) previous->joinWithin(previousStopped ? kStuckAfter : kTailAtMost);
                previous.reset();
                session->run(std::move(track));
            });
    } catch (...) {
        // No thread could be started: nothing plays, and the tail's worker
        // is waited for here.
        if (previous) previous->joinWithin(kStuckAfter);
        throw;
    }
    if (!previousStopped) tail_ = session_;
    currentId_ = ++nextId_;
    currentEnded_ = false;
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

void PlaybackEngine::setLevelling(const Decoder::Levelling& levelling) {
    if (levelling == levelling_) return;
    levelling_ = levelling;
    if (running()) session_->askLevelling(levelling);
}

void PlaybackEngine::setEqualizer(const EqualizerCurve& curve) {
    if (curve.soundsAs(equalizer_)) return;
    equalizer_ = curve;
    // Also to a tail that plays: a track handed to it goes on with it.
    if (session_) session_->askEqualizer(curve);
}

void PlaybackEngine::setOutputDevice(const std::string& name) {
    if (name == device_) return;
    device_ = name;
    if (session_) session_->askDevice(name);
}

void PlaybackEngine::fadeOutAndPause(double seconds) {
    if (running()) session_->askFadeOut(std::max(0.0, seconds));
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
