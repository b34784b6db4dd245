#pragma once
// MPEG audio decoding over libmpg123: opens a file (or any ByteSource),
// hands out interleaved signed 16-bit frames and, on request, measures the
// stream's length (a full scan, gapless). One thread at a time uses a Decoder.
#include <sys/types.h>

#include "common/app_error.h"
#include "common/unique_fd.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

typedef struct mpg123_handle_struct mpg123_handle;

// Where the encoded bytes come from. read and seek follow read(2)/lseek(2):
// -1 on failure.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual ssize_t read(void* buffer, size_t bytes) = 0;
    virtual off_t seek(off_t offset, int whence) = 0;
};

// A file opened read-only. Throws AppError when it cannot be opened, is not
// a regular file or is empty. Read in blocks: libmpg123 asks for each frame's
// header and body apart, two system calls a frame otherwise.
class FileSource final : public ByteSource {
public:
    explicit FileSource(const std::string& path);
    ssize_t read(void* buffer, size_t bytes) override;
    off_t seek(off_t offset, int whence) override;

private:
    UniqueFd fd_;
    std::vector<char> block_;   // read ahead of the caller
    size_t at_ = 0, held_ = 0;  // the part of block_ not yet handed out
    off_t fileAt_ = 0;          // the file's own offset: the end of block_
};

class Decoder {
public:
    enum class Status { Data, FormatChanged, End };

    // Volume levelling (ReplayGain), applied by libmpg123 as it decodes, so
    // gapless joins are kept. libmpg123 reads a file's gain from its ID3v2
    // tag (TXXX replaygain_* and RVA2 frames) and its LAME header, falls back
    // from the album's gain to the track's, and limits the scale by the peak
    // it knows; 16-bit output is clamped, never wrapped. A file whose ID3v2
    // tag has no gain but whose APEv2 tag has one (as mp3gain writes them)
    // is levelled by that, the same way.
    struct Levelling {
        enum class Mode { Off, Track, Album };
        Mode mode = Mode::Off;
        double preampDb = 0;    // added to the gain of a file that carries one
        double untaggedDb = 0;  // the gain of a file that carries none
        bool operator==(const Levelling& o) const {
            return mode == o.mode && preampDb == o.preampDb && untaggedDb == o.untaggedDb;
        }
        bool operator!=(const Levelling& o) const { return !(*this == o); }
    };

    // Opens the stream and reads its first frame (the length is measured
    // apart: a scan reads the whole file). Throws AppError:
    // ErrNo::DeviceIoError when the source's read fails, ErrNo::NotMpegAudio
    // when no MPEG audio frame is found, ErrNo::DecoderFailure otherwise.
    explicit Decoder(std::unique_ptr<ByteSource> source);
    ~Decoder();
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    // A decoder over the file at `path` (FileSource's errors, then the above),
    // with the gain of its APEv2 tag.
    static std::unique_ptr<Decoder> OpenFile(const std::string& path);

    int rate() const { return rate_; }
    int channels() const { return channels_; }
    // Reads the whole stream once, frame by frame, without decoding it, and
    // returns its length in seconds: exact (gapless) when the stream keeps
    // its format, else the sum of its frames' durations at their own rates.
    // Decoding goes on from the start afterwards.
    // Throws AppError: ErrNo::DeviceIoError when the source's read fails,
    // and once `cancel` is set (reading stops then); ErrNo::NotMpegAudio when
    // the scan fails otherwise.
    double measure(const std::atomic<bool>* cancel = nullptr);

    // Decodes up to `maxFrames` frames into `out` (room for maxFrames *
    // channels() samples). Data: `frames` > 0 were decoded, all in one
    // format. FormatChanged: nothing decoded, rate() or channels() differ
    // from before. End: the stream ended or cannot be read further
    // (failed() tells which); what was decoded before a read failure comes
    // first, as Data.
    Status read(int16_t* out, size_t maxFrames, size_t& frames);
    // Levels what is decoded from now on. A file whose gain libmpg123 reads
    // as exactly 0 dB counts as one without a gain.
    void setLevelling(const Levelling& levelling);

    // Moves to `frame` (counted at the current rate); past the end, the next
    // read tells the end. False when the stream cannot be read there (the
    // source failed, or libmpg123 found no frame to go on from): failed() is
    // true from then on, and the stream ends as one that cannot be read
    // further.
    bool seek(int64_t frame);
    // Decoding stopped on an error: libmpg123's, or a failed read of the
    // source. libmpg123 takes the latter for the end of the stream (it hands
    // out what it decoded before and then reports the end), so that is
    // told apart here.
    bool failed() const { return failed_ || readFailed_; }

    // ReplayGain values read apart from libmpg123 (from an APEv2 tag).
    struct Gains {
        std::optional<double> trackDb, albumDb;
        double trackPeak = 0, albumPeak = 0;  // 0: not known
    };

private:
    static ssize_t ReadCallback(void* handle, void* buffer, size_t bytes);
    static off_t SeekCallback(void* handle, off_t offset, int whence);
    // Why the stream could not be read: the source failed, or it holds no
    // MPEG audio libmpg123 can use.
    AppError StreamError() const;

    std::unique_ptr<ByteSource> source_;
    const std::atomic<bool>* cancel_ = nullptr;
    bool readFailed_ = false;  // the source reported a read error
    mpg123_handle* mh_ = nullptr;
    int rate_ = 0;
    int channels_ = 0;
    int64_t length_ = -1;  // frames at the first rate; -1: not measured
    double seconds_ = 0;
    bool failed_ = false;
    bool formatPending_ = false;  // libmpg123 announced a format not taken yet
    Gains gains_;
};
