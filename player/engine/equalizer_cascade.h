#pragma once
// The equalizer's cascade (see equalizer.h), built twice: for any x86-64 and
// for processors with fused multiply-adds, chosen when the program starts.
#include "engine/equalizer.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

struct Equalizer::Coefficients {
    int groups = 0;  // 0: no filters
    Lanes b0[kGroups], b1[kGroups], b2[kGroups], a1[kGroups], a2[kGroups];
    float gain = 1;
    std::vector<EqualizerFilter> filters;  // a lane pair each
    bool flat() const { return groups == 0 && gain == 1; }
};

// Each file that includes this builds its own (for its own processor).
namespace {
using Lanes = Equalizer::Lanes;
typedef int32_t Mask __attribute__((vector_size(16)));

inline Lanes All(float v) { return Lanes{v, v, v, v}; }

// One frame of every filter: filter k of group g (lanes 0-1 the first, 2-3
// the second, a channel each) takes what the filter before it gave a step
// ago, so that all run at once. `in` is the first filter's frame; the last
// filter's is left in y[G - 1], lanes 2-3. Masked, a lane whose filter has
// no frame at this step keeps its state.
template <int G, bool kMasked>
inline void Step(const Equalizer::Coefficients& c, Lanes (&s1)[G], Lanes (&s2)[G], Lanes (&y)[G], Lanes in,
                 Mask valid[G]) {
    Lanes x[G];
    x[0] = __builtin_shufflevector(in, y[0], 0, 1, 4, 5);
    for (int g = 1; g < G; ++g) x[g] = __builtin_shufflevector(y[g - 1], y[g], 2, 3, 4, 5);
    for (int g = 0; g < G; ++g) {
        const Lanes out = c.b0[g] * x[g] + s1[g];
        const Lanes n1 = c.b1[g] * x[g] - c.a1[g] * out + s2[g];
        const Lanes n2 = c.b2[g] * x[g] - c.a2[g] * out;
        if (kMasked) {
            s1[g] = reinterpret_cast<Lanes>((reinterpret_cast<Mask>(n1) & valid[g]) |
                                            (reinterpret_cast<Mask>(s1[g]) & ~valid[g]));
            s2[g] = reinterpret_cast<Lanes>((reinterpret_cast<Mask>(n2) & valid[g]) |
                                            (reinterpret_cast<Mask>(s2[g]) & ~valid[g]));
        } else {
            s1[g] = n1;
            s2[g] = n2;
        }
        y[g] = out;
    }
}

// Runs `n` frames (two floats each) through the filters, in place. The
// first and last steps, where the filters fill and run out, are masked.
template <int G>
void Cascade(const Equalizer::Coefficients& c, Lanes* s1Out, Lanes* s2Out, float* f, size_t n) {
    Lanes s1[G], s2[G], y[G] = {};
    for (int g = 0; g < G; ++g) s1[g] = s1Out[g], s2[g] = s2Out[g];
    const size_t lag = 2 * G - 1;
    auto masks = [&](size_t t, Mask(&valid)[G]) {
        const Lanes step = All(static_cast<float>(t)), count = All(static_cast<float>(n));
        for (int g = 0; g < G; ++g) {
            const float k = 2.0f * static_cast<float>(g);
            const Lanes filter{k, k, k + 1, k + 1};
            valid[g] = (step >= filter) & (step - filter < count);
        }
    };
    Mask valid[G];
    for (size_t t = 0; t < n + lag; ++t) {
        const Lanes in = t < n ? Lanes{f[2 * t], f[2 * t + 1], 0, 0} : Lanes{};
        if (t < lag || t >= n) {
            masks(t, valid);
            Step<G, true>(c, s1, s2, y, in, valid);
        } else {
            Step<G, false>(c, s1, s2, y, in, valid);
        }
        if (t >= lag) {
            f[2 * (t - lag)] = y[G - 1][2];
            f[2 * (t - lag) + 1] = y[G - 1][3];
        }
    }
    for (int g = 0; g < G; ++g) s1Out[g] = s1[g], s2Out[g] = s2[g];
}

template <size_t... G>
constexpr std::array<void (*)(const Equalizer::Coefficients&, Lanes*, Lanes*, float*, size_t), sizeof...(G)> Table(
    std::index_sequence<G...>) {
    return {&Cascade<static_cast<int>(G) + 1>...};
}
}  // namespace

using CascadeTable =
    std::array<void (*)(const Equalizer::Coefficients&, Equalizer::Lanes*, Equalizer::Lanes*, float*, size_t),
               Equalizer::kGroups>;
extern const CascadeTable kPlainCascades;
extern const CascadeTable kFmaCascades;
