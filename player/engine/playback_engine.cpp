// The worker loop: decode a chunk, write it without blocking, wait briefly
// for room, and between chunks look at the requests of the UI thread (stop,
// pause, seek) under a mutex that is never held across decoding or output.
// At the end of the stream it polls the output until the last frame has been
// heard, closes output and decoder, and only then reports the end.
//
// A stopped worker is not joined by the UI thread: the request interrupts the
// worker's wait for room in the output, so it notices at once, releases its
// device and exits. The next worker joins it before it starts, and the
// destructor joins the newest one, so every thread is joined and no device or
// decoder outlives its session.
#include "playback_engine.h"

#include "app_error.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace {
constexpr int kWaitMs = 20;
// Room in the output is waited for until the device has played a period or a
// request interrupts the wait; the limit only bounds a device that never
// signals.
constexpr int kWriteWaitMs = 500;
constexpr size_t kChunkFrames = 2048;
}  // namespace

struct PlaybackEngine::Session {
    uint64_t id = 0;
    std::unique_ptr<Decoder> decoder;
    std::unique_ptr<AudioOutput> output;
    EndedCallback ended;

    std::mutex mutex;
    std::condition_variable wake;
    bool cancel = false;        // guarded by mutex
    bool pause = false;         // guarded by mutex
    double seekTo = -1;         // guarded by mutex; < 0: none
    std::atomic<bool> finished{false};  // the worker has ended by itself
    std::atomic<double> heard{0};
    double durationLimit = 0;

    void run();
};

void PlaybackEngine::Session::run() {
    std::vector<int16_t> buffer;
    size_t bufFrames = 0, bufPos = 0;
    int rate = decoder->rate();
    int channels = decoder->channels();
    buffer.resize(kChunkFrames * static_cast<size_t>(channels));
    double base = 0;      // seconds at the start of `written`
    int64_t written = 0;  // frames written since `base`
    bool endOfStream = false;
    bool paused = false;
    bool cancelled = false;
    std::chrono::steady_clock::time_point drainDeadline{};

    auto heardNow = [&] {
        long d = output->delay();
        double t = base + static_cast<double>(std::max<int64_t>(0, written - d)) / rate;
        return std::min(t, durationLimit);
    };
    auto restartAt = [&](double seconds) {
        output->drop();
        seconds = std::clamp(seconds, 0.0, durationLimit);
        if (!decoder->seek(static_cast<int64_t>(seconds * rate))) {
            endOfStream = true;
            drainDeadline = std::chrono::steady_clock::now();
        } else {
            endOfStream = false;
        }
        base = seconds;
        written = 0;
        bufFrames = bufPos = 0;
        heard.store(seconds);
    };

    try {
        for (;;) {
            bool wantPause = false;
            double seekTo = -1;
            {
                std::unique_lock<std::mutex> lock(mutex);
                if (paused && pause && !cancel && this->seekTo < 0)
                    wake.wait(lock, [&] { return cancel || !pause || this->seekTo >= 0; });
                if (cancel) {
                    cancelled = true;
                    break;
                }
                wantPause = pause;
                seekTo = this->seekTo;
                this->seekTo = -1;
            }
            if (seekTo >= 0) restartAt(seekTo);
            if (wantPause) {
                if (!paused && seekTo < 0) restartAt(heardNow());  // keep what was heard, drop the rest
                paused = true;
                continue;
            }
            paused = false;

            if (endOfStream) {
                if (output->drained() || std::chrono::steady_clock::now() > drainDeadline) break;
                heard.store(heardNow());
                std::unique_lock<std::mutex> lock(mutex);
                wake.wait_for(lock, std::chrono::milliseconds(kWaitMs),
                              [&] { return cancel || pause || this->seekTo >= 0; });
                continue;
            }

            if (bufPos == bufFrames) {
                size_t frames = 0;
                Decoder::Status st = decoder->read(buffer.data(), kChunkFrames, frames);
                if (st == Decoder::Status::End) {
                    endOfStream = true;
                    // Whatever the device claims, the end is reported at the latest
                    // a second after the queued frames should have been heard.
                    double queued = static_cast<double>(output->delay()) / rate;
                    drainDeadline = std::chrono::steady_clock::now() +
                                    std::chrono::milliseconds(static_cast<int64_t>(queued * 1000) + 1000);
                    continue;
                }
                if (st == Decoder::Status::FormatChanged) {
                    // Let the old format play out, then reopen the device.
                    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
                    bool stopNow = false;
                    while (!output->drained() && std::chrono::steady_clock::now() < deadline) {
                        std::unique_lock<std::mutex> lock(mutex);
                        if (wake.wait_for(lock, std::chrono::milliseconds(kWaitMs), [&] { return cancel; })) {
                            stopNow = true;
                            break;
                        }
                    }
                    if (stopNow) continue;  // the loop head sees the cancel
                    base = heardNow();
                    written = 0;
                    rate = decoder->rate();
                    channels = decoder->channels();
                    buffer.assign(kChunkFrames * static_cast<size_t>(channels), 0);
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

            long n = output->write(buffer.data() + bufPos * static_cast<size_t>(channels),
                                   static_cast<long>(bufFrames - bufPos));
            if (n < 0) break;  // the device failed: end the file cleanly
            bufPos += static_cast<size_t>(n);
            written += n;
            heard.store(heardNow());
            if (bufPos < bufFrames) output->waitWritable(kWriteWaitMs);
        }
    } catch (...) {
        // Out of memory or a device double that throws: the file ends here.
    }

    output->close();
    decoder.reset();
    if (!cancelled) {
        finished.store(true);
        if (ended) ended(id);
    }
}

PlaybackEngine::PlaybackEngine(OutputFactory outputs, EndedCallback ended)
    : outputs_(std::move(outputs)), ended_(std::move(ended)) {}

PlaybackEngine::~PlaybackEngine() {
    stop();
    if (worker_.joinable()) worker_.join();
}

void PlaybackEngine::load(DecoderFactory decoders) {
    stop();
    prepared_.reset();
    decoders_ = nullptr;
    duration_ = 0;
    if (!decoders) throw MakeError(ErrNo::FileNotFound);
    std::unique_ptr<Decoder> d = decoders();
    duration_ = d->duration();
    prepared_ = std::move(d);
    decoders_ = std::move(decoders);
}

void PlaybackEngine::unload() {
    stop();
    prepared_.reset();
    decoders_ = nullptr;
    duration_ = 0;
}

PlaybackEngine::State PlaybackEngine::state() const {
    if (!session_) return State::Stopped;
    std::lock_guard<std::mutex> lock(session_->mutex);
    return session_->pause ? State::Paused : State::Playing;
}

void PlaybackEngine::play() {
    if (session_) {
        std::lock_guard<std::mutex> lock(session_->mutex);
        session_->pause = false;
        session_->wake.notify_all();
        return;
    }
    if (!decoders_) throw MakeError(ErrNo::FileNotFound);
    std::unique_ptr<Decoder> decoder = std::move(prepared_);
    if (!decoder) {
        decoder = decoders_();
        duration_ = decoder->duration();
    }
    std::unique_ptr<AudioOutput> output = outputs_();
    try {
        try {
            output->open(decoder->rate(), decoder->channels());
        } catch (const AppError&) {
            // A device that allows one stream only may still be held by the
            // worker that was just stopped: wait for it once and retry.
            if (!worker_.joinable()) throw;
            worker_.join();
            output->open(decoder->rate(), decoder->channels());
        }
    } catch (...) {
        prepared_ = std::move(decoder);
        throw;
    }
    auto session = std::make_shared<Session>();
    session->id = ++nextId_;
    session->decoder = std::move(decoder);
    session->output = std::move(output);
    session->ended = ended_;
    session->durationLimit = duration_;
    std::thread previous = std::move(worker_);
    worker_ = std::thread([session, previous = std::move(previous)]() mutable {
        if (previous.joinable()) previous.join();
        session->run();
    });
    session_ = std::move(session);
}

void PlaybackEngine::pause() {
    if (!session_) return;
    {
        std::lock_guard<std::mutex> lock(session_->mutex);
        session_->pause = true;
        session_->wake.notify_all();
    }
    session_->output->interrupt();
}

void PlaybackEngine::stop() noexcept {
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
    if (!session_) return;
    seconds = std::clamp(seconds, 0.0, duration_);
    {
        std::lock_guard<std::mutex> lock(session_->mutex);
        session_->seekTo = seconds;
        session_->heard.store(seconds);
        session_->wake.notify_all();
    }
    session_->output->interrupt();
}

double PlaybackEngine::position() const { return session_ ? session_->heard.load() : 0.0; }

uint64_t PlaybackEngine::sessionId() const { return session_ ? session_->id : 0; }

bool PlaybackEngine::finishSession(uint64_t id) {
    if (!session_ || session_->id != id || !session_->finished.load()) return false;
    session_.reset();
    // The worker has released everything and is returning: reap it now.
    if (worker_.joinable()) worker_.join();
    return true;
}
