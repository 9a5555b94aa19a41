#pragma once

#include "dsp/SampleFrame.h"

// The abstract DSP block: it knows the rate it runs at and transforms one
// sample at a time in place, or a run of samples.
//
// Threads: process() runs on the audio thread. setSampleRate() and reset()
// run while the audio thread is not processing (construction, resume), except
// for the blocks of the amplifier section, whose setSampleRate() also runs on
// a parameter thread when "High Res." changes; those blocks never read
// `sampleRate` in process() and hand everything the audio thread needs over
// through a Mailbox.
class CommonBase {
public:
    CommonBase() = default;
    CommonBase(const CommonBase&) = delete;
    CommonBase& operator=(const CommonBase&) = delete;
    virtual ~CommonBase() = default;

    virtual void setSampleRate(float rate) { sampleRate = rate; }
    virtual void reset() {}
    virtual void process(SampleFrame* frame) = 0;
    // `n` samples in place, with exactly the results of n calls of process().
    // Final blocks override it with processEach(*this, ...), a loop that
    // calls their own process() directly.
    virtual void processBlock(double* samples, int n)
    {
        SampleFrame frame;
        for (int k = 0; k < n; ++k) {
            frame.value = samples[k];
            process(&frame);
            samples[k] = frame.value;
        }
    }

    float sampleRate = 44100.0f; // Hz; the rate this block runs at

protected:
    template <class Block>
    static void processEach(Block& block, double* samples, int n)
    {
        SampleFrame frame;
        for (int k = 0; k < n; ++k) {
            frame.value = samples[k];
            block.Block::process(&frame);
            samples[k] = frame.value;
        }
    }
};
