#pragma once
// The master volume: the playback volume of the "default" sound mixer,
// reached through the alsa-lib simple mixer, or of the sound server's output
// the sound was sent to. Nothing is cached or stored; every call opens the
// mixer, sets the value and closes it again.
#include <cstdint>
#include <string>

// alsa-lib's handle types (snd_mixer_t, snd_mixer_elem_t), so the header
// does not pull in <alsa/asoundlib.h>.
struct _snd_mixer;
struct _snd_mixer_elem;
struct pa_mainloop;
struct pa_context;

namespace VolumeControler {

// The mixer operations SetMasterVolume needs, in the order it calls them.
// Each returns false on failure. close() may be called in any state and
// releases whatever open() obtained.
class Mixer {
public:
    virtual ~Mixer() = default;
    // Opens the mixer of the device and loads its elements.
    virtual bool open(const std::string& device) = 0;
    // Picks the element to drive: "Master", else the first element that has
    // a playback volume.
    virtual bool findElement() = 0;
    // The playback volume range of that element.
    virtual bool range(long& min, long& max) = 0;
    // Sets every playback channel of that element to value.
    virtual bool setVolume(long value) = 0;
    virtual void close() = 0;
};

// The alsa-lib simple mixer (snd_mixer_open / attach / selem_register / load).
class AlsaMixer final : public Mixer {
public:
    AlsaMixer() = default;
    ~AlsaMixer() override;
    AlsaMixer(const AlsaMixer&) = delete;
    AlsaMixer& operator=(const AlsaMixer&) = delete;

    bool open(const std::string& device) override;
    bool findElement() override;
    bool range(long& min, long& max) override;
    // alsa-lib ignores a value outside the element's range and still reports
    // success, so such a value is moved to the nearest end of the range
    // (volume 0 on an element whose minimum is above 0 sets that minimum).
    bool setVolume(long value) override;
    void close() override;
    bool isOpen() const { return handle_ != nullptr; }

private:
    ::_snd_mixer* handle_ = nullptr;
    ::_snd_mixer_elem* elem_ = nullptr;
};

// One output of the sound server (libpulse): open() connects, findElement()
// finds the sink named, or the server's default when that one is not there
// (the sound went there too), and its channels; the range is the server's
// 0 ..100 %. Each step waits at most two seconds for the server.
class PulseMixer final : public Mixer {
public:
    PulseMixer() = default;
    ~PulseMixer() override;
    PulseMixer(const PulseMixer&) = delete;
    PulseMixer& operator=(const PulseMixer&) = delete;

    bool open(const std::string& sink) override;
    bool findElement() override;
    bool range(long& min, long& max) override;
    bool setVolume(long value) override;
    void close() override;
    // The last open() reached a server, one that hangs too (kept after
    // close()).
    bool reached() const { return reached_; }

private:
    // Runs the main loop until `done` or the deadline (false then, or when
    // the connection failed).
    template <typename Done>
    bool waitFor(Done done);

    ::pa_mainloop* loop_ = nullptr;
    ::pa_context* context_ = nullptr;
    std::string asked_;
    std::string found_;
    int channels_ = 0;
    bool reached_ = false;
};

// The mixer of the card an ALSA playback device plays on ("plughw:CARD=PCH,
// DEV=0" -> "hw:CARD=PCH"); "default" for a device of no card.
std::string CardMixerOf(const std::string& device);

// The mixer value for a volume in percent (0..100) on a range whose maximum
// is max: volume x max / 100, an exact half rounded to the even neighbour.
// The range's minimum is not consulted: 0 maps to 0 and 100 to max. The
// product is formed wide enough for any max.
long MapVolume(int32_t volume, long max);

// value moved into [min, max] (the nearest end when it lies outside).
long ClampToRange(long value, long min, long max);

// Sets the master volume to volume percent. Returns true when the mixer
// accepted the value, false in every other case: volume below 0 or above 100
// (no mixer is opened then), no mixer, no element with a playback volume, or a
// refused value. The mixer is closed on every path once open() was tried.
bool SetMasterVolume(int32_t volume, Mixer& mixer, const std::string& device = "default");
// The same through the alsa-lib mixer of device.
bool SetMasterVolume(int32_t volume, const std::string& device = "default");
// The volume of the output the sound goes to: with none chosen, the
// "default" mixer's; a sound server's sink chosen, that sink's (the default's
// when it is not there); an ALSA device chosen where no server is there (or
// CORVALLE_SOUND_OUTPUT=alsa keeps to ALSA), its card's mixer, else
// "default"'s.
bool SetOutputVolume(int32_t volume, const std::string& output);

}  // namespace VolumeControler
