#pragma once
// Sets the master volume away from the caller's thread: the mixer reaches
// the sound server (through ALSA's pulse plug-in), and a server that hangs
// would hold the caller for as long as it does. The newest value asked wins:
// a thread is started when a value comes and none works, and ends once no
// value is left; one stuck in the mixer is left to itself and sets the
// newest value when it returns.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class VolumeSetter {
public:
    // Sets one volume on an output (empty: the system's) and tells whether
    // the mixer took it (on the setter's thread).
    using Apply = std::function<bool(int32_t volume, const std::string& output)>;
    // Told on the setter's thread, with no lock held, possibly after the
    // setter is gone: it may hold nothing that goes before the program ends
    // (a log line is what it is for).
    using Done = std::function<void(int32_t volume, bool set)>;
    // By default VolumeControler::SetOutputVolume.
    explicit VolumeSetter(Done done = nullptr, Apply apply = nullptr);
    // Never waits: a thread at work goes on alone.
    ~VolumeSetter() = default;
    VolumeSetter(const VolumeSetter&) = delete;
    VolumeSetter& operator=(const VolumeSetter&) = delete;

    // Never waits.
    void set(int32_t volume, const std::string& output = {});

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
};
