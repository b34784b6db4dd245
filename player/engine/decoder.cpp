// libmpg123 behind a small interface. The output format is forced to signed
// 16-bit at every rate libmpg123 supports, so a stream that changes rate or
// channel count mid-way is reported as a format change instead of failing.
// Reads go through our own reader callbacks, so a source that fails part-way
// ends the stream rather than the program.
#include "engine/decoder.h"

#include "common/app_error.h"

#include <mpg123.h>
#include <sys/stat.h>
#include <taglib/apetag.h>
#include <taglib/commentsframe.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tfilestream.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <mutex>

namespace {
constexpr size_t kBlock = 64 * 1024;

void InitLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

AppError Failure(const char* what) {
    return AppError(ErrNo::DecoderFailure, StandardDescription(ErrNo::DecoderFailure) + " (" + what + ")");
}

// "-6.20 dB", "+1.5 dB", "0.988" as a number, never by the locale's rules
// (a decimal comma, as some taggers write it, is read as a point); anything
// else, or a value out of reason, as none.
std::optional<double> Number(const TagLib::String& text, double low, double high) {
    std::string s = text.upper().to8Bit(true);
    if (const size_t comma = s.find(','); comma != std::string::npos) s[comma] = '.';
    const char* p = s.c_str();
    const char* end = p + s.size();
    const auto skipSpace = [end](const char* q) {
        while (q < end && std::isspace(static_cast<unsigned char>(*q))) ++q;
        return q;
    };
    p = skipSpace(p);
    if (p < end && *p == '+') ++p;
    double value = 0;
    const auto [rest, ec] = std::from_chars(p, end, value);
    if (ec != std::errc() || rest == p || !std::isfinite(value) || value < low || value > high) return std::nullopt;
    const char* unit = skipSpace(rest);
    if (end - unit >= 2 && unit[0] == 'D' && unit[1] == 'B') unit = skipSpace(unit + 2);
    if (unit != end) return std::nullopt;
    return value;
}

// The ID3v2 frames libmpg123 takes a gain from: RVA2, and TXXX or COMM
// frames named replaygain_*_gain or RVA*.
bool HasId3v2Gain(TagLib::MPEG::File& file) {
    if (!file.hasID3v2Tag()) return false;
    const TagLib::ID3v2::FrameListMap& frames = file.ID3v2Tag()->frameListMap();
    if (frames.contains("RVA2")) return true;
    const auto named = [](const TagLib::String& description) {
        const TagLib::String d = description.upper();
        return d.startsWith("RVA") || d == "REPLAYGAIN_TRACK_GAIN" || d == "REPLAYGAIN_ALBUM_GAIN";
    };
    for (const char* id : {"TXXX", "COMM"}) {
        if (!frames.contains(id)) continue;
        for (TagLib::ID3v2::Frame* frame : frames[id]) {
            if (const auto* text = dynamic_cast<TagLib::ID3v2::UserTextIdentificationFrame*>(frame))
                if (named(text->description())) return true;
            if (const auto* comment = dynamic_cast<TagLib::ID3v2::CommentsFrame*>(frame))
                if (named(comment->description())) return true;
        }
    }
    return false;
}

// The ReplayGain of the file's APEv2 tag, read with TagLib (libmpg123 reads
// no APE tags). None when its ID3v2 tag has a gain of its own, which
// libmpg123 applies. (A gain in the LAME header gives way to the tag's.)
Decoder::Gains ReadApeGains(const std::string& path) {
    Decoder::Gains gains;
    try {
        TagLib::FileStream stream(path.c_str(), true);  // read only
        if (!stream.isOpen()) return gains;
        TagLib::MPEG::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
        if (!file.isValid() || !file.hasAPETag() || HasId3v2Gain(file)) return gains;
        const TagLib::APE::ItemListMap& items = file.APETag()->itemListMap();  // keys in capitals
        const auto item = [&items](const char* key, double low, double high) -> std::optional<double> {
            const auto it = items.find(key);
            return it == items.end() ? std::nullopt : Number(it->second.toString(), low, high);
        };
        // ReplayGain's own range is -51 to +51 dB.
        gains.trackDb = item("REPLAYGAIN_TRACK_GAIN", -60, 60);
        gains.albumDb = item("REPLAYGAIN_ALBUM_GAIN", -60, 60);
        gains.trackPeak = item("REPLAYGAIN_TRACK_PEAK", 1e-6, 100).value_or(0);
        gains.albumPeak = item("REPLAYGAIN_ALBUM_PEAK", 1e-6, 100).value_or(0);
    } catch (const std::exception&) {
        return Decoder::Gains();  // a tag that cannot be read levels as none
    }
    return gains;
}
}  // namespace

FileSource::FileSource(const std::string& path) {
    if (path.empty()) throw MakeError(ErrNo::FileNotFound);
    struct stat st {};
    fd_ = OpenRegularFile(path, st, ErrNo::NotMpegAudio, true);
    if (st.st_size == 0) throw MakeError(ErrNo::NotMpegAudio);
}

ssize_t FileSource::read(void* buffer, size_t bytes) {
    if (at_ == held_) {
        if (bytes >= kBlock) {  // a large read goes straight to the file
            for (;;) {
                const ssize_t n = ::read(fd_.get(), buffer, bytes);
                if (n > 0) fileAt_ += n;
                if (n >= 0 || errno != EINTR) return n;
            }
        }
        block_.resize(kBlock);
        ssize_t n = 0;
        while ((n = ::read(fd_.get(), block_.data(), kBlock)) < 0 && errno == EINTR) {
        }
        if (n <= 0) return n;
        fileAt_ += n;
        at_ = 0;
        held_ = static_cast<size_t>(n);
    }
    const size_t n = std::min(bytes, held_ - at_);
    std::memcpy(buffer, block_.data() + at_, n);
    at_ += n;
    return static_cast<ssize_t>(n);
}

off_t FileSource::seek(off_t offset, int whence) {
    // The caller stands behind the file's own offset by what is held and
    // not yet handed out; a place inside the block held is served from it.
    const off_t blockStart = fileAt_ - static_cast<off_t>(held_);
    const off_t here = fileAt_ - static_cast<off_t>(held_ - at_);
    const off_t target = whence == SEEK_SET ? offset : whence == SEEK_CUR ? here + offset : -1;
    if (held_ > 0 && target >= blockStart && target <= fileAt_) {
        at_ = static_cast<size_t>(target - blockStart);
        return target;
    }
    const off_t r = whence == SEEK_CUR ? ::lseek(fd_.get(), target, SEEK_SET) : ::lseek(fd_.get(), offset, whence);
    if (r < 0) return r;  // what is held stays where it was
    fileAt_ = r;
    at_ = held_ = 0;
    return r;
}

ssize_t Decoder::ReadCallback(void* handle, void* buffer, size_t bytes) {
    auto* d = static_cast<Decoder*>(handle);
    if (d->cancel_ && d->cancel_->load()) {
        d->readFailed_ = true;
        return -1;
    }
    ssize_t n = d->source_->read(buffer, bytes);
    if (n < 0) d->readFailed_ = true;
    return n;
}

off_t Decoder::SeekCallback(void* handle, off_t offset, int whence) {
    return static_cast<Decoder*>(handle)->source_->seek(offset, whence);
}

std::unique_ptr<Decoder> Decoder::OpenFile(const std::string& path) {
    auto decoder = std::make_unique<Decoder>(std::make_unique<FileSource>(path));
    decoder->gains_ = ReadApeGains(path);
    return decoder;
}

Decoder::Decoder(std::unique_ptr<ByteSource> source) : source_(std::move(source)) {
    InitLibrary();
    int err = MPG123_OK;
    mh_ = mpg123_new(nullptr, &err);
    if (!mh_) throw Failure(mpg123_plain_strerror(err));
    struct Closer {
        Decoder* d;
        bool armed = true;
        ~Closer() {
            if (armed) {
                mpg123_delete(d->mh_);
                d->mh_ = nullptr;
            }
        }
    } closer{this};

    mpg123_param(mh_, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0.0);
    mpg123_format_none(mh_);
    const long* rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i) mpg123_format(mh_, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);

    if (mpg123_replace_reader_handle(mh_, ReadCallback, SeekCallback, nullptr) != MPG123_OK ||
        mpg123_open_handle(mh_, this) != MPG123_OK)
        throw Failure(mpg123_strerror(mh_));

    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_getformat(mh_, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 || channels <= 0)
        throw StreamError();
    rate_ = static_cast<int>(rate);
    channels_ = channels;
    closer.armed = false;
}

AppError Decoder::StreamError() const { return MakeError(readFailed_ ? ErrNo::DeviceIoError : ErrNo::NotMpegAudio); }

double Decoder::measure(const std::atomic<bool>* cancel) {
    if (length_ >= 0) return seconds_;
    cancel_ = cancel;
    // The whole stream is parsed once, frame by frame: the exact length even
    // without (or with a lying) Xing/LAME header. (mpg123_scan would count
    // the frames too, but cannot tell a format change part-way, which would
    // take a second pass.) The open read the first frame, or went on to the
    // first one that gives sound: that many frames are counted at the first
    // frame's size.
    mpg123_frameinfo2 info{};
    if (mpg123_info2(mh_, &info) != MPG123_OK || info.rate <= 0) throw StreamError();
    const long firstRate = info.rate;
    const int firstMode = info.mode == MPG123_M_MONO ? 1 : 2;
    const off_t announced = mpg123_framelength(mh_);  // the Xing header's count (or a guess), before the pass
    int64_t frames = std::max<int64_t>(0, mpg123_tellframe(mh_)) + 1;
    int64_t samples = frames * mpg123_spf(mh_);
    double sum = static_cast<double>(samples) / static_cast<double>(firstRate);
    bool changed = false;
    int r = MPG123_OK;
    while ((r = mpg123_framebyframe_next(mh_)) == MPG123_OK || r == MPG123_NEW_FORMAT) {
        if (mpg123_info2(mh_, &info) != MPG123_OK || info.rate <= 0) break;
        if (info.rate != firstRate || (info.mode == MPG123_M_MONO ? 1 : 2) != firstMode) changed = true;
        const int spf = mpg123_spf(mh_);
        ++frames;
        samples += spf;
        sum += static_cast<double>(spf) / static_cast<double>(info.rate);
    }
    if (readFailed_) throw StreamError();
    // Gapless decoding leaves out the encoder's delay and padding that the
    // LAME header tells. A stream shorter than it announces (cut off) is
    // counted whole, as libmpg123's own scan counts it.
    long delay = -1, padding = -1;
    double unused = 0;
    mpg123_getstate(mh_, MPG123_ENC_DELAY, &delay, &unused);
    mpg123_getstate(mh_, MPG123_ENC_PADDING, &padding, &unused);
    if (delay > 0 && padding >= 0 && (announced <= 0 || frames >= announced)) samples -= delay + padding;
    if (samples <= 0) throw StreamError();
    // Back to the start for decoding.
    if (mpg123_seek(mh_, 0, SEEK_SET) < 0) throw StreamError();
    length_ = samples;
    // libmpg123 counts every frame at the first one's rate: a stream whose
    // rate or channels change part-way lasts the sum of its frames.
    seconds_ = changed ? sum : static_cast<double>(length_) / rate_;
    cancel_ = nullptr;
    return seconds_;
}

Decoder::~Decoder() {
    if (mh_) {
        mpg123_close(mh_);
        mpg123_delete(mh_);
    }
}

Decoder::Status Decoder::read(int16_t* out, size_t maxFrames, size_t& frames) {
    frames = 0;
    if (failed_ || !mh_) return Status::End;
    for (int spins = 0; spins < 64; ++spins) {
        if (formatPending_) {
            formatPending_ = false;
            long rate = 0;
            int channels = 0, encoding = 0;
            mpg123_getformat(mh_, &rate, &channels, &encoding);
            if (rate <= 0 || channels <= 0 || encoding != MPG123_ENC_SIGNED_16) {
                failed_ = true;
                return Status::End;
            }
            if (rate != rate_ || channels != channels_) {
                rate_ = static_cast<int>(rate);
                channels_ = channels;
                return Status::FormatChanged;
            }
            // The same format again (after a seek, for example).
        }
        const size_t frameBytes = sizeof(int16_t) * static_cast<size_t>(channels_);
        size_t done = 0;
        int r = mpg123_read(mh_, out, maxFrames * frameBytes, &done);
        // A new format is announced together with what was decoded in the
        // old one before it: that is played first, the change comes next.
        if (r == MPG123_NEW_FORMAT) formatPending_ = true;
        frames = done / frameBytes;
        if (frames > 0) return Status::Data;
        // A frame that gave no output (gapless trim), or a change announced alone.
        if (r == MPG123_OK || r == MPG123_NEW_FORMAT) continue;
        if (r != MPG123_DONE) failed_ = true;
        return Status::End;
    }
    failed_ = true;
    return Status::End;
}

namespace {
// The gain libmpg123 reads from the file for `mode` (which it uses from now
// on): with the base scale at 1 it tells the file's own. (Setting the scale
// also applies the new mode; a negative scale would mute.)
double FileGainDb(mpg123_handle* mh, long mode) {
    mpg123_param(mh, MPG123_RVA, mode, 0.0);
    mpg123_volume(mh, 1.0);
    double base = 0, really = 0, fileDb = 0;
    mpg123_getvolume(mh, &base, &really, &fileDb);
    return fileDb;
}
}  // namespace

void Decoder::setLevelling(const Levelling& levelling) {
    if (!mh_) return;
    using Mode = Levelling::Mode;
    // A gain read apart: the album's where asked and known, else the track's.
    const bool album = levelling.mode == Mode::Album && gains_.albumDb;
    const std::optional<double> ownDb = levelling.mode == Mode::Off ? std::nullopt
                                        : album                     ? gains_.albumDb
                                                                    : gains_.trackDb;
    const long mode = levelling.mode == Mode::Off || ownDb ? MPG123_RVA_OFF
                      : levelling.mode == Mode::Track      ? MPG123_RVA_MIX
                                                           : MPG123_RVA_ALBUM;
    double fileDb = FileGainDb(mh_, mode);
    // An album's gain of 0 dB is none: a LAME header carries one beside the
    // track's. The track's gain stands in for it (ID3v2 or LAME), as it does
    // for a missing album gain and for the APEv2 tag's.
    if (mode == MPG123_RVA_ALBUM && fileDb == 0) fileDb = FileGainDb(mh_, MPG123_RVA_MIX);
    double scale = 1;
    if (ownDb) {
        // As libmpg123 does with its own: the gain and the pre-amplification,
        // held to the peak where one is known.
        scale = std::pow(10.0, (*ownDb + levelling.preampDb) / 20.0);
        const double peak = album ? gains_.albumPeak : gains_.trackPeak;
        if (peak > 0) scale = std::min(scale, 1.0 / peak);
    } else if (levelling.mode != Mode::Off) {
        scale = std::pow(10.0, (fileDb != 0 ? levelling.preampDb : levelling.untaggedDb) / 20.0);
    }
    mpg123_volume(mh_, scale);
}

bool Decoder::seek(int64_t frame) {
    if (!mh_ || failed_) return false;
    if (frame < 0) frame = 0;
    // Past the end is no failure: the next read tells the end.
    if (mpg123_seek(mh_, static_cast<off_t>(frame), SEEK_SET) >= 0) return true;
    failed_ = true;
    return false;
}
