#include "engine/sound_output.h"

#include "common/app_error.h"

#include <cstdlib>
#include <cstring>

SoundOutput::SoundOutput(PulseOutput::Names names) : pulse_(std::move(names)) {
    // What either tells is this output's.
    for (AudioOutput* o : {static_cast<AudioOutput*>(&pulse_), static_cast<AudioOutput*>(&alsa_)})
        o->setNotices([this](Notice what, const std::string& output) { notice(what, output); });
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
            if (pulse_.failure() != PulseOutput::Failure::NoServer) throw;
            // No sound server: ALSA's own default, or its error.
        }
    }
    alsa_.open(rate, channels);
    active_ = &alsa_;
}

bool SoundOutput::setDevice(const std::string& name) {
    const bool pulse = pulse_.setDevice(name), alsa = alsa_.setDevice(name);
    return active_ == &pulse_ ? pulse : active_ == &alsa_ ? alsa : true;
}

void SoundOutput::interrupt() {
    pulse_.interrupt();
    alsa_.interrupt();
}

void SoundOutput::close() {
    if (active_) active_->close();
    active_ = nullptr;
}
