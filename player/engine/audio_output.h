#pragma once
// The sound sink the playback engine writes decoded frames into: interleaved
// signed 16-bit frames, written without blocking. AlsaOutput is the real one;
// tests plug in their own. The engine's thread opens it and hands it to a
// worker; from then on only that worker calls it (it opens it again after a
// failure or for a new format), except interrupt(), which the engine's
// thread may call at any time.
#include <cstdint>

class AudioOutput {
public:
    virtual ~AudioOutput() = default;

    // Opens the device for `rate` frames per second and `channels` channels.
    // Throws AppError (ErrNo::NoSoundDevice) when it cannot be opened.
    virtual void open(int rate, int channels) = 0;
    // Takes up to `frames` frames without blocking; returns how many were
    // taken (0 when the buffer is full) or -1 after an unrecoverable error.
    virtual long write(const int16_t* data, long frames) = 0;
    // Waits at most `timeoutMs` milliseconds for room in the buffer, or until
    // interrupt() is called.
    virtual void waitWritable(int timeoutMs) = 0;
    // Ends a waitWritable in progress at once, or the next one if none is
    // waiting. Thread-safe; valid for the object's whole life.
    virtual void interrupt() {}
    // Frames written but not yet heard, counting what the sound server still
    // holds; 0 when the device cannot tell (it has run dry, say).
    virtual long delay() = 0;
    // The device has started playing what it was given since it was opened
    // or dropped. Until it starts (it waits for a full buffer, or for
    // startQueued) none of what it holds is heard, whatever delay() says.
    virtual bool started() { return true; }
    // Starts playing what is queued, if that has not started by itself (less
    // than a buffer was written). Never blocks.
    virtual void startQueued() = 0;
    // Takes back up to `frames` of the frames written last, of those the
    // device will not play for a while yet; the next write goes in their
    // place, without a break. Returns how many were taken back (0: none can
    // be, the default).
    virtual long takeBack(long frames) {
        (void)frames;
        return 0;
    }
    // Discards what is queued; the device is ready for new writes at once.
    virtual void drop() = 0;
    // Releases the device (safe to call twice).
    virtual void close() = 0;
};
