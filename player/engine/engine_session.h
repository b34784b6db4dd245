#pragma once
// What the engine's thread shares with a worker: the callbacks (Reports), a
// track handed to a worker (Track), and the worker's Session, whose state is
// guarded by its mutex. The engine's thread asks (stop, pause, seek, a next
// track, levelling, the equalizer) through the methods marked so; the worker takes the
// requests and tells its state and the position heard. See
// playback_engine.h for who owns what.
#include "common/equalizer_curve.h"
#include "common/thread_safety.h"
#include "engine/playback_engine.h"
#include "engine/playhead.h"

#include <condition_variable>
#include <optional>

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
    void tellNotice(AudioOutput::Notice what, const std::string& output) {
        call([&] {
            if (callbacks.notice) callbacks.notice(what, output);
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

struct PlaybackEngine::Session {
    enum class Pause {
        Off,
        Asked,  // pause() was called; the worker has not taken it yet
        Held,   // the worker holds what is not yet heard (or dropped it) and waits
    };

    // `device` is not open yet: the worker opens it for the track's format.
    Session(std::unique_ptr<AudioOutput> device, std::shared_ptr<Reports> r, std::chrono::milliseconds retry,
            const Track& track, bool held, const EqualizerCurve& curve)
        : output(std::move(device)),
          reports(std::move(r)),
          deviceRetry(retry),
          rate(track.decoder->rate()),
          channels(track.decoder->channels()) {
        heard.store(Heard::Clock::now(), {track.id, track.startAt});
        if (held) pause = Pause::Asked;  // taken before anything is written
        equalizer = curve;
        output->setNotices(
            [r = reports](AudioOutput::Notice what, const std::string& name) { r->tellNotice(what, name); });
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
    uint64_t requests GUARDED_BY(mutex) = 0;  // how many asks have interrupted the device
    Pause pause GUARDED_BY(mutex) = Pause::Off;
    double seekTo GUARDED_BY(mutex) = -1;                           // < 0: none
    std::unique_ptr<Track> next GUARDED_BY(mutex);                  // handed over during the tail
    std::optional<Decoder::Levelling> levelling GUARDED_BY(mutex);  // for the track that plays
    std::optional<EqualizerCurve> equalizer GUARDED_BY(mutex);
    std::optional<std::string> device GUARDED_BY(mutex);  // the output chosen
    double fadeOut GUARDED_BY(mutex) = -1;                // seconds of a fade then a pause; < 0: none
    // Told by the worker.
    bool accepting GUARDED_BY(mutex) = false;  // the track's end is told, its tail plays: a next one may follow
    int rate GUARDED_BY(mutex);                // the format the device is (or will be) open for
    int channels GUARDED_BY(mutex);
    bool finished GUARDED_BY(mutex) = false;  // the worker has released its device and track
    Heard heard GUARDED_BY(mutex);

    // A request that ends the worker's waits.
    bool asked() const REQUIRES(mutex) { return cancel || pause != Pause::Off || seekTo >= 0; }

    // ---- the engine's thread ----
    // `set` (under the lock) tells whether there is anything to ask; if so
    // the worker is woken, from its waits and from the device's.
    template <typename Set>
    void ask(Set set) EXCLUDES(mutex) {
        {
            MutexLock lock(mutex);
            if (!set()) return;
            ++requests;
            wake.notify_all();
        }
        output->interrupt();
    }

    void askStop() EXCLUDES(mutex) {
        ask([this]() REQUIRES(mutex) {
            cancel = true;
            return true;
        });
    }
    bool stopped() EXCLUDES(mutex) {
        MutexLock lock(mutex);
        return cancel;
    }
    void askPause() EXCLUDES(mutex) {
        ask([this]() REQUIRES(mutex) {
            if (accepting) return false;  // ended: its end is on its way
            if (pause == Pause::Off) pause = Pause::Asked;
            return true;
        });
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
        ask([&]() REQUIRES(mutex) {
            if (accepting) return false;  // ended: its end is on its way
            seekTo = seconds;
            heard.store(Heard::Clock::now(), {track, seconds});
            return true;
        });
    }
    void askFadeOut(double seconds) EXCLUDES(mutex) {
        ask([&]() REQUIRES(mutex) {
            if (accepting) return false;  // ended: its end is on its way
            fadeOut = seconds;
            return true;
        });
    }
    void askLevelling(const Decoder::Levelling& wanted) EXCLUDES(mutex) {
        ask([&]() REQUIRES(mutex) {
            levelling = wanted;
            return true;
        });
    }
    void askEqualizer(const EqualizerCurve& curve) EXCLUDES(mutex) {
        ask([&]() REQUIRES(mutex) {
            equalizer = curve;
            return true;
        });
    }
    void askDevice(const std::string& name) EXCLUDES(mutex) {
        ask([&]() REQUIRES(mutex) {
            device = name;
            return true;
        });
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
        return finished ? 0.0 : heard.of(track, Heard::Clock::now());
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
    // Opens the device, plays `track` and the tracks handed over behind it.
    void run(std::unique_ptr<Track> track);

private:
    class Worker;
};
