#pragma once
// AudioOutput over alsa-lib: a non-blocking playback PCM ("default" unless
// another name is given), 16-bit interleaved, about a second of buffer in two
// periods, so a writer is woken about twice a second.
#include "engine/audio_output.h"

#include <chrono>
#include <string>

typedef struct _snd_pcm snd_pcm_t;

class AlsaOutput final : public AudioOutput {
public:
    explicit AlsaOutput(std::string device = "default");
    ~AlsaOutput() override;
    AlsaOutput(const AlsaOutput&) = delete;
    AlsaOutput& operator=(const AlsaOutput&) = delete;

    void open(int rate, int channels) override;
    long write(const int16_t* data, long frames) override;
    void waitWritable(int timeoutMs) override;
    void interrupt() override;
    long delay() override;
    bool started() override;
    void startQueued() override;
    void drop() override;
    void close() override;

private:
    void noteStart();
    void forgetQueued();

    std::string device_;
    snd_pcm_t* pcm_ = nullptr;
    int rate_ = 0;
    int channels_ = 0;
    long queued_ = 0;  // frames written since the last prepare
    // When the PCM was seen to start playing what was written since the last
    // prepare; unset until then.
    bool running_ = false;
    std::chrono::steady_clock::time_point runningSince_{};
    int wake_ = -1;  // eventfd that interrupt() signals
};
