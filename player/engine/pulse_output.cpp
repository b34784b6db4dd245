#include "engine/pulse_output.h"

#include "common/app_error.h"

#include <poll.h>
#include <pulse/pulseaudio.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;
// About a second of sound in the server, more asked for when half is free,
// and played once half is there: one write starts it.
constexpr int kBufferMs = 1000;
constexpr int kRequestMs = 500;
// A server that has not answered by then counts as none.
constexpr auto kConnectWithin = std::chrono::milliseconds(2000);
constexpr auto kTimingEvery = std::chrono::milliseconds(1000);
// What plays within this time is never written over. What PulseAudio's sink
// has taken already it takes again, rewinding: there only what the timing may
// be off by is kept, and a change is heard sooner.
constexpr int kKeepRewindingMs = 60;
// PipeWire's graph takes what its server holds a quantum at a time, and
// nothing taken is taken again: 120 ms are kept (60 were heard as a jump now
// and then), or what the server says its sink holds and 50 ms more (a
// desktop's largest quantum is 42.7 ms) where that is longer (Bluetooth). Without early requests, its server was heard
// to jump where it was written over, whatever was kept: they stay. A server that has not told which it is counts as
// this one.
constexpr int kKeepMs = 120;
constexpr int kQuantumMs = 50;
const char* Why(PulseOutput::Failure f, const char* otherwise) {
    return f == PulseOutput::Failure::NoAnswer      ? "the sound server did not answer"
           : f == PulseOutput::Failure::Interrupted ? "interrupted"
                                                    : otherwise;
}

int MsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<long long>(0, left));
}
}  // namespace

PulseOutput::PulseOutput(Names names) : names_(std::move(names)) {}

PulseOutput::~PulseOutput() { close(); }

// The main loop's own descriptors and the wake-up, in one poll.
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
    all[count] = pollfd{out->wake_.fd(), POLLIN, 0};  // a negative descriptor is ignored
    int r = ::poll(all, static_cast<nfds_t>(count + 1), timeoutMs);
    if (r < 0) return r;
    std::copy(all, all + count, fds);
    if (all[count].revents & POLLIN) {
        out->interrupted_ = out->wake_.take() || out->interrupted_;
        --r;
    }
    return r;
}

// It ran dry: all it had was played, and it waits for half a buffer (or
// startQueued) to play again.
// libpulse's count of what was played ran on meanwhile: not believed until
// the server has told it again.
void PulseOutput::OnUnderflow(pa_stream*, void* self) {
    auto* out = static_cast<PulseOutput*>(self);
    out->running_ = false;
    out->queued_ = 0;
    out->askTimingAgain();
}

void PulseOutput::OnStarted(pa_stream*, void* self) { static_cast<PulseOutput*>(self)->startedNow(); }

// The server moved the stream: where the output chosen went, to the
// default (the server does that by itself).
void PulseOutput::OnMoved(pa_stream* stream, void* self) {
    auto* out = static_cast<PulseOutput*>(self);
    const char* now = pa_stream_get_device_name(stream);
    out->askTimingAgain();
    if (out->device_.empty() || !now || out->device_ == now) return;
    out->notice(Notice::Gone, out->device_);
}

// A sink came: the output chosen, back again, takes the stream back (the
// servers do not all do that by themselves).
void PulseOutput::OnEvent(pa_context* context, pa_subscription_event_type_t type, uint32_t index, void* self) {
    auto* out = static_cast<PulseOutput*>(self);
    if ((type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK) != PA_SUBSCRIPTION_EVENT_SINK ||
        (type & PA_SUBSCRIPTION_EVENT_TYPE_MASK) != PA_SUBSCRIPTION_EVENT_NEW || out->device_.empty())
        return;
    if (pa_operation* op = pa_context_get_sink_info_by_index(context, index, OnSinkCame, self)) pa_operation_unref(op);
}

void PulseOutput::OnSinkCame(pa_context*, const pa_sink_info* info, int eol, void* self) {
    auto* out = static_cast<PulseOutput*>(self);
    if (eol || !info || !info->name || out->device_ != info->name || !out->ready()) return;
    const char* now = pa_stream_get_device_name(out->stream_);
    if (now && out->device_ == now) return;
    out->moveTo(out->device_);
    out->notice(Notice::Back, out->device_);
}

// Sent by the main loop's round (in a callback of it, or by the caller).
void PulseOutput::moveTo(const std::string& sink) {
    if (pa_operation* op =
            pa_context_move_sink_input_by_name(context_, pa_stream_get_index(stream_), sink.c_str(), nullptr, nullptr))
        pa_operation_unref(op);
}

// A sink chosen is moved to at once, without a break; the default is
// followed by a stream opened without a sink (a stream once moved stays
// where it was moved).
bool PulseOutput::setDevice(const std::string& name) {
    if (name == device_) return true;
    device_ = name;
    if (!ready()) return true;
    if (name.empty()) return false;
    moveTo(name);
    send();
    return true;
}
// Timing is asked afresh when the stream starts (or is expected to): the
// last said it waited, and until the answer delay() cannot tell.
void PulseOutput::startedNow() {
    if (!running_) askTimingAgain();
    running_ = true;
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

void PulseOutput::fail(Failure failure, const char* what, int error) {
    close();
    failure_ = failure;
    std::string reason = error ? pa_strerror(error) : what;
    throw AppError(ErrNo::NoSoundDevice, StandardDescription(ErrNo::NoSoundDevice) + " (" + reason + ")");
}

template <typename Done>
PulseOutput::Failure PulseOutput::waitUntil(Clock::time_point deadline, Done done) {
    for (;;) {
        switch (done()) {
        case PA_OPERATION_DONE: return Failure::None;
        case PA_OPERATION_CANCELLED: return Failure::NoServer;
        default: break;
        }
        if (interrupted_) {
            interrupted_ = false;
            return Failure::Interrupted;
        }
        if (Clock::now() >= deadline) return Failure::NoAnswer;
        if (!iterate(MsLeft(deadline))) return Failure::NoServer;
    }
}

void PulseOutput::open(int rate, int channels) {
    close();
    failure_ = Failure::None;
    if (rate <= 0 || channels <= 0 || channels > static_cast<int>(PA_CHANNELS_MAX))
        throw MakeError(ErrNo::InvalidArgument);
    loop_ = pa_mainloop_new();
    if (!loop_) fail(Failure::NoServer, "no main loop", 0);
    pa_mainloop_set_poll_func(loop_, Poll, this);
    props_ = pa_proplist_new();
    pa_proplist_sets(props_, PA_PROP_APPLICATION_NAME, names_.application.c_str());
    pa_proplist_sets(props_, PA_PROP_APPLICATION_ICON_NAME, names_.icon.c_str());
    pa_proplist_sets(props_, PA_PROP_MEDIA_ROLE, names_.role.c_str());
    context_ = pa_context_new_with_proplist(pa_mainloop_get_api(loop_), names_.application.c_str(), props_);
    if (!context_) fail(Failure::NoServer, "no context", 0);
    // The server of the environment or the client configuration, read now:
    // one started or restarted since the last open is found.
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        fail(Failure::NoServer, "no connection", pa_context_errno(context_));
    const Clock::time_point deadline = Clock::now() + kConnectWithin;
    Failure f = waitUntil(deadline, [this] {
        const pa_context_state_t state = pa_context_get_state(context_);
        return state == PA_CONTEXT_READY   ? PA_OPERATION_DONE
               : PA_CONTEXT_IS_GOOD(state) ? PA_OPERATION_RUNNING
                                           : PA_OPERATION_CANCELLED;
    });
    if (f != Failure::None) fail(f, Why(f, "no connection"), f == Failure::NoServer ? pa_context_errno(context_) : 0);
    // Which server it is sets what is kept from being written over.
    rewinds_ = false;
    if (pa_operation* op = pa_context_get_server_info(context_, OnServerInfo, this)) {
        f = waitUntil(deadline, [op] { return pa_operation_get_state(op); });
        pa_operation_unref(op);
        if (f == Failure::Interrupted) fail(f, Why(f, ""), 0);
    }
    keepMs_ = rewinds_ ? kKeepRewindingMs : kKeepMs;
    pa_context_set_subscribe_callback(context_, OnEvent, this);
    if (pa_operation* op = pa_context_subscribe(context_, PA_SUBSCRIPTION_MASK_SINK, nullptr, nullptr))
        pa_operation_unref(op);
    spec_ = pa_sample_spec{PA_SAMPLE_S16NE, static_cast<uint32_t>(rate), static_cast<uint8_t>(channels)};
    pa_channel_map_init_auto(&map_, static_cast<unsigned>(channels), PA_CHANNEL_MAP_DEFAULT);
    frameBytes_ = pa_frame_size(&spec_);
    rate_ = rate;
    f = makeStream(deadline);
    if (f == Failure::NoServer && !device_.empty() && pa_context_get_state(context_) == PA_CONTEXT_READY) {
        // The sink chosen is not there (now): the default plays, and the
        // sink takes the stream when it comes.
        notice(Notice::Missing, device_);
        closeStream();
        f = makeStream(deadline, false);
    }
    if (f != Failure::None)
        fail(f, Why(f, "the stream was not made"), f == Failure::NoServer ? pa_context_errno(context_) : 0);
}

// A stream that starts playing by itself once half its buffer is queued, or
// on startQueued.
PulseOutput::Failure PulseOutput::makeStream(Clock::time_point deadline, bool onDevice) {
    forgetQueued();
    held_ = false;
    stream_ = pa_stream_new_with_proplist(context_, "Playback", &spec_, &map_, props_);
    if (!stream_) return Failure::NoServer;
    pa_stream_set_underflow_callback(stream_, OnUnderflow, this);
    pa_stream_set_started_callback(stream_, OnStarted, this);
    pa_stream_set_moved_callback(stream_, OnMoved, this);
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.tlength = static_cast<uint32_t>(pa_usec_to_bytes(kBufferMs * PA_USEC_PER_MSEC, &spec_));
    attr.minreq = static_cast<uint32_t>(pa_usec_to_bytes(kRequestMs * PA_USEC_PER_MSEC, &spec_));
    attr.prebuf = attr.minreq;
    attr.fragsize = static_cast<uint32_t>(-1);
    // Early requests: the server asks for more as soon as half the buffer
    // is free (and sets its own latency to match), not at the last moment.
    // Between the timing updates delay() asks for, libpulse interpolates.
    const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_EARLY_REQUESTS | PA_STREAM_INTERPOLATE_TIMING);
    const char* sink = onDevice && !device_.empty() ? device_.c_str() : nullptr;
    if (pa_stream_connect_playback(stream_, sink, &attr, flags, nullptr, nullptr) < 0) return Failure::NoServer;
    const Failure f = waitUntil(deadline, [this] {
        const pa_stream_state_t state = pa_stream_get_state(stream_);
        return state == PA_STREAM_READY   ? PA_OPERATION_DONE
               : PA_STREAM_IS_GOOD(state) ? PA_OPERATION_RUNNING
                                          : PA_OPERATION_CANCELLED;
    });
    if (f != Failure::None) return f;
    const pa_buffer_attr* granted = pa_stream_get_buffer_attr(stream_);
    requestBytes_ = granted ? granted->minreq : attr.minreq;
    startFrames_ = static_cast<long>((granted ? granted->prebuf : attr.prebuf) / frameBytes_);
    return Failure::None;
}

void PulseOutput::closeStream() {
    if (timing_) {
        pa_operation_cancel(timing_);
        pa_operation_unref(timing_);
        timing_ = nullptr;
    }
    if (!stream_) return;
    pa_stream_set_underflow_callback(stream_, nullptr, nullptr);
    pa_stream_set_started_callback(stream_, nullptr, nullptr);
    pa_stream_set_moved_callback(stream_, nullptr, nullptr);
    pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
    stream_ = nullptr;
}

void PulseOutput::forgetQueued() {
    queued_ = 0;
    running_ = false;
    owed_ = 0;
    rewriteAt_ = -1;
    countedAhead_ = 0;
    askTimingAgain();
}

long PulseOutput::write(const int16_t* data, long frames) {
    // What the server sent meanwhile (requests, a failure) is taken first.
    if (!ready() || !iterate(0) || !ready()) return -1;
    const size_t room = pa_stream_writable_size(stream_);
    if (room == static_cast<size_t>(-1)) return -1;
    // What was taken back may be written before the server asks for it;
    // once it has asked, the room it tells includes it.
    long n = std::min<long>(frames, std::max(static_cast<long>(room / frameBytes_), owed_));
    if (n <= 0) return 0;
    long kept = 0;
    if (owed_ > 0) {
        n = std::min(n, owed_);
        kept = tooSoonToWriteOver(n);
        rewriteAt_ += static_cast<int64_t>(kept) * static_cast<int64_t>(frameBytes_);
        owed_ -= kept;
        countedAhead_ -= kept;
        queued_ += kept;
        if (kept == n) return n;
        data += static_cast<size_t>(kept) * frameBytes_ / sizeof(int16_t);
        n -= kept;
    }
    // Written over what was taken back: an absolute place leaves both sides
    // counting the room right (the server asks for what the place moved
    // back, the client counts what it wrote) and brings libpulse's count of
    // what was written back to this output's.
    const bool over = rewriteAt_ >= 0;
    if (pa_stream_write(stream_, data, static_cast<size_t>(n) * frameBytes_, nullptr, over ? rewriteAt_ : 0,
                        over ? PA_SEEK_ABSOLUTE : PA_SEEK_RELATIVE) < 0)
        return -1;
    if (over) {
        owed_ = std::max(0L, owed_ - n);
        rewriteAt_ = owed_ > 0 ? rewriteAt_ + static_cast<int64_t>(n) * static_cast<int64_t>(frameBytes_) : -1;
        countedAhead_ = 0;
    }
    queued_ += n;
    // Played from when it is as full as the server waits for (which it
    // tells too, and tells when it ran dry).
    if (queued_ >= startFrames_ && !held_) startedNow();
    send();
    return n + kept;
}

pa_usec_t PulseOutput::keepUsec() const {
    const pa_usec_t keep = static_cast<pa_usec_t>(keepMs_) * PA_USEC_PER_MSEC;
    const pa_timing_info* timing = rewinds_ ? nullptr : pa_stream_get_timing_info(stream_);
    return timing ? std::max(keep, timing->sink_usec + kQuantumMs * PA_USEC_PER_MSEC) : keep;
}

long PulseOutput::tooSoonToWriteOver(long frames) {
    pa_usec_t heard = 0;
    if (pa_stream_get_time(stream_, &heard) < 0) return frames;
    const int64_t keepFrom = static_cast<int64_t>(pa_usec_to_bytes(heard + keepUsec(), &spec_));
    const int64_t soon = (keepFrom - rewriteAt_) / static_cast<int64_t>(frameBytes_);
    return static_cast<long>(std::clamp<int64_t>(soon, 0, frames));
}

void PulseOutput::waitWritable(int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (interrupted_) {
            interrupted_ = false;
            return;
        }
        if (!ready() || owed_ > 0) return;  // the next write tells the failure, or is due
        const size_t room = pa_stream_writable_size(stream_);
        if (room == static_cast<size_t>(-1) || room >= requestBytes_) return;
        if (Clock::now() >= deadline || !iterate(MsLeft(deadline))) return;
    }
}

void PulseOutput::askTiming() {
    if (timing_ && pa_operation_get_state(timing_) != PA_OPERATION_RUNNING) {
        if (pa_operation_get_state(timing_) == PA_OPERATION_DONE) timingAnswered_ = timingAsked_;
        pa_operation_unref(timing_);
        timing_ = nullptr;
    }
    const auto now = Clock::now();
    if (timing_ || now - timedAt_ < kTimingEvery) return;
    // A round trip to the server (and a wake-up for the answer): asked at
    // most this often, interpolated in between.
    timing_ = pa_stream_update_timing_info(stream_, nullptr, nullptr);
    if (timing_) ++timingAsked_;
    timedAt_ = now;
    send();
}

void PulseOutput::askTimingAgain() {
    timingWanted_ = timingAsked_ + 1;
    timedAt_ = Clock::time_point{};
}

std::optional<long> PulseOutput::delay() {
    // An answer that came meanwhile is taken (the worker may have waited on
    // anything but this output since).
    if (!ready() || !iterate(0) || !ready()) return std::nullopt;
    askTiming();
    // The latency as the server told it and libpulse carried it on: what is
    // queued and not yet played, and the sink's own. None after a drop until
    // the server has told it again.
    if (timingAnswered_ < timingWanted_) return std::nullopt;
    pa_usec_t usec = 0;
    int negative = 0;
    if (pa_stream_get_latency(stream_, &usec, &negative) < 0 || negative) return std::nullopt;
    const long held = static_cast<long>(usec * static_cast<pa_usec_t>(rate_) / PA_USEC_PER_SEC);
    return std::max(0L, held - countedAhead_);
}

void PulseOutput::send() {
    // libpulse writes to the server from its main loop: a round of it, not
    // waiting, sends what was asked (the writer may sleep on other things
    // next: the engine's own requests).
    iterate(0);
}

void PulseOutput::startQueued() {
    if (!ready() || running_ || held_ || queued_ == 0) return;
    // Not when it plays already: PipeWire's server skips a moment of a
    // stream triggered then.
    if (pa_operation* op = pa_stream_trigger(stream_, nullptr, nullptr)) pa_operation_unref(op);
    startedNow();
    send();
}

void PulseOutput::OnServerInfo(pa_context*, const pa_server_info* info, void* self) {
    static_cast<PulseOutput*>(self)->rewinds_ =
        info && info->server_name && !std::strstr(info->server_name, "PipeWire");
}

long PulseOutput::takeBack(long frames) {
    if (!ready() || rewriteAt_ >= 0 || frames <= 0) return 0;
    const std::optional<long> unheard = delay();
    const pa_timing_info* timing = pa_stream_get_timing_info(stream_);  // as delay() left it
    if (!unheard || !timing || timing->write_index_corrupt) return 0;
    const long keep = static_cast<long>(keepUsec() * static_cast<pa_usec_t>(rate_) / PA_USEC_PER_SEC);
    const long n = std::min({frames, queued_, *unheard - keep});
    if (n <= 0) return 0;
    rewriteAt_ = timing->write_index - static_cast<int64_t>(n) * static_cast<int64_t>(frameBytes_);
    owed_ = n;
    countedAhead_ = n;
    queued_ -= n;
    return n;
}

// Corked, the stream keeps what it holds and does not keep the sink from
// suspending; uncorked, it goes on where it stopped.
bool PulseOutput::hold(bool on) {
    if (!ready()) return false;
    if (on == held_) return true;
    pa_operation* op = pa_stream_cork(stream_, on ? 1 : 0, nullptr, nullptr);
    if (!op) return false;
    pa_operation_unref(op);
    held_ = on;
    send();  // the server is told now, not at the next write
    return true;
}

// The server drops what it holds and plays what is written next at once (a
// new stream would wait for its buffer and leave a silence).
void PulseOutput::drop() {
    if (!ready()) return;
    if (pa_operation* op = pa_stream_flush(stream_, nullptr, nullptr)) pa_operation_unref(op);
    forgetQueued();
    send();
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
    forgetQueued();
    held_ = false;
}
