// Fuzzes the MPEG path from bytes in memory: libmpg123's opening of the
// stream, the scan that measures its length, decoding to the end (through
// format changes) and a seek back, all through our Decoder.
#include "common/app_error.h"
#include "engine/decoder.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace {
class MemorySource final : public ByteSource {
public:
    MemorySource(const uint8_t* data, size_t size) : data_(data), size_(static_cast<off_t>(size)) {}
    ssize_t read(void* buffer, size_t bytes) override {
        const off_t n = std::min<off_t>(static_cast<off_t>(bytes), size_ - pos_);
        if (n <= 0) return 0;
        std::memcpy(buffer, data_ + pos_, static_cast<size_t>(n));
        pos_ += n;
        return static_cast<ssize_t>(n);
    }
    off_t seek(off_t offset, int whence) override {
        const off_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? pos_ : size_;
        if (base + offset < 0) return -1;
        pos_ = base + offset;
        return pos_;
    }

private:
    const uint8_t* data_;
    off_t size_;
    off_t pos_ = 0;
};

void DecodeAll(Decoder& d) {
    std::vector<int16_t> out(1152 * 2 * 2);
    for (int chunks = 0; chunks < 100000; ++chunks) {
        if (d.rate() <= 0 || d.channels() < 1 || d.channels() > 2) __builtin_trap();
        const size_t maxFrames = out.size() / static_cast<size_t>(d.channels());
        size_t frames = 0;
        const Decoder::Status st = d.read(out.data(), maxFrames, frames);
        if (st == Decoder::Status::End) return;
        if (frames > maxFrames) __builtin_trap();
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        Decoder d(std::make_unique<MemorySource>(data, size));
        try {
            const double seconds = d.measure();
            if (!(seconds >= 0)) __builtin_trap();
        } catch (const AppError&) {
        }
        DecodeAll(d);
        if (d.seek(0)) DecodeAll(d);
    } catch (const AppError&) {
    }
    return 0;
}
