#pragma once
// The equalizer as the worker runs it on what it writes: a cascade of up to
// EqualizerCurve::kMaxFilters biquads in single precision over interleaved
// 16-bit frames (mono or stereo), in place. Its filters' state carries on
// from one call to the next (and so from one track to the next of the same
// format); a new curve keeps it and is heard from the next frame, its gain
// moving there over a few milliseconds. Off (or flat) it leaves the frames
// as they are and costs nothing.
//
// What the device gives back to be written again can be given back here
// too (rewind): the filters go back to the state they had there. For that
// the frames of the last few seconds are kept as they came, with the state
// every few thousand frames.
//
// Why our own: the cascade runs every filter on a frame at once, each a
// frame behind the one before it, four filter lanes to a vector (the plain
// one costs about three times as much), which the DSP libraries at hand do
// not offer for a chain this short.
#include "common/equalizer_curve.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

class Equalizer {
public:
    // Groups of four lanes: two filters of two channels.
    static constexpr int kGroups = static_cast<int>(EqualizerCurve::kMaxFilters) / 2;
    typedef float Lanes __attribute__((vector_size(16)));

    Equalizer();
    ~Equalizer();
    // Starts afresh for a new format (the state and what is kept go).
    void setFormat(int rate, int channels);
    void setCurve(const EqualizerCurve& curve);
    // Forgets the state and what is kept (what comes next does not follow
    // what came before).
    void reset();
    void process(int16_t* frames, size_t count);
    // Goes back `count` frames, to the state the filters had there. False
    // when that is further back than what is kept: the state is reset then.
    bool rewind(int64_t count);
    // Whether the frames are changed at all.
    bool active() const;

    struct Coefficients;

private:
    struct State {
        Lanes s1[kGroups] = {}, s2[kGroups] = {};
    };
    struct Mark {
        int64_t at;  // frames processed before it
        State state;
        float gain;
        std::shared_ptr<const Coefficients> with;
    };
    void run(const int16_t* in, int16_t* out, size_t count);
    void keep(const int16_t* frames, size_t count);
    void mark();

    int rate_ = 44100;
    int channels_ = 2;
    EqualizerCurve curve_;
    std::shared_ptr<const Coefficients> now_;     // what runs
    std::shared_ptr<const Coefficients> latest_;  // the curve last set, which runs after a rewind
    State state_;
    float gain_ = 1;  // the gain in front as it moves to now_'s
    int64_t processed_ = 0;
    std::vector<int16_t> kept_;  // a ring of the last frames, as they came
    std::deque<Mark> marks_;
    std::vector<float> scratch_;  // a block as it runs
};
