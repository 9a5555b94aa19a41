#pragma once

class ChirpLowDS;

// Both dispersion lines' whole allpass cascades over the same `count`
// decimated values (va for line a, vb for line b, replaced by the cascades'
// outputs) as one diagonal wavefront across all stages: at step t stage g
// takes sample t - g, which stage g - 1 finished at step t - 1. The stages
// busy in a step do not depend on each other; the two lines sit side by side
// (element 2 g + line), so a step is one loop over neighbouring elements, two
// elements (one stage of both lines) per vector in the baseline copy, four
// in the AVX2 one. Each stage still does allpassPair() on its samples in
// their order, so every copy gives the bits of the per-sample cascade. A line
// with fewer stages takes its output from its own last stage; the elements
// past it are scratch. Reads and advances the lines' allpass states; the
// caller advances their ping-pong slots.
//
// Audio thread; no allocation.
using CascadeWavefront = void (*)(ChirpLowDS& a, double* va, ChirpLowDS& b, double* vb, int count) noexcept;

// Two lanes where the compiler has vector extensions (SSE2 on x86-64), one
// value at a time otherwise; always usable.
extern const CascadeWavefront kBaselineCascadeWavefront;
// Four lanes, built for AVX2, or null when the build has no such copy. Use
// only on processors that report AVX2.
extern const CascadeWavefront kAvx2CascadeWavefront;

// The copy to use for `count` values a call: the widest this processor runs
// where its steps are long enough to pay, the baseline otherwise.
CascadeWavefront bestCascadeWavefront(int count) noexcept;
