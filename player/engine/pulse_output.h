#pragma once
// AudioOutput straight to a PulseAudio server (or PipeWire's): one playback
// stream with about a second of buffer, asking for more when about half of it
// is free, so the thread that writes wakes about twice a second and no other
// thread is started (the main loop of libpulse runs inside the writer's
// waits and readings). The stream starts once half its buffer is queued, or on
// startQueued; it tells when it ran dry, so that what comes after is started
// too. A pause corks it (what it holds waits, heard on release), a drop
// flushes it (what comes next is heard at once): both are heard within a few
// milliseconds. Timing is asked of the server at most once a second (and
// when the stream starts) and never waited for; libpulse interpolates in
// between. The stream carries the program's name, icon and role.
#include "engine/audio_output.h"
#include "engine/wake_up.h"

#include <pulse/channelmap.h>
#include <pulse/def.h>
#include <pulse/proplist.h>
#include <pulse/sample.h>

#include <chrono>
#include <cstdint>
#include <string>

struct pa_context;
struct pa_operation;
struct pa_server_info;
struct pa_sink_info;
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
    // Why the last open failed.
    enum class Failure {
        None,
        NoServer,     // none runs (refused, no socket), or the stream was refused
        NoAnswer,     // a server is there but did not answer in time: it may hang
        Interrupted,  // interrupt() came first
    };
    explicit PulseOutput(Names names);
    ~PulseOutput() override;
    PulseOutput(const PulseOutput&) = delete;
    PulseOutput& operator=(const PulseOutput&) = delete;

    // Throws AppError (ErrNo::NoSoundDevice) when no server answers within
    // two seconds or the stream cannot be made; failure() tells why.
    void open(int rate, int channels) override;
    Failure failure() const { return failure_; }
    long write(const int16_t* data, long frames) override;
    void waitWritable(int timeoutMs) override;
    void interrupt() override { wake_.signal(); }
    std::optional<long> delay() override;
    bool started() override { return running_ && !held_; }
    void startQueued() override;
    // What the server holds and will not play within keepMs_ can be
    // written over: the writes that follow go to their place in the stream
    // (PA_SEEK_ABSOLUTE), each checked again against what plays by then.
    long takeBack(long frames) override;
    bool hold(bool on) override;
    void drop() override;
    void close() override;
    bool setDevice(const std::string& name) override;

private:
    static int Poll(pollfd* fds, unsigned long count, int timeoutMs, void* self);
    static void OnUnderflow(pa_stream* stream, void* self);
    static void OnStarted(pa_stream* stream, void* self);
    static void OnServerInfo(pa_context* context, const pa_server_info* info, void* self);
    static void OnMoved(pa_stream* stream, void* self);
    static void OnEvent(pa_context* context, pa_subscription_event_type_t type, uint32_t index, void* self);
    static void OnSinkCame(pa_context* context, const pa_sink_info* info, int eol, void* self);
    void moveTo(const std::string& sink);
    // The server plays the stream (it had enough, or was told to start).
    void startedNow();
    // One round of the main loop, waiting at most `timeoutMs` (an interrupt
    // ends it early). False when the loop cannot run.
    bool iterate(int timeoutMs);
    bool ready() const;
    // Sends what was asked of the server.
    void send();
    // Asks the server for timing when it is due; the answer is taken by a
    // later round of the main loop.
    void askTiming();
    // What libpulse carried on since is not believed: the server is asked
    // at once, and delay() cannot tell until it has answered.
    void askTimingAgain();
    [[noreturn]] void fail(Failure failure, const char* what, int error);
    // Runs the main loop until `done` tells PA_OPERATION_DONE (None), or
    // CANCELLED (NoServer), an interrupt, the deadline or the loop fails.
    template <typename Done>
    Failure waitUntil(std::chrono::steady_clock::time_point deadline, Done done);
    // On the sink chosen, unless `onDevice` is false.
    Failure makeStream(std::chrono::steady_clock::time_point deadline, bool onDevice = true);
    void closeStream();
    void forgetQueued();
    // Frames of what was taken back, from where the next write over it
    // goes, that will be heard within keepMs_ (all of them when the server
    // cannot tell): those are kept as they are.
    long tooSoonToWriteOver(long frames);
    // What plays within this is never written over (keepMs_, and under
    // PipeWire what its sink holds and a quantum more).
    pa_usec_t keepUsec() const;

    Names names_;
    pa_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    pa_proplist* props_ = nullptr;    // the stream's names
    pa_operation* timing_ = nullptr;  // a timing update not yet answered
    pa_sample_spec spec_{};
    pa_channel_map map_{};
    WakeUp wake_;
    std::string device_;        // the sink chosen; empty: the default
    int keepMs_ = 0;            // what plays within this is never written over
    bool rewinds_ = false;      // the server takes again what its sink took (PulseAudio)
    bool interrupted_ = false;  // it woke the loop, and no wait has ended for it yet
    Failure failure_ = Failure::None;
    int rate_ = 0;
    size_t frameBytes_ = 0;
    size_t requestBytes_ = 0;  // the server asks for more once this much is free
    long startFrames_ = 0;     // the server starts playing once that much is queued
    long queued_ = 0;          // frames written since it last held nothing (opened, dropped, dry)
    std::chrono::steady_clock::time_point timedAt_{};  // the last timing update asked
    uint64_t timingAsked_ = 0;                         // timing updates asked, numbered from 1
    uint64_t timingAnswered_ = 0;                      // the newest of them answered
    uint64_t timingWanted_ = 0;                        // the first whose answer is believed
    bool running_ = false;                             // the server plays the stream (not waiting, not dry)
    bool held_ = false;                                // corked
    long owed_ = 0;                                    // frames taken back and not yet written again
    int64_t rewriteAt_ = -1;                           // where in the stream (bytes) the next of them goes
    // Frames by which libpulse's count of what was written runs ahead of
    // this output's: what was taken back, until a write over it moves
    // libpulse's count back.
    long countedAhead_ = 0;
};
