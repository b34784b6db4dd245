#pragma once
// AudioOutput straight to a PulseAudio server (or PipeWire's): one playback
// stream with about a second of buffer, asking for more when half of it is
// free, so the thread that writes wakes about twice a second and no other
// thread is started (the main loop of libpulse runs inside the writer's
// waits; the ALSA pulse plug-in's thread woke ten times a second for timing
// updates). The stream starts once its buffer is full, or on startQueued,
// and carries the program's name, icon and role.
//
// SoundOutput is the one the player uses: this output where a server
// answers, ALSA's "default" where none does.
#include "engine/alsa_output.h"
#include "engine/audio_output.h"

#include <pulse/channelmap.h>
#include <pulse/proplist.h>
#include <pulse/sample.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

struct pa_context;
struct pa_operation;
struct pa_mainloop;
struct pa_stream;
struct pollfd;

class PulseOutput final : public AudioOutput {
public:
    // How the stream is named to the server (application.name,
    // application.icon_name, media.role).
    struct Names {
        std::string application;
        std::string icon;
        std::string role;
    };
    explicit PulseOutput(Names names);
    ~PulseOutput() override;
    PulseOutput(const PulseOutput&) = delete;
    PulseOutput& operator=(const PulseOutput&) = delete;

    // Throws AppError (ErrNo::NoSoundDevice) when no server answers within
    // two seconds or the stream cannot be made.
    void open(int rate, int channels) override;
    long write(const int16_t* data, long frames) override;
    void waitWritable(int timeoutMs) override;
    void interrupt() override;
    long delay() override;
    bool started() override { return running_; }
    void startQueued() override;
    // What the server holds and will not play within kKeepMs can be
    // written over: the next write goes to its place in the stream
    // (PA_SEEK_ABSOLUTE), before the server asks for it.
    long takeBack(long frames) override;
    void drop() override;
    void close() override;

private:
    static int Poll(pollfd* fds, unsigned long count, int timeoutMs, void* self);
    // One round of the main loop, waiting at most `timeoutMs` (an interrupt
    // ends it early). False when the loop cannot run.
    bool iterate(int timeoutMs);
    bool ready() const;
    // Sends what was asked of the server.
    void send();
    // Runs the main loop until `op` is done (a moment at most), and lets it go.
    void waitFor(pa_operation* op);
    void fail(const char* what, int error);
    bool makeStream(std::chrono::steady_clock::time_point deadline);
    void closeStream();

    Names names_;
    pa_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    pa_proplist* props_ = nullptr;  // the stream's names
    pa_sample_spec spec_{};
    pa_channel_map map_{};
    int wake_ = -1;             // eventfd that interrupt() signals
    bool interrupted_ = false;  // it did, and no wait has ended for it yet
    int rate_ = 0;
    size_t frameBytes_ = 0;
    size_t requestBytes_ = 0;                          // the server asks for more once this much is free
    long startFrames_ = 0;                             // the server starts playing once that much is queued
    long queued_ = 0;                                  // frames written since the open or the last drop
    std::chrono::steady_clock::time_point timedAt_{};  // the last timing update asked
    bool running_ = false;
    bool remake_ = false;     // the stream was dropped: the next write makes one
    long owed_ = 0;           // frames taken back and not yet written again
    int64_t rewriteAt_ = -1;  // where in the stream (bytes) the next write goes; -1: behind the last
};

class SoundOutput final : public AudioOutput {
public:
    // CORVALLE_SOUND_OUTPUT=alsa in the environment keeps to ALSA.
    explicit SoundOutput(PulseOutput::Names names);
    void open(int rate, int channels) override;
    long write(const int16_t* data, long frames) override { return active_ ? active_->write(data, frames) : -1; }
    void waitWritable(int timeoutMs) override {
        if (active_) active_->waitWritable(timeoutMs);
    }
    void interrupt() override;
    long delay() override { return active_ ? active_->delay() : 0; }
    bool started() override { return !active_ || active_->started(); }
    void startQueued() override {
        if (active_) active_->startQueued();
    }
    long takeBack(long frames) override { return active_ ? active_->takeBack(frames) : 0; }
    void drop() override {
        if (active_) active_->drop();
    }
    void close() override;

private:
    PulseOutput pulse_;
    AlsaOutput alsa_;
    AudioOutput* active_ = nullptr;
    bool alsaOnly_ = false;
};
