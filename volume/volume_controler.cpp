#include "volume/volume_controler.h"

#include <alsa/asoundlib.h>
#include <pulse/pulseaudio.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

namespace VolumeControler {

AlsaMixer::~AlsaMixer() { close(); }

bool AlsaMixer::open(const std::string& device) {
    close();
    // alsa-lib reads its configuration once and keeps it: "default" would
    // stay what it was at the first call (no sound server then: no mixer of
    // the server's, ever). Read afresh, a server started or restarted since
    // is found.
    snd_config_update_free_global();
    if (snd_mixer_open(&handle_, 0) < 0) {
        handle_ = nullptr;
        return false;
    }
    // A failure below keeps the handle; close() releases it.
    return snd_mixer_attach(handle_, device.c_str()) >= 0 && snd_mixer_selem_register(handle_, nullptr, nullptr) >= 0 &&
           snd_mixer_load(handle_) >= 0;
}

bool AlsaMixer::findElement() {
    elem_ = nullptr;
    if (!handle_) return false;
    snd_mixer_selem_id_t* id = nullptr;
    snd_mixer_selem_id_alloca(&id);
    snd_mixer_selem_id_set_index(id, 0);
    snd_mixer_selem_id_set_name(id, "Master");
    snd_mixer_elem_t* master = snd_mixer_find_selem(handle_, id);
    if (master && snd_mixer_selem_has_playback_volume(master)) {
        elem_ = master;
        return true;
    }
    for (snd_mixer_elem_t* e = snd_mixer_first_elem(handle_); e; e = snd_mixer_elem_next(e)) {
        if (snd_mixer_selem_has_playback_volume(e)) {
            elem_ = e;
            return true;
        }
    }
    return false;
}

bool AlsaMixer::range(long& min, long& max) {
    if (!elem_) return false;
    return snd_mixer_selem_get_playback_volume_range(elem_, &min, &max) >= 0;
}

bool AlsaMixer::setVolume(long value) {
    long min = 0, max = 0;
    if (!range(min, max)) return false;
    return snd_mixer_selem_set_playback_volume_all(elem_, ClampToRange(value, min, max)) >= 0;
}

void AlsaMixer::close() {
    elem_ = nullptr;
    if (handle_) {
        snd_mixer_close(handle_);
        handle_ = nullptr;
    }
}

PulseMixer::~PulseMixer() { close(); }

template <typename Done>
bool PulseMixer::waitFor(Done done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!done()) {
        const auto left =
            std::chrono::duration_cast<std::chrono::microseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !PA_CONTEXT_IS_GOOD(pa_context_get_state(context_))) return false;
        if (pa_mainloop_prepare(loop_, static_cast<int>(left.count())) < 0 || pa_mainloop_poll(loop_) < 0 ||
            pa_mainloop_dispatch(loop_) < 0)
            return false;
    }
    return true;
}

bool PulseMixer::open(const std::string& sink) {
    close();
    reached_ = false;
    asked_ = sink;
    loop_ = pa_mainloop_new();
    if (!loop_) return false;
    context_ = pa_context_new(pa_mainloop_get_api(loop_), "Corvalle's MP3 Player (volume)");
    if (!context_ || pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return false;
    const bool ready = waitFor([this] { return pa_context_get_state(context_) == PA_CONTEXT_READY; });
    // One that took the connection and does not answer is there too (hung).
    reached_ = PA_CONTEXT_IS_GOOD(pa_context_get_state(context_));
    return ready;
}

bool PulseMixer::findElement() {
    found_.clear();
    channels_ = 0;
    if (!context_ || pa_context_get_state(context_) != PA_CONTEXT_READY) return false;
    struct Ask {
        PulseMixer* self;
        bool answered = false;
    };
    auto take = [](pa_context*, const pa_sink_info* info, int eol, void* data) {
        auto* ask = static_cast<Ask*>(data);
        if (info && info->name) {
            ask->self->found_ = info->name;
            ask->self->channels_ = info->volume.channels;
        }
        if (eol) ask->answered = true;
    };
    for (const char* name : {asked_.c_str(), "@DEFAULT_SINK@"}) {
        if (!*name) continue;
        Ask ask{this};
        pa_operation* op = pa_context_get_sink_info_by_name(context_, name, take, &ask);
        if (!op) return false;
        const bool answered = waitFor([&ask] { return ask.answered; });
        if (!answered) pa_operation_cancel(op);
        pa_operation_unref(op);
        if (!answered) return false;
        if (!found_.empty()) return channels_ > 0;
    }
    return false;
}

bool PulseMixer::range(long& min, long& max) {
    if (found_.empty()) return false;
    min = PA_VOLUME_MUTED;
    max = PA_VOLUME_NORM;
    return true;
}

bool PulseMixer::setVolume(long value) {
    if (found_.empty()) return false;
    pa_cvolume volume;
    pa_cvolume_set(&volume, static_cast<unsigned>(channels_),
                   static_cast<pa_volume_t>(ClampToRange(value, PA_VOLUME_MUTED, PA_VOLUME_NORM)));
    struct Ask {
        bool answered = false;
        bool set = false;
    } ask;
    auto take = [](pa_context*, int success, void* data) {
        auto* a = static_cast<Ask*>(data);
        a->answered = true;
        a->set = success != 0;
    };
    pa_operation* op = pa_context_set_sink_volume_by_name(context_, found_.c_str(), &volume, take, &ask);
    if (!op) return false;
    const bool answered = waitFor([&ask] { return ask.answered; });
    if (!answered) pa_operation_cancel(op);
    pa_operation_unref(op);
    return answered && ask.set;
}

void PulseMixer::close() {
    found_.clear();
    channels_ = 0;
    if (context_) {
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        context_ = nullptr;
    }
    if (loop_) {
        pa_mainloop_free(loop_);
        loop_ = nullptr;
    }
}

std::string CardMixerOf(const std::string& device) {
    const size_t at = device.find("CARD=");
    if (at == std::string::npos) return "default";
    const size_t end = device.find(',', at);
    const std::string card = device.substr(at + 5, end == std::string::npos ? std::string::npos : end - at - 5);
    return card.empty() ? "default" : "hw:CARD=" + card;
}

long MapVolume(int32_t volume, long max) {
    // 128 bits hold volume x max for any long max; the quotient is floored so
    // the remainder tells the rounding.
    const __int128 product = static_cast<__int128>(volume) * max;
    __int128 quotient = product / 100;
    __int128 remainder = product % 100;
    if (remainder < 0) {
        remainder += 100;
        quotient -= 1;
    }
    if (remainder > 50 || (remainder == 50 && (quotient & 1) != 0)) quotient += 1;
    return static_cast<long>(quotient);
}

long ClampToRange(long value, long min, long max) {
    if (value < min) return min;
    if (value > max) return max;
    return value;
}

namespace {
// Closes the mixer however the call ends.
struct CloseOnExit {
    Mixer& mixer;
    ~CloseOnExit() { mixer.close(); }
};
}  // namespace

bool SetMasterVolume(int32_t volume, Mixer& mixer, const std::string& device) {
    if (volume < 0 || volume > 100) return false;
    CloseOnExit closer{mixer};
    if (!mixer.open(device)) return false;
    if (!mixer.findElement()) return false;
    long min = 0, max = 0;
    if (!mixer.range(min, max)) return false;
    return mixer.setVolume(MapVolume(volume, max));
}

bool SetMasterVolume(int32_t volume, const std::string& device) {
    AlsaMixer mixer;
    return SetMasterVolume(volume, mixer, device);
}

bool SetOutputVolume(int32_t volume, const std::string& output) {
    if (output.empty()) return SetMasterVolume(volume);
    const char* kept = std::getenv("CORVALLE_SOUND_OUTPUT");
    if (!kept || std::strcmp(kept, "alsa") != 0) {
        PulseMixer server;
        if (SetMasterVolume(volume, server, output)) return true;
        if (server.reached()) return false;  // its sink's, or none: not another device's
    }
    // Played through ALSA: the device chosen, on its card's mixer, else
    // the "default" one's.
    const std::string card = CardMixerOf(output);
    return SetMasterVolume(volume, card) || (card != "default" && SetMasterVolume(volume));
}

}  // namespace VolumeControler
