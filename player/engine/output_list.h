#pragma once
// The outputs a listener may choose: the sound server's sinks by their
// descriptions, kept current from the server's events (a sink plugged in
// comes, one unplugged goes), or, without a server (or with
// CORVALLE_SOUND_OUTPUT=alsa), ALSA's playback devices. A thread of its own
// talks to the server and lists; the caller's thread never waits on it.
#include "common/thread_safety.h"

#include <condition_variable>
#include <functional>
#include <string>
#include <thread>
#include <vector>

struct pa_mainloop;

class OutputList {
public:
    struct Output {
        std::string name;         // what AudioOutput::setDevice takes
        std::string description;  // what the listener reads
    };
    // `listed` gets every list, on the list's thread, with no lock held.
    using Listener = std::function<void(const std::vector<Output>& outputs)>;
    explicit OutputList(Listener listed);
    ~OutputList();  // stops the thread
    OutputList(const OutputList&) = delete;
    OutputList& operator=(const OutputList&) = delete;

    // Lists again: ALSA's devices, or a server that went is looked for.
    void refresh() EXCLUDES(mutex_);

private:
    void run();
    void followServer();  // until it goes, or a stop
    void listAlsa();
    bool stopping() EXCLUDES(mutex_);
    void wake() EXCLUDES(mutex_);

    const Listener listed_;
    const bool alsaOnly_;
    Mutex mutex_;
    std::condition_variable asked_;
    bool stop_ GUARDED_BY(mutex_) = false;
    bool refresh_ GUARDED_BY(mutex_) = false;
    pa_mainloop* loop_ GUARDED_BY(mutex_) = nullptr;  // while the server is followed
    std::thread thread_;
};
