// The equalizer's cascade for processors with fused multiply-adds (built
// with -mfma; used only where the processor has them).
#include "engine/equalizer_cascade.h"

const CascadeTable kFmaCascades = Table(std::make_index_sequence<Equalizer::kGroups>());
