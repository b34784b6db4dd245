// The worker loop: decode a chunk, write it without blocking, wait for room,
// and between chunks look at the requests of the UI thread (stop, pause,
// seek, a next track) under a mutex that is never held across decoding or
// output.
//
// When a track's last frame is queued and no more than kEndLead of it is left
// to hear, its end is reported while that tail still plays: the UI thread's
// play-on then hands the next track to this worker,
// which writes it behind the tail into the same open device, so consecutive
// files join without a gap. Only when no next track comes does the worker
// close the device, and not before the tail has been heard: the device's
// count of what it still holds (which includes the sound server) says how
// long that takes when the last frame is queued. That count is read once: a
// device that has run dry may go on giving its last answer.
//
// A stopped worker is not joined by the UI thread: the request interrupts the
// worker's wait for room in the output, so it notices at once, releases its
// device and exits. The next worker joins it before it starts, and the
// destructor joins the newest one, so every thread is joined and no device or
// decoder outlives its worker.
#include "engine/playback_engine.h"

#include "common/app_error.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;
constexpr auto kWait = std::chrono::milliseconds(20);
// Room in the output is waited for until the device has played a period or a
// request interrupts the wait; the limit only bounds a device that never
// signals.
constexpr int kWriteWaitMs = 500;
// Decoded and written in pieces of about a third of a second: every write
// through the pulse plugin wakes its client thread as well as this one.
constexpr size_t kChunkFrames = 16384;
// Kept open a little longer than the device says it needs to play the tail.
constexpr auto kTailMargin = std::chrono::milliseconds(50);
constexpr int kLeadInMs = 50;
// How long before a track's last frame is heard its end is told: time for the
// UI thread to choose and open the next file before the tail runs out.
constexpr auto kEndLead = std::chrono::milliseconds(500);

// A file's length in seconds, measured apart from its playback; below 0
// until it is known.
using Length = std::shared_ptr<std::atomic<double>>;

struct Track {
    uint64_t id = 0;
    std::unique_ptr<Decoder> decoder;
    Length length;
};

// A known length, or no limit while it is measured or when it could not be
// (0 is told then: a stream that has any frame lasts longer than that).
double Limit(const Length& length) {
    const double v = length ? length->load() : 0.0;
    return v > 0 ? v : std::numeric_limits<double>::infinity();
}
}  // namespace

struct PlaybackEngine::Session {
    std::unique_ptr<AudioOutput> output;
    EndedCallback ended;

    std::mutex mutex;
    std::condition_variable wake;
    bool cancel = false;           // guarded by mutex
    bool pause = false;            // guarded by mutex
    double seekTo = -1;            // guarded by mutex; < 0: none
    bool accepting = false;        // guarded: the track has ended, its tail plays
    std::unique_ptr<Track> next;   // guarded: handed over during the tail
    int rate = 0;                  // guarded: the format the device is open for
    int channels = 0;              // guarded
    std::atomic<bool> finished{false};  // the worker has ended by itself
    // The position heard. The worker reads the device when it writes (about
    // twice a second); between its readings the position runs on by the
    // clock, but never past what the device held of the track heard then.
    class Heard {
    public:
        void store(double seconds, double runOn = 0) {
            std::lock_guard<std::mutex> lock(m_);
            at_ = seconds;
            runOn_ = runOn;
            readAt_ = Clock::now();
        }
        double load() const {
            std::lock_guard<std::mutex> lock(m_);
            const double since = std::chrono::duration<double>(Clock::now() - readAt_).count();
            return at_ + std::clamp(since, 0.0, runOn_);
        }

    private:
        mutable std::mutex m_;
        double at_ = 0;
        double runOn_ = 0;
        Clock::time_point readAt_{};
    } heard;

    void run(std::unique_ptr<Track> track);
};

void PlaybackEngine::Session::run(std::unique_ptr<Track> track) {
    std::vector<int16_t> buffer;
    size_t bufFrames = 0, bufPos = 0;
    int rate = track->decoder->rate();
    int channels = track->decoder->channels();
    // What the device holds, oldest first: a lead of silence, tails of tracks
    // that have ended, and last the track being written. A piece leaves the
    // front once all of it has been heard; the one in front is heard now.
    struct Piece {
        uint64_t id = 0;   // 0: silence
        double base = 0;   // seconds of the track where `written` begins
        int64_t written = 0;
        Length length;
    };
    std::deque<Piece> pieces;
    const auto current = [&]() -> Piece& { return pieces.back(); };
    bool endOfStream = false;
    bool endReported = false;
    bool paused = false;
    bool cancelled = false;
    Clock::time_point tailHeard{};  // when the last frame queued will have been heard

    // Seconds heard of the piece heard now, from what the device still holds.
    const auto updateHeard = [&] {
        int64_t ahead = std::max(0L, output->delay());
        std::vector<int64_t> unheard(pieces.size());
        for (size_t k = pieces.size(); k-- > 0;) {
            unheard[k] = std::min(ahead, std::max<int64_t>(0, pieces[k].written));
            ahead -= unheard[k];
        }
        size_t front = 0;
        while (pieces.size() > 1 && unheard[front] == 0) {
            pieces.pop_front();
            ++front;
        }
        const Piece& p = pieces.front();
        if (!p.id) {
            heard.store(0.0);
            return;
        }
        const double at = std::min(p.base + static_cast<double>(p.written - unheard[front]) / rate, Limit(p.length));
        heard.store(at, paused ? 0.0 : std::min(static_cast<double>(unheard[front]) / rate, Limit(p.length) - at));
    };
    // Notes when all that was written will have been heard, as the device
    // tells it now.
    const auto startTail = [&] {
        output->startQueued();
        const long d = std::max(0L, output->delay());
        tailHeard = Clock::now() + std::chrono::microseconds(static_cast<int64_t>(d) * 1000000 / rate);
    };
    // The position while the last tail plays alone: from the device, or from
    // the clock where the device has stopped counting.
    const auto updateTailHeard = [&] {
        updateHeard();
        if (pieces.size() > 1) return;
        const double left = std::chrono::duration<double>(tailHeard - Clock::now()).count();
        const double length = Limit(current().length);
        if (std::isfinite(length)) heard.store(std::max(heard.load(), length - std::max(0.0, left)));
    };
    // Everything in front of the track is gone (dropped or heard).
    const auto onlyTheTrack = [&] {
        while (pieces.size() > 1) pieces.pop_front();
    };
    const auto restartAt = [&](double seconds) {
        output->drop();
        onlyTheTrack();
        seconds = std::clamp(seconds, 0.0, Limit(track->length));
        endOfStream = !track->decoder->seek(static_cast<int64_t>(seconds * rate));
        if (endOfStream) startTail();
        current().base = seconds;
        current().written = 0;
        bufFrames = bufPos = 0;
        heard.store(seconds);
    };
    // Waits until the tail has been heard; true when a stop came first.
    const auto waitForTail = [&] {
        startTail();
        while (Clock::now() < tailHeard + kTailMargin) {
            updateHeard();
            std::unique_lock<std::mutex> lock(mutex);
            if (wake.wait_for(lock, kWait, [&] { return cancel; })) return true;
        }
        return false;
    };
    // A fresh stream may lose its first few milliseconds at the sound server:
    // let it lose silence, written in front of the track.
    const auto leadIn = [&] {
        const std::vector<int16_t> silence(static_cast<size_t>(rate / 1000 * kLeadInMs * channels), 0);
        const long n = output->write(silence.data(), static_cast<long>(silence.size() / static_cast<size_t>(channels)));
        if (n > 0) pieces.push_front({0, 0, n, 0});
    };

    try {
        buffer.resize(kChunkFrames * static_cast<size_t>(channels));
        pieces.push_back({track->id, 0, 0, track->length});
        leadIn();
        for (;;) {
            bool wantPause = false;
            double seekTo = -1;
            std::unique_ptr<Track> following;
            {
                std::unique_lock<std::mutex> lock(mutex);
                if (paused && pause && !cancel && this->seekTo < 0)
                    wake.wait(lock, [&] { return cancel || !pause || this->seekTo >= 0; });
                if (cancel) {
                    cancelled = true;
                    accepting = false;
                    break;
                }
                if (endOfStream && next) {
                    // A pause or seek that came with it is the new track's.
                    following = std::move(next);
                    accepting = false;
                } else if (endReported) {
                    // The end is told and the UI thread has moved on: a pause
                    // or seek that reaches the tail late is not the tail's.
                    this->seekTo = -1;
                } else {
                    wantPause = pause;
                    seekTo = this->seekTo;
                    this->seekTo = -1;
                }
            }

            if (following) {
                // Played on behind the tail of the track that ended.
                track = std::move(following);
                pieces.push_back({track->id, 0, 0, track->length});
                bufFrames = bufPos = 0;
                endOfStream = false;
                endReported = false;
                continue;
            }
            if (seekTo >= 0) restartAt(seekTo);
            if (endOfStream && !endReported && !wantPause) {
                // The last frame is queued: the end is told once at most
                // kEndLead of it is left, so that the next file can follow
                // while this tail plays.
                updateHeard();
                std::unique_lock<std::mutex> lock(mutex);
                if (Clock::now() < tailHeard - kEndLead) {
                    wake.wait_until(lock, tailHeard - kEndLead, [&] { return cancel || pause || this->seekTo >= 0; });
                    continue;
                }
                accepting = true;
                lock.unlock();
                endReported = true;
                if (ended) ended(track->id);
                continue;
            }
            if (wantPause) {
                if (!paused && seekTo < 0) {  // keep what was heard, drop the rest
                    updateHeard();
                    restartAt(pieces.size() > 1 ? 0.0 : heard.load());
                }
                paused = true;
                continue;
            }
            paused = false;

            if (endOfStream) {
                // The tail plays: wait for a next track, or close once it is heard.
                updateTailHeard();
                std::unique_lock<std::mutex> lock(mutex);
                if (!next && Clock::now() >= tailHeard + kTailMargin) {
                    accepting = false;
                    break;
                }
                wake.wait_for(lock, kWait, [&] { return cancel || next; });
                continue;
            }

            if (bufPos == bufFrames) {
                size_t frames = 0;
                const Decoder::Status st = track->decoder->read(buffer.data(), kChunkFrames, frames);
                if (st == Decoder::Status::End) {
                    endOfStream = true;
                    startTail();
                    continue;
                }
                if (st == Decoder::Status::FormatChanged) {
                    // Let the old format play out, then reopen the device.
                    if (waitForTail()) continue;  // the loop head sees the stop
                    onlyTheTrack();
                    current().base += static_cast<double>(current().written) / rate;
                    current().written = 0;
                    rate = track->decoder->rate();
                    channels = track->decoder->channels();
                    buffer.assign(kChunkFrames * static_cast<size_t>(channels), 0);
                    {
                        std::lock_guard<std::mutex> lock(mutex);
                        this->rate = rate;
                        this->channels = channels;
                    }
                    try {
                        output->open(rate, channels);
                    } catch (...) {
                        break;  // no device for the new format: the file ends here
                    }
                    continue;
                }
                bufFrames = frames;
                bufPos = 0;
            }

            const long n = output->write(buffer.data() + bufPos * static_cast<size_t>(channels),
                                         static_cast<long>(bufFrames - bufPos));
            if (n < 0) break;  // the device failed: end the file cleanly
            bufPos += static_cast<size_t>(n);
            current().written += n;
            updateHeard();
            if (bufPos < bufFrames) output->waitWritable(kWriteWaitMs);
        }
    } catch (...) {
        // Out of memory or a device double that throws: the file ends here.
    }

    {
        std::lock_guard<std::mutex> lock(mutex);
        accepting = false;
        next.reset();
    }
    output->close();
    const uint64_t id = track->id;
    track.reset();
    finished.store(true);
    if (!cancelled && !endReported && ended) ended(id);
}

PlaybackEngine::PlaybackEngine(OutputFactory outputs, EndedCallback ended)
    : outputs_(std::move(outputs)), ended_(std::move(ended)) {}

PlaybackEngine::~PlaybackEngine() {
    stop();
    stopMeasuring();
    if (worker_.joinable()) worker_.join();
}

void PlaybackEngine::stopMeasuring() {
    if (measureCancel_) measureCancel_->store(true);
    if (measurer_.joinable()) measurer_.join();
    measureCancel_.reset();
}

void PlaybackEngine::measure() {
    stopMeasuring();
    length_ = std::make_shared<std::atomic<double>>(-1.0);
    measureCancel_ = std::make_shared<std::atomic<bool>>(false);
    const uint64_t id = ++loads_;
    // A second decoder over the same stream, on a thread of its own: a long
    // file is scanned while it already plays.
    measurer_ = std::thread([decoders = decoders_, length = length_, cancel = measureCancel_, told = measured_, id] {
        double seconds = 0;
        try {
            seconds = decoders()->measure(cancel.get());
        } catch (...) {
            // No length: 0 is told, and playback ends where decoding fails.
        }
        if (cancel->load()) return;
        length->store(seconds);
        if (told) told(id);
    });
}

bool PlaybackEngine::finishMeasuring(uint64_t id) {
    if (id != loads_ || !length_ || length_->load() < 0) return false;
    if (measurer_.joinable()) measurer_.join();
    return true;
}

bool PlaybackEngine::running() const { return session_ && !currentEnded_; }

void PlaybackEngine::load(DecoderFactory decoders) {
    // What plays stops; a tail after the end of a file plays on, for the
    // next track to follow it.
    if (running()) stop();
    stopMeasuring();
    prepared_.reset();
    decoders_ = nullptr;
    length_.reset();
    if (!decoders) throw MakeError(ErrNo::FileNotFound);
    prepared_ = decoders();
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
    std::lock_guard<std::mutex> lock(session_->mutex);
    return session_->pause ? State::Paused : State::Playing;
}

void PlaybackEngine::play() {
    if (running()) {
        std::lock_guard<std::mutex> lock(session_->mutex);
        session_->pause = false;
        session_->wake.notify_all();
        return;
    }
    if (!decoders_) throw MakeError(ErrNo::FileNotFound);
    std::unique_ptr<Decoder> decoder = std::move(prepared_);
    if (!decoder) decoder = decoders_();
    auto track = std::make_unique<Track>();
    track->length = length_;
    const int rate = decoder->rate(), channels = decoder->channels();
    track->decoder = std::move(decoder);

    // Behind the tail of the track before, in the same device?
    if (session_) {
        std::lock_guard<std::mutex> lock(session_->mutex);
        if (session_->accepting && !session_->cancel && session_->rate == rate && session_->channels == channels) {
            track->id = ++nextId_;
            currentId_ = track->id;
            currentEnded_ = false;
            session_->next = std::move(track);
            session_->accepting = false;
            // What was asked of the track that ended goes with it.
            session_->pause = false;
            session_->seekTo = -1;
            session_->wake.notify_all();
            return;
        }
    }

    std::unique_ptr<AudioOutput> output = outputs_();
    try {
        try {
            output->open(rate, channels);
        } catch (const AppError&) {
            // A device that allows one stream only may still be held by the
            // worker that was just stopped (or plays its last tail): wait for
            // it once and retry.
            if (!worker_.joinable()) throw;
            if (session_) {
                std::lock_guard<std::mutex> lock(session_->mutex);
                session_->cancel = true;
                session_->wake.notify_all();
            }
            if (session_) session_->output->interrupt();
            worker_.join();
            output->open(rate, channels);
        }
    } catch (...) {
        prepared_ = std::move(track->decoder);
        throw;
    }
    track->id = ++nextId_;
    currentId_ = track->id;
    currentEnded_ = false;
    auto session = std::make_shared<Session>();
    session->output = std::move(output);
    session->ended = ended_;
    session->rate = rate;
    session->channels = channels;
    // A worker still playing a tail is let finish it first: a device of
    // another format follows it, not mixed in.
    auto previous = std::make_shared<std::thread>(std::move(worker_));
    try {
        worker_ = std::thread([session, previous, track = std::move(track)]() mutable {
            if (previous->joinable()) previous->join();
            session->run(std::move(track));
        });
    } catch (...) {
        // No thread could be started: nothing plays, and the tail's worker
        // is waited for here.
        currentEnded_ = true;
        if (previous->joinable()) previous->join();
        throw;
    }
    session_ = std::move(session);
}

void PlaybackEngine::pause() {
    if (!running()) return;
    {
        std::lock_guard<std::mutex> lock(session_->mutex);
        if (session_->accepting) return;  // ended: its end is on its way here
        session_->pause = true;
        session_->wake.notify_all();
    }
    session_->output->interrupt();
}

void PlaybackEngine::stop() noexcept {
    currentEnded_ = true;
    if (!session_) return;
    {
        std::lock_guard<std::mutex> lock(session_->mutex);
        session_->cancel = true;
        session_->wake.notify_all();
    }
    session_->output->interrupt();
    session_.reset();
}

void PlaybackEngine::seek(double seconds) {
    if (!running()) return;
    seconds = std::clamp(seconds, 0.0, Limit(length_));
    {
        std::lock_guard<std::mutex> lock(session_->mutex);
        if (session_->accepting) return;  // ended: its end is on its way here
        session_->seekTo = seconds;
        session_->heard.store(seconds);
        session_->wake.notify_all();
    }
    session_->output->interrupt();
}

double PlaybackEngine::position() const {
    return session_ && !session_->finished.load() ? session_->heard.load() : 0.0;
}

bool PlaybackEngine::finishSession(uint64_t id) {
    if (id != currentId_ || currentEnded_) return false;
    currentEnded_ = true;
    // A worker that has ended altogether is returning: reap it now.
    if (session_ && session_->finished.load() && worker_.joinable()) worker_.join();
    return true;
}
