#include "engine/pulse_output.h"

#include "common/app_error.h"

#include <poll.h>
#include <pulse/pulseaudio.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;
// About a second of sound in the server, more asked for when half is free:
// as the ALSA output's buffer of two half-second periods.
constexpr int kBufferMs = 1000;
constexpr int kRequestMs = 500;
// A server that has not answered by then counts as none.
constexpr auto kConnectWithin = std::chrono::milliseconds(2000);
// A timing update that takes longer leaves the delay as last known.
constexpr auto kTimingWithin = std::chrono::milliseconds(200);
constexpr auto kTimingEvery = std::chrono::milliseconds(1000);
// What plays within this time is never written over: PipeWire's graph takes
// what its server holds a quantum at a time. (What PulseAudio's sink has
// taken already it takes again, rewinding; a sink that cannot rewind plays
// what it has, and the stream goes on from its place, without a break.)
constexpr int kKeepMs = 250;

int MsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<long long>(0, left));
}
}  // namespace

PulseOutput::PulseOutput(Names names) : names_(std::move(names)), wake_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

PulseOutput::~PulseOutput() {
    close();
    if (wake_ >= 0) ::close(wake_);
}

// The main loop's own descriptors and the interrupt's eventfd, in one poll.
int PulseOutput::Poll(pollfd* fds, unsigned long count, int timeoutMs, void* self) {
    auto* out = static_cast<PulseOutput*>(self);
    std::array<pollfd, 16> small{};
    std::vector<pollfd> large;
    pollfd* all = small.data();
    if (count + 1 > small.size()) {
        try {  // nothing may be thrown through libpulse
            large.resize(count + 1);
        } catch (...) {
            errno = ENOMEM;
            return -1;
        }
        all = large.data();
    }
    std::copy(fds, fds + count, all);
    all[count] = pollfd{out->wake_, POLLIN, 0};  // a negative descriptor is ignored
    int r = ::poll(all, static_cast<nfds_t>(count + 1), timeoutMs);
    if (r < 0) return r;
    std::copy(all, all + count, fds);
    if (all[count].revents & POLLIN) {
        uint64_t value = 0;
        while (::read(out->wake_, &value, sizeof value) < 0 && errno == EINTR) {
        }
        out->interrupted_ = true;
        --r;
    }
    return r;
}

bool PulseOutput::iterate(int timeoutMs) {
    if (!loop_) return false;
    if (pa_mainloop_prepare(loop_, timeoutMs < 0 ? -1 : timeoutMs * 1000) < 0) return false;
    if (pa_mainloop_poll(loop_) < 0) return false;
    return pa_mainloop_dispatch(loop_) >= 0;
}

bool PulseOutput::ready() const {
    return context_ && stream_ && pa_context_get_state(context_) == PA_CONTEXT_READY &&
           pa_stream_get_state(stream_) == PA_STREAM_READY;
}

void PulseOutput::fail(const char* what, int error) {
    close();
    std::string reason = error ? pa_strerror(error) : what;
    throw AppError(ErrNo::NoSoundDevice, StandardDescription(ErrNo::NoSoundDevice) + " (" + reason + ")");
}

void PulseOutput::open(int rate, int channels) {
    close();
    if (rate <= 0 || channels <= 0 || channels > static_cast<int>(PA_CHANNELS_MAX))
        throw MakeError(ErrNo::InvalidArgument);
    loop_ = pa_mainloop_new();
    if (!loop_) fail("no main loop", 0);
    pa_mainloop_set_poll_func(loop_, Poll, this);
    props_ = pa_proplist_new();
    pa_proplist_sets(props_, PA_PROP_APPLICATION_NAME, names_.application.c_str());
    pa_proplist_sets(props_, PA_PROP_APPLICATION_ICON_NAME, names_.icon.c_str());
    pa_proplist_sets(props_, PA_PROP_MEDIA_ROLE, names_.role.c_str());
    context_ = pa_context_new_with_proplist(pa_mainloop_get_api(loop_), names_.application.c_str(), props_);
    if (!context_) fail("no context", 0);
    // The server of the environment or the client configuration, read now:
    // one started or restarted since the last open is found.
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        fail("no connection", pa_context_errno(context_));
    const Clock::time_point deadline = Clock::now() + kConnectWithin;
    for (;;) {
        const pa_context_state_t state = pa_context_get_state(context_);
        if (state == PA_CONTEXT_READY) break;
        if (!PA_CONTEXT_IS_GOOD(state) || Clock::now() >= deadline || !iterate(MsLeft(deadline)))
            fail("the sound server did not answer", pa_context_errno(context_));
    }
    spec_ = pa_sample_spec{PA_SAMPLE_S16NE, static_cast<uint32_t>(rate), static_cast<uint8_t>(channels)};
    pa_channel_map_init_auto(&map_, static_cast<unsigned>(channels), PA_CHANNEL_MAP_DEFAULT);
    frameBytes_ = pa_frame_size(&spec_);
    rate_ = rate;
    if (!makeStream(deadline)) fail("the stream was not made", pa_context_errno(context_));
}

// A stream that starts playing by itself once its buffer is full (as an ALSA
// device's start threshold) or on startQueued.
bool PulseOutput::makeStream(Clock::time_point deadline) {
    queued_ = 0;
    running_ = false;
    owed_ = 0;
    rewriteAt_ = -1;
    stream_ = pa_stream_new_with_proplist(context_, "Playback", &spec_, &map_, props_);
    if (!stream_) return false;
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.tlength = static_cast<uint32_t>(pa_usec_to_bytes(kBufferMs * PA_USEC_PER_MSEC, &spec_));
    attr.prebuf = attr.tlength;
    attr.minreq = static_cast<uint32_t>(pa_usec_to_bytes(kRequestMs * PA_USEC_PER_MSEC, &spec_));
    attr.fragsize = static_cast<uint32_t>(-1);
    // Early requests: the server asks for more as soon as half the buffer
    // is free (and sets its own latency to match), not at the last moment.
    // Between the timing updates delay() asks for, libpulse interpolates.
    const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_EARLY_REQUESTS | PA_STREAM_INTERPOLATE_TIMING);
    if (pa_stream_connect_playback(stream_, nullptr, &attr, flags, nullptr, nullptr) < 0) return false;
    timedAt_ = Clock::time_point{};
    for (;;) {
        const pa_stream_state_t state = pa_stream_get_state(stream_);
        if (state == PA_STREAM_READY) break;
        if (!PA_STREAM_IS_GOOD(state) || Clock::now() >= deadline || !iterate(MsLeft(deadline))) return false;
    }
    const pa_buffer_attr* granted = pa_stream_get_buffer_attr(stream_);
    requestBytes_ = granted ? granted->minreq : attr.minreq;
    startFrames_ = static_cast<long>((granted ? granted->prebuf : attr.prebuf) / frameBytes_);
    return true;
}

void PulseOutput::closeStream() {
    if (!stream_) return;
    pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
    stream_ = nullptr;
}

long PulseOutput::write(const int16_t* data, long frames) {
    if (remake_) {
        remake_ = false;
        if (!makeStream(Clock::now() + kConnectWithin)) {
            closeStream();
            return -1;
        }
    }
    // What the server sent meanwhile (requests, a failure) is taken first.
    if (!ready() || !iterate(0) || !ready()) return -1;
    const size_t room = pa_stream_writable_size(stream_);
    if (room == static_cast<size_t>(-1)) return -1;
    // What was taken back may be written before the server asks for it;
    // once it has asked, the room it tells includes it.
    const long n = std::min<long>(frames, std::max(static_cast<long>(room / frameBytes_), owed_));
    if (n <= 0) return 0;
    // Written over what was taken back. An absolute place leaves both sides
    // counting the room right: the server asks for what the place moved
    // back, the client counts what it wrote.
    const bool over = rewriteAt_ >= 0;
    if (pa_stream_write(stream_, data, static_cast<size_t>(n) * frameBytes_, nullptr, over ? rewriteAt_ : 0,
                        over ? PA_SEEK_ABSOLUTE : PA_SEEK_RELATIVE) < 0)
        return -1;
    rewriteAt_ = -1;
    owed_ = std::max(0L, owed_ - n);
    queued_ += n;
    // Played from when the buffer is full: as much as it holds is queued,
    // or the server takes no more (after a flush it may count what was
    // flushed a while longer).
    if (queued_ >= startFrames_) running_ = true;  // the server starts it now
    send();
    return n;
}

void PulseOutput::waitWritable(int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (interrupted_) {
            interrupted_ = false;
            return;
        }
        if (remake_ || !ready() || owed_ > 0) return;  // the next write makes the stream, tells the failure or is due
        const size_t room = pa_stream_writable_size(stream_);
        if (room == static_cast<size_t>(-1) || room >= requestBytes_) return;
        if (Clock::now() >= deadline || !iterate(MsLeft(deadline))) return;
    }
}

void PulseOutput::interrupt() {
    if (wake_ < 0) return;
    uint64_t one = 1;
    while (::write(wake_, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

long PulseOutput::delay() {
    if (!ready()) return 0;
    // The latency as the server tells it now: what is queued and not yet
    // played, and the sink's own.
    // A timing update is a round trip to the server (and a wake-up for the
    // answer): asked at most this often, interpolated in between.
    const auto now = Clock::now();
    if (now - timedAt_ >= kTimingEvery) {
        waitFor(pa_stream_update_timing_info(stream_, nullptr, nullptr));
        timedAt_ = now;
    }
    pa_usec_t usec = 0;
    int negative = 0;
    if (!ready() || pa_stream_get_latency(stream_, &usec, &negative) < 0 || negative) return 0;
    // What was taken back is not held any more, though libpulse counts it
    // until it is written over.
    const long held = static_cast<long>(usec * static_cast<pa_usec_t>(rate_) / PA_USEC_PER_SEC);
    return rewriteAt_ >= 0 ? std::max(0L, held - owed_) : held;
}

void PulseOutput::send() {
    // libpulse writes to the server from its main loop: a round of it, not
    // waiting, sends what was asked (the writer may sleep on other things
    // next: the engine's own requests).
    iterate(0);
}

void PulseOutput::waitFor(pa_operation* op) {
    if (!op) return;
    const auto deadline = Clock::now() + kTimingWithin;
    const bool wasInterrupted = interrupted_;
    while (pa_operation_get_state(op) == PA_OPERATION_RUNNING && Clock::now() < deadline && iterate(MsLeft(deadline))) {
    }
    interrupted_ = interrupted_ || wasInterrupted;  // kept for the next wait
    pa_operation_unref(op);
}

void PulseOutput::startQueued() {
    if (!ready() || running_ || queued_ == 0) return;
    if (pa_operation* op = pa_stream_trigger(stream_, nullptr, nullptr)) pa_operation_unref(op);
    running_ = true;
    send();
}

long PulseOutput::takeBack(long frames) {
    if (!ready() || !running_ || rewriteAt_ >= 0 || frames <= 0) return 0;
    const long unheard = delay();
    const pa_timing_info* timing = pa_stream_get_timing_info(stream_);  // as delay() left it
    if (!timing || timing->write_index_corrupt) return 0;
    const long n = std::min({frames, queued_, unheard - static_cast<long>(rate_) * kKeepMs / 1000});
    if (n <= 0) return 0;
    rewriteAt_ = timing->write_index - static_cast<int64_t>(n) * static_cast<int64_t>(frameBytes_);
    owed_ += n;
    queued_ -= n;
    return n;
}

// What the server holds goes with the stream: the next write makes a new
// one that starts afresh, as the ALSA pulse plug-in's prepare does (a
// flushed stream can be counted full for a while). None is kept meanwhile,
// so a pause does not keep the sink from suspending. (A stream made corked
// and uncorked later would do the same under PulseAudio, but PipeWire's
// pulse server then counts the corked time as played.)
void PulseOutput::drop() {
    if (!ready()) return;
    closeStream();
    send();  // the server is told now, not when the pause ends
    queued_ = 0;
    running_ = false;
    remake_ = true;
    owed_ = 0;
    rewriteAt_ = -1;
}

void PulseOutput::close() {
    closeStream();
    if (props_) {
        pa_proplist_free(props_);
        props_ = nullptr;
    }
    if (context_) {
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        context_ = nullptr;
    }
    if (loop_) {
        pa_mainloop_free(loop_);
        loop_ = nullptr;
    }
    queued_ = 0;
    running_ = false;
    remake_ = false;
    owed_ = 0;
    rewriteAt_ = -1;
}

SoundOutput::SoundOutput(PulseOutput::Names names) : pulse_(std::move(names)) {
    const char* choice = std::getenv("CORVALLE_SOUND_OUTPUT");
    alsaOnly_ = choice && std::strcmp(choice, "alsa") == 0;
}

void SoundOutput::open(int rate, int channels) {
    close();
    if (!alsaOnly_) {
        try {
            pulse_.open(rate, channels);
            active_ = &pulse_;
            return;
        } catch (const AppError&) {
            // No sound server: ALSA's own default, or its error.
        }
    }
    alsa_.open(rate, channels);
    active_ = &alsa_;
}

void SoundOutput::interrupt() {
    pulse_.interrupt();
    alsa_.interrupt();
}

void SoundOutput::close() {
    if (active_) active_->close();
    active_ = nullptr;
}
