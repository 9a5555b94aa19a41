#pragma once

#include "dsp/Lanes2.h"
#include "effects/ChirpLowDS.h"

class ChirpEq;
class TenthOrderLowpass;

// The spring's block path: both dispersion lines, the resonator and the
// output low-pass over a block, with exactly the results of the per-sample
// path, sample for sample and bit for bit.
//
// Per sample the tank has three tenth-order recursions in a row (each line's
// decimator, each line's interpolator, the output low-pass), each one
// multiplication and twelve dependent additions long. Run one after the other
// they wait on their own additions; the work itself is small. So the block is
// cut into parts and the recursions run as a pipeline: one loop steps the
// decimators over part p, the interpolators over part p - 1 and the output
// low-pass over part p - 2, three chains the processor runs side by side.
// Between the loops, part p's decimated values go through the allpass
// cascades and part p - 1's line outputs through the resonator. Every filter
// does its own operations in its own order; only independent work overlaps.
//
// The workspace (the filters' inputs, numerators and outputs over a block)
// lives here rather than on the audio thread's stack.
class SpringPipeline {
public:
    static constexpr int kMaxBlock = ChirpLowDS::kMaxBlock;
    static constexpr int kPart = 64; // samples per part of a block

    // n samples (1..the lines' smaller blockLimit()): ioA and ioB hold the
    // lines' inputs (both are used as scratch); wet receives the output
    // low-pass's output, the tank's wet signal.
    void run(ChirpLowDS& a, double* ioA, ChirpLowDS& b, double* ioB, ChirpEq& eq, TenthOrderLowpass& output,
             double* wet, int n) noexcept;

    // A tenth-order low-pass's inputs, numerators and recursion over a block.
    template <typename V>
    struct Filter {
        static constexpr int kOrder = 10;
        V b[6];                 // numerator b0..b5
        V c[kOrder];            // feedback c1..c10
        V x[kOrder + kMaxBlock]; // the ten inputs before the block (oldest first), then the block's
        V num[kMaxBlock];       // each sample's numerator sum
        V y[kOrder];            // the ten latest outputs, newest first
        V dropped;              // the output that last left y
    };

private:
    Filter<Lanes2> decimators_;
    Filter<Lanes2> interpolators_;
    Filter<double> output_;
    double loopA_[kMaxBlock];
    double loopB_[kMaxBlock];
    double decA_[kMaxBlock];
    double decB_[kMaxBlock];
    Lanes2 decimated_[kMaxBlock];
};
