#pragma once
// AudioOutput over alsa-lib: a non-blocking playback PCM ("default" unless
// another name is given), 16-bit interleaved, about a second of buffer in two
// periods, so a writer is woken about twice a second.
#include "engine/audio_output.h"
#include "engine/wake_up.h"

#include <memory>
#include <string>

typedef struct _snd_pcm snd_pcm_t;

class AlsaOutput final : public AudioOutput {
public:
    explicit AlsaOutput(std::string device = "default");
    ~AlsaOutput() override;
    AlsaOutput(const AlsaOutput&) = delete;
    AlsaOutput& operator=(const AlsaOutput&) = delete;

    // Gives up after three seconds: "default" may lead through the pulse
    // plug-in to a sound server that does not answer, which it waits for
    // half a minute. (An open left behind closes what it opens late.)
    void open(int rate, int channels) override;
    long write(const int16_t* data, long frames) override;
    void waitWritable(int timeoutMs) override;
    void interrupt() override { wake_.signal(); }
    std::optional<long> delay() override;
    bool started() override;
    void startQueued() override;
    void drop() override;
    void close() override;
    // A device chosen is opened from the next open on.
    bool setDevice(const std::string& name) override;

private:
    std::string device_;
    std::string chosen_;  // empty: device_
    snd_pcm_t* pcm_ = nullptr;
    long queued_ = 0;  // frames written since the last prepare
    WakeUp wake_;
};
