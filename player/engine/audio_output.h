#pragma once
// The sound sink the playback engine writes decoded frames into: interleaved
// signed 16-bit frames, written without blocking. SoundOutput (a sound
// server through libpulse, or ALSA) is the real one; tests plug in their own.
// A worker of the engine owns it from open to close and alone calls it,
// except interrupt(), which the engine's thread may call at any time. The
// engine's thread never opens it: an open may wait a few seconds for a sound
// server that does not answer.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class AudioOutput {
public:
    virtual ~AudioOutput() = default;

    // Opens the device for `rate` frames per second and `channels` channels.
    // Throws AppError (ErrNo::NoSoundDevice) when it cannot be opened within
    // a few seconds; a sound server's open also ends at once when
    // interrupt() is called meanwhile.
    virtual void open(int rate, int channels) = 0;
    // Takes up to `frames` frames without blocking; returns how many were
    // taken (0 when the buffer is full) or -1 after an unrecoverable error.
    virtual long write(const int16_t* data, long frames) = 0;
    // Waits at most `timeoutMs` milliseconds for room in the buffer, or until
    // interrupt() is called.
    virtual void waitWritable(int timeoutMs) = 0;
    // Ends a wait (or an open) in progress at once, or the next one if none
    // is waiting. Thread-safe; valid for the object's whole life.
    virtual void interrupt() {}
    // Frames written but not yet heard, counting what the sound server still
    // holds; nothing when the device cannot tell now (its count was reset by
    // a drop and not yet told again, say).
    virtual std::optional<long> delay() = 0;
    // The device plays what it holds now. Before it starts (it waits for part
    // of a buffer, or for startQueued), after it ran dry and while it is held
    // nothing of what it holds is heard, whatever delay() says.
    virtual bool started() { return true; }
    // Starts playing what is queued, if that has not started by itself (less
    // than it waits for was written, or it ran dry). Never blocks.
    virtual void startQueued() = 0;
    // Takes back up to `frames` of the frames written last, of those the
    // device will not play for a while yet; the next write goes in their
    // place, without a break. Returns how many were taken back (0: none can
    // be, the default). A write over them that comes too late to be heard in
    // full keeps what would be heard too soon as it was, and counts it taken.
    virtual long takeBack(long frames) {
        (void)frames;
        return 0;
    }
    // Holds what the device has, unheard, and plays nothing until released
    // (on = false), which goes on where it stopped. False when the device
    // cannot hold: the caller drops what it has instead.
    virtual bool hold(bool on) {
        (void)on;
        return false;
    }
    // The output to play on, by name (a sound server's sink, an ALSA
    // device); empty for the system's default, followed where it goes.
    // Kept for every later open. True when what plays goes there now (or
    // nothing is open); false when the device has to be opened again for
    // it. One that cannot be opened is told (notice) and the default
    // plays instead.
    virtual bool setDevice(const std::string& name) {
        (void)name;
        return true;
    }
    // What became of the output chosen.
    enum class Notice {
        Missing,  // it could not be opened: the default plays
        Gone,     // it went while playing: the server moved the sound to the default
        Back,     // it came back, and plays again
    };
    using Notices = std::function<void(Notice what, const std::string& output)>;
    // Where the device tells it: on the thread that uses the device, with no
    // lock held.
    void setNotices(Notices notices) { notice_ = std::move(notices); }
    // Discards what is queued; the device is ready for new writes at once.
    virtual void drop() = 0;
    // Releases the device (safe to call twice).
    virtual void close() = 0;

protected:
    void notice(Notice what, const std::string& output) {
        if (notice_) notice_(what, output);
    }

private:
    Notices notice_;
};
