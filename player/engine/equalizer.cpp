#include "engine/equalizer.h"
#include "engine/equalizer_cascade.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <utility>
#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace {
using Lanes = Equalizer::Lanes;
// Frames run in one go (the filters' last frames are run out at its end),
// how often the state is marked, and how much is kept to go back into: more
// than a device holds.
constexpr size_t kBlock = 4096;
constexpr int64_t kMarkEvery = 8192;
constexpr int kKeptSeconds = 3;
constexpr double kGainMoveSeconds = 0.005;

#if defined(__SSE__)
// Denormal numbers, which a filter ringing out into silence reaches, cost a
// hundred times as much: they are taken as 0 while the filters run.
class FlushDenormals {
public:
    FlushDenormals() : saved_(_mm_getcsr()) { _mm_setcsr(saved_ | 0x8040); }
    ~FlushDenormals() { _mm_setcsr(saved_); }

private:
    unsigned saved_;
};
#else
struct FlushDenormals {};
#endif
}  // namespace

const CascadeTable kPlainCascades = Table(std::make_index_sequence<Equalizer::kGroups>());

namespace {
const CascadeTable& Cascades() {
#if defined(CORVALLE_FMA_CASCADE)
    // Fused multiply-adds, where the processor has them: a third fewer steps.
    static const CascadeTable& table = __builtin_cpu_supports("fma") ? kFmaCascades : kPlainCascades;
    return table;
#else
    return kPlainCascades;
#endif
}
}  // namespace

Equalizer::Equalizer() { setFormat(rate_, channels_); }
Equalizer::~Equalizer() = default;

void Equalizer::setFormat(int rate, int channels) {
    rate_ = rate;
    channels_ = std::clamp(channels, 1, 2);
    kept_.assign(static_cast<size_t>(kKeptSeconds * rate_ * channels_), 0);
    now_.reset();
    setCurve(curve_);
    gain_ = now_->gain;
    reset();
}

void Equalizer::setCurve(const EqualizerCurve& curve) {
    curve_ = curve;
    auto c = std::make_shared<Coefficients>();
    const EqualizerDesign design = DesignEqualizer(curve, rate_);
    c->gain = static_cast<float>(std::pow(10.0, design.gainDb / 20));
    c->groups = static_cast<int>((design.biquads.size() + 1) / 2);
    for (int g = 0; g < kGroups; ++g) {
        float b0[4], b1[4], b2[4], a1[4], a2[4];
        for (int lane = 0; lane < 4; ++lane) {
            const size_t k = static_cast<size_t>(2 * g + lane / 2);
            const Biquad q = k < design.biquads.size() ? design.biquads[k] : Biquad{};
            b0[lane] = static_cast<float>(q.b0), b1[lane] = static_cast<float>(q.b1);
            b2[lane] = static_cast<float>(q.b2), a1[lane] = static_cast<float>(q.a1);
            a2[lane] = static_cast<float>(q.a2);
        }
        std::memcpy(&c->b0[g], b0, sizeof b0), std::memcpy(&c->b1[g], b1, sizeof b1);
        std::memcpy(&c->b2[g], b2, sizeof b2), std::memcpy(&c->a1[g], a1, sizeof a1);
        std::memcpy(&c->a2[g], a2, sizeof a2);
    }
    // A filter that comes, goes or is another (not only of another gain)
    // starts from rest; the gain moves.
    for (size_t k = 0; k < EqualizerCurve::kMaxFilters; ++k) {
        auto same = [](const EqualizerFilter& a, const EqualizerFilter& b) {
            return a.type == b.type && a.hz == b.hz && a.q == b.q;
        };
        if (now_ && k < design.filters.size() && k < now_->filters.size() && same(design.filters[k], now_->filters[k]))
            continue;
        for (Lanes* s : {state_.s1, state_.s2})
            for (int lane : {0, 1}) s[k / 2][2 * (k % 2) + static_cast<size_t>(lane)] = 0;
    }
    c->filters = design.filters;
    now_ = std::move(c);
    latest_ = now_;
    mark();
}

void Equalizer::reset() {
    state_ = State{};
    gain_ = now_->gain;
    marks_.clear();
    mark();
}

bool Equalizer::active() const { return !now_->flat() || gain_ != 1; }

void Equalizer::process(int16_t* frames, size_t count) {
    for (size_t done = 0; done < count;) {
        if (processed_ - marks_.back().at >= kMarkEvery) mark();
        const size_t n = std::min(kBlock, count - done);
        int16_t* block = frames + done * static_cast<size_t>(channels_);
        if (active()) {
            keep(block, n);
            run(block, block, n);
        }
        processed_ += static_cast<int64_t>(n);
        done += n;
    }
}

void Equalizer::run(const int16_t* in, int16_t* out, size_t n) {
    const Coefficients& c = *now_;
    scratch_.resize(2 * n);
    float* f = scratch_.data();
    // The gain in front rises to the curve's over a few milliseconds; it
    // falls at once, as the boost that needs it comes at once.
    const float step = static_cast<float>(1.0 / (kGainMoveSeconds * rate_)) * c.gain;
    gain_ = std::min(gain_, c.gain);
    size_t i = 0;
    for (; i < n && gain_ != c.gain; ++i) {
        gain_ = std::min(c.gain, gain_ + step);
        f[2 * i] = in[i * static_cast<size_t>(channels_)] * gain_;
        f[2 * i + 1] = channels_ == 2 ? in[2 * i + 1] * gain_ : 0.0f;
    }
    const float g = gain_;
    if (channels_ == 2) {
        for (size_t k = 2 * i; k < 2 * n; ++k) f[k] = in[k] * g;
    } else {
        for (; i < n; ++i) f[2 * i] = in[i] * g, f[2 * i + 1] = 0;
    }
    if (c.groups > 0) {
        const FlushDenormals flush;
        Cascades()[static_cast<size_t>(c.groups - 1)](c, state_.s1, state_.s2, f, n);
    }
    // Rounded to the nearest, clamped to 16 bits.
    auto sample = [](float v) {
        v = v == v ? std::clamp(v, -32768.0f, 32767.0f) : 0.0f;
        return static_cast<int16_t>(static_cast<int>(v + (v >= 0 ? 0.5f : -0.5f)));
    };
    if (channels_ == 2) {
        for (size_t k = 0; k < 2 * n; ++k) out[k] = sample(f[k]);
    } else {
        for (size_t k = 0; k < n; ++k) out[k] = sample(f[2 * k]);
    }
}

// Copies between the frames and the ring of what is kept, from frame `at`
// of the stream on: in at most two pieces, where the ring wraps.
template <typename Copy>
void Ringed(size_t ringFrames, int64_t at, size_t n, Copy copy) {
    size_t from = static_cast<size_t>(at) % ringFrames;
    for (size_t done = 0; done < n;) {
        const size_t piece = std::min(n - done, ringFrames - from);
        copy(from, done, piece);
        done += piece;
        from = 0;
    }
}

void Equalizer::keep(const int16_t* frames, size_t n) {
    const size_t ch = static_cast<size_t>(channels_);
    Ringed(kept_.size() / ch, processed_, n, [&](size_t ring, size_t done, size_t piece) {
        std::memcpy(&kept_[ring * ch], frames + done * ch, piece * ch * sizeof(int16_t));
    });
}

void Equalizer::mark() {
    while (!marks_.empty() && marks_.back().at >= processed_) marks_.pop_back();
    const int64_t oldest = processed_ - static_cast<int64_t>(kept_.size() / static_cast<size_t>(channels_));
    while (marks_.size() > 1 && marks_[1].at <= oldest) marks_.pop_front();
    marks_.push_back({processed_, state_, gain_, now_});
}

bool Equalizer::rewind(int64_t count) {
    if (count <= 0) return true;
    const int64_t to = std::max<int64_t>(0, processed_ - count);
    const int64_t oldest = processed_ - static_cast<int64_t>(kept_.size() / static_cast<size_t>(channels_));
    while (!marks_.empty() && marks_.back().at > to) marks_.pop_back();
    if (marks_.empty() || marks_.back().at < oldest) {
        processed_ = to;
        now_ = latest_;
        reset();
        return false;
    }
    const Mark& from = marks_.back();
    state_ = from.state;
    gain_ = from.gain;
    now_ = from.with;
    // Run again what came from the mark to the place, as it was run then.
    const size_t ring = kept_.size() / static_cast<size_t>(channels_);
    std::vector<int16_t> again(kBlock * static_cast<size_t>(channels_));
    for (int64_t at = from.at; at < to;) {
        const size_t n = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(kBlock), to - at));
        if (active()) {
            const size_t ch = static_cast<size_t>(channels_);
            Ringed(ring, at, n, [&](size_t from, size_t done, size_t piece) {
                std::memcpy(&again[done * ch], &kept_[from * ch], piece * ch * sizeof(int16_t));
            });
            run(again.data(), again.data(), n);
        }
        at += static_cast<int64_t>(n);
    }
    processed_ = to;
    if (now_ != latest_) {
        const EqualizerCurve latest = curve_;  // set since: it goes on from here
        setCurve(latest);
        return true;
    }
    mark();
    return true;
}
