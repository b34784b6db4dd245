#pragma once
// The output the player uses: a PulseAudio or PipeWire server through
// libpulse where one runs, ALSA's "default" where none does.
// CORVALLE_SOUND_OUTPUT=alsa in the environment keeps to ALSA.
#include "engine/alsa_output.h"
#include "engine/pulse_output.h"

class SoundOutput final : public AudioOutput {
public:
    explicit SoundOutput(PulseOutput::Names names);
    // ALSA is not tried after a server that did not answer: its "default"
    // reaches the same server through the pulse plug-in, and waits half a
    // minute for it.
    void open(int rate, int channels) override;
    long write(const int16_t* data, long frames) override { return active_ ? active_->write(data, frames) : -1; }
    void waitWritable(int timeoutMs) override {
        if (active_) active_->waitWritable(timeoutMs);
    }
    void interrupt() override;
    std::optional<long> delay() override { return active_ ? active_->delay() : std::nullopt; }
    bool started() override { return active_ && active_->started(); }
    void startQueued() override {
        if (active_) active_->startQueued();
    }
    long takeBack(long frames) override { return active_ ? active_->takeBack(frames) : 0; }
    bool hold(bool on) override { return active_ && active_->hold(on); }
    void drop() override {
        if (active_) active_->drop();
    }
    void close() override;
    bool setDevice(const std::string& name) override;

private:
    PulseOutput pulse_;
    AlsaOutput alsa_;
    AudioOutput* active_ = nullptr;
    bool alsaOnly_ = false;
};
