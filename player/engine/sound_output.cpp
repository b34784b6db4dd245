#include "engine/sound_output.h"

#include "common/app_error.h"

#include <cstdlib>
#include <cstring>

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
            if (pulse_.failure() != PulseOutput::Failure::NoServer) throw;
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
