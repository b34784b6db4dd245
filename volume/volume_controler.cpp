#include "volume/volume_controler.h"

#include <alsa/asoundlib.h>

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

}  // namespace VolumeControler
