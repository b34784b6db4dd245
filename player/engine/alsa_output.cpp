// Plays through alsa-lib. The PCM is opened non-blocking so that the engine's
// worker never sits in a write it cannot leave: it polls the PCM's descriptors
// together with a WakeUp that interrupt() signals, so the worker sleeps until
// a period has been played or it is told to stop, and reads the delay at the
// end of a file instead of a blocking drain.
#include "engine/alsa_output.h"

#include "common/app_error.h"
#include "common/deadline.h"

#include <alsa/asoundlib.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <vector>

namespace {
// A one-second buffer woken twice a second: the worker (and, through the
// pulse plugin, the sound server's client thread) sleeps between half-buffer
// refills instead of waking for every small period. Stop, pause and seek drop
// what is queued, so the size costs no responsiveness.
constexpr unsigned kBufferUs = 1000000;
constexpr unsigned kPeriods = 2;
constexpr int kUninterruptibleWaitMs = 20;
constexpr std::chrono::milliseconds kOpenWithin{3000};

AppError DeviceError(int err) {
    return AppError(ErrNo::NoSoundDevice, StandardDescription(ErrNo::NoSoundDevice) + " (" + snd_strerror(err) + ")");
}

struct ClosePcm {
    void operator()(snd_pcm_t* pcm) const { snd_pcm_close(pcm); }
};
using Pcm = std::unique_ptr<snd_pcm_t, ClosePcm>;

// Interleaved S16 at `rate` and `channels`, a buffer of about kBufferUs in
// kPeriods periods; playback starts once a buffer is queued (or on
// startQueued) and the PCM polls writable when a period is free.
int Configure(snd_pcm_t* pcm, int rate, int channels) {
    snd_pcm_hw_params_t* hw = nullptr;
    snd_pcm_hw_params_alloca(&hw);
    int err = snd_pcm_hw_params_any(pcm, hw);
    if (err >= 0) err = snd_pcm_hw_params_set_rate_resample(pcm, hw, 1);
    if (err >= 0) err = snd_pcm_hw_params_set_access(pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED);
    if (err >= 0) err = snd_pcm_hw_params_set_format(pcm, hw, SND_PCM_FORMAT_S16);
    if (err >= 0) err = snd_pcm_hw_params_set_channels(pcm, hw, static_cast<unsigned>(channels));
    unsigned exact = static_cast<unsigned>(rate);
    if (err >= 0) err = snd_pcm_hw_params_set_rate_near(pcm, hw, &exact, nullptr);
    if (err >= 0 && exact != static_cast<unsigned>(rate)) err = -EINVAL;
    unsigned bufferUs = kBufferUs;
    if (err >= 0) err = snd_pcm_hw_params_set_buffer_time_near(pcm, hw, &bufferUs, nullptr);
    unsigned periodUs = bufferUs / kPeriods;
    if (err >= 0) err = snd_pcm_hw_params_set_period_time_near(pcm, hw, &periodUs, nullptr);
    if (err >= 0) err = snd_pcm_hw_params(pcm, hw);
    if (err < 0) return err;
    snd_pcm_uframes_t buffer = 0, period = 0;
    snd_pcm_get_params(pcm, &buffer, &period);
    snd_pcm_sw_params_t* sw = nullptr;
    snd_pcm_sw_params_alloca(&sw);
    err = snd_pcm_sw_params_current(pcm, sw);
    if (err >= 0) err = snd_pcm_sw_params_set_start_threshold(pcm, sw, buffer);
    if (err >= 0) err = snd_pcm_sw_params_set_avail_min(pcm, sw, period);
    if (err >= 0) err = snd_pcm_sw_params(pcm, sw);
    return err;
}

Pcm OpenPcm(const std::string& device, int rate, int channels) {
    // alsa-lib keeps the configuration it read first; a sound server that
    // was not running then would stay unknown to "default" for good. Read it
    // afresh for every open, so a server started or restarted since is used.
    // (Devices open meanwhile keep their reference to the old tree.)
    snd_config_update_free_global();
    snd_pcm_t* raw = nullptr;
    int err = snd_pcm_open(&raw, device.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    if (err < 0) throw DeviceError(err);
    Pcm pcm(raw);
    err = Configure(pcm.get(), rate, channels);
    if (err < 0) throw DeviceError(err);
    return pcm;
}
}  // namespace

AlsaOutput::AlsaOutput(std::string device) : device_(std::move(device)) {}

AlsaOutput::~AlsaOutput() { close(); }

void AlsaOutput::open(int rate, int channels) {
    close();
    if (rate <= 0 || channels <= 0) throw MakeError(ErrNo::InvalidArgument);
    if (!chosen_.empty()) {
        try {
            std::optional<Pcm> pcm = RunWithin<Pcm>(
                kOpenWithin, [device = chosen_, rate, channels] { return OpenPcm(device, rate, channels); });
            if (pcm) {
                pcm_ = pcm->release();
                queued_ = 0;
                return;
            }
        } catch (const AppError&) {
        }
        notice(Notice::Missing, chosen_);
    }
    std::optional<Pcm> pcm =
        RunWithin<Pcm>(kOpenWithin, [device = device_, rate, channels] { return OpenPcm(device, rate, channels); });
    if (!pcm) {
        throw AppError(ErrNo::NoSoundDevice,
                       StandardDescription(ErrNo::NoSoundDevice) + " (the sound device did not answer)");
    }
    pcm_ = pcm->release();
    queued_ = 0;
}

bool AlsaOutput::setDevice(const std::string& name) {
    const bool same = name == chosen_;
    chosen_ = name;
    return same || !pcm_;
}

long AlsaOutput::write(const int16_t* data, long frames) {
    if (!pcm_) return -1;
    snd_pcm_sframes_t n = snd_pcm_writei(pcm_, data, static_cast<snd_pcm_uframes_t>(frames));
    if (n >= 0) {
        queued_ += n;
        return n;
    }
    if (n == -EAGAIN) return 0;
    // An underrun or a suspend: prepare again and let the caller retry.
    if (snd_pcm_recover(pcm_, static_cast<int>(n), 1) == 0) {
        queued_ = 0;
        return 0;
    }
    return -1;
}

void AlsaOutput::waitWritable(int timeoutMs) {
    if (!pcm_) return;
    int count = std::max(0, snd_pcm_poll_descriptors_count(pcm_));
    std::vector<pollfd> fds(static_cast<size_t>(count) + 1);
    if (count > 0) count = std::max(0, snd_pcm_poll_descriptors(pcm_, fds.data(), static_cast<unsigned>(count)));
    // Without the PCM's descriptors or without the wake-up the wait is cut
    // short, so the caller neither spins nor misses a request for long.
    if (wake_.fd() < 0 || count == 0) timeoutMs = std::min(timeoutMs, kUninterruptibleWaitMs);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() < 0) return;
        fds[static_cast<size_t>(count)] = pollfd{wake_.fd(), POLLIN, 0};  // a negative fd is ignored by poll
        for (int i = 0; i < count; ++i) fds[static_cast<size_t>(i)].revents = 0;
        int r = ::poll(fds.data(), static_cast<nfds_t>(count) + 1, static_cast<int>(left.count()));
        if (r <= 0) return;  // timed out or a signal: the caller simply writes again
        const bool interrupted = (fds[static_cast<size_t>(count)].revents & POLLIN) && wake_.take();
        if (count == 0) return;
        // The PCM's own descriptors must be acknowledged (the pulse plugin's
        // pipe is emptied here) even when the wake-up came from interrupt().
        unsigned short revents = 0;
        if (snd_pcm_poll_descriptors_revents(pcm_, fds.data(), static_cast<unsigned>(count), &revents) < 0) return;
        if (revents & (POLLERR | POLLNVAL)) {
            // An xrun is recovered by the next write; do not spin meanwhile.
            snd_pcm_recover(pcm_, -EPIPE, 1);
            queued_ = 0;
            return;
        }
        // A wake-up of the plugin's own that leaves no room waits on.
        if (interrupted || (revents & POLLOUT)) return;
    }
}

bool AlsaOutput::started() {
    if (!pcm_) return false;
    const snd_pcm_state_t state = snd_pcm_state(pcm_);
    return state == SND_PCM_STATE_RUNNING || state == SND_PCM_STATE_DRAINING;
}

// The pulse plugin's count can come short after a start (a stream that
// stood idle counts that time as played): the Playhead holds every reading
// to the clock.
std::optional<long> AlsaOutput::delay() {
    if (!pcm_) return std::nullopt;
    snd_pcm_sframes_t d = 0;
    if (snd_pcm_delay(pcm_, &d) < 0 || d < 0) return std::nullopt;
    return static_cast<long>(d);
}

void AlsaOutput::startQueued() {
    if (pcm_ && queued_ > 0 && snd_pcm_state(pcm_) == SND_PCM_STATE_PREPARED) snd_pcm_start(pcm_);
}

void AlsaOutput::drop() {
    if (!pcm_) return;
    snd_pcm_drop(pcm_);
    snd_pcm_prepare(pcm_);
    queued_ = 0;
}

void AlsaOutput::close() {
    if (!pcm_) return;
    snd_pcm_drop(pcm_);
    snd_pcm_close(pcm_);
    pcm_ = nullptr;
    queued_ = 0;
}
