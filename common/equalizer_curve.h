#pragma once
// What the equalizer does to the sound, apart from doing it: ten graphic
// bands at the ISO octave centres, or parametric filters imported from a
// headphone correction file, with a pre-amplification; the biquads that give
// the curve (the well-known "Audio EQ Cookbook" formulas) and the response
// they give. No Qt: the sound engine, the preferences and the window share it.
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

struct EqualizerFilter {
    enum class Type { Peak, LowShelf, HighShelf, LowPass, HighPass };
    Type type = Type::Peak;
    double hz = 1000;
    double gainDb = 0;  // none for the passes
    double q = 0.7071;
    bool operator==(const EqualizerFilter& o) const {
        return type == o.type && hz == o.hz && gainDb == o.gainDb && q == o.q;
    }
};

struct EqualizerCurve {
    static constexpr int kBands = 10;
    static constexpr std::array<double, kBands> kBandHz{31, 62, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
    static constexpr double kMinDb = -12;
    static constexpr double kMaxDb = 12;
    // One octave wide: the bands meet where each has half its gain.
    static constexpr double kBandQ = 1.41;
    static constexpr size_t kMaxFilters = 16;

    bool enabled = false;
    double preampDb = 0;
    std::array<double, kBands> bandsDb{};
    // Imported corrections, heard instead of the bands while `parametric`.
    bool parametric = false;
    double parametricPreampDb = 0;
    std::vector<EqualizerFilter> filters;

    // What is heard: the bands as peaking filters (none when all are at
    // 0 dB; else all ten, each in its place, one at 0 dB passing the sound
    // as it is) or the imported filters; nothing when off.
    std::vector<EqualizerFilter> heardFilters() const;
    double heardPreampDb() const;
    // Whether the two sound the same (what is not heard may differ).
    bool soundsAs(const EqualizerCurve& o) const {
        return heardFilters() == o.heardFilters() && heardPreampDb() == o.heardPreampDb();
    }
    bool operator==(const EqualizerCurve& o) const {
        return enabled == o.enabled && preampDb == o.preampDb && bandsDb == o.bandsDb && parametric == o.parametric &&
               parametricPreampDb == o.parametricPreampDb && filters == o.filters;
    }
    bool operator!=(const EqualizerCurve& o) const { return !(*this == o); }
};

// y[n] = b0 x[n] + b1 x[n-1] + b2 x[n-2] - a1 y[n-1] - a2 y[n-2]
struct Biquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
};

// The filters of `curve` at `rate` (one too near half the rate cannot be
// played there and is left out) and the gain in front of them, in dB: the
// pre-amplification, lowered by what the filters and it can add above
// 0 dB at any frequency, so that the curve never rises above 0 dB. (The
// filters shift phases too: a sound already at full scale may still peak
// a little above it, and is clamped there.)
struct EqualizerDesign {
    std::vector<EqualizerFilter> filters;  // those played, in order
    std::vector<Biquad> biquads;           // theirs
    double gainDb = 0;
    bool flat() const { return biquads.empty() && gainDb == 0; }
};
EqualizerDesign DesignEqualizer(const EqualizerCurve& curve, int rate);
Biquad DesignFilter(const EqualizerFilter& filter, int rate);
// The gain of the design at `hz`, in dB, the gain in front counted.
double ResponseDb(const EqualizerDesign& design, double hz, int rate);

// A parametric correction as headphone measurement projects publish it
// ("ParametricEQ.txt"):
//   Preamp: -6.2 dB
//   Filter 1: ON PK Fc 105 Hz Gain 4.4 dB Q 0.70
// with the types PK, LSC, HSC, LS, HS, LP and HP (and LPQ, HPQ); a filter
// that is OFF is left out; blank lines and lines that begin with '#' are
// skipped. Anything else is a fault of the file, told by its line.
struct ParametricImport {
    double preampDb = 0;
    std::vector<EqualizerFilter> filters;
};
struct ParametricFault {
    enum class Kind { BadLine, NoFilters, TooManyFilters };
    Kind kind = Kind::BadLine;
    int line = 0;  // 1 for the first; 0 for the file as a whole
};
std::optional<ParametricImport> ParseParametric(const std::string& text, ParametricFault& fault);

// One filter in a few words ("PK 105 4.4 0.7": type, Hz, dB, Q), as the
// preferences keep them; nothing when `words` are no such filter.
std::string FilterWords(const EqualizerFilter& filter);
std::optional<EqualizerFilter> FilterFromWords(const std::string& words);
