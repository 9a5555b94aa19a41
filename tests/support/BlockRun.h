#pragma once

// Drives a block the way the chain does, one sample at a time.

#include <vector>

#include "dsp/CommonBase.h"

namespace testing_support {

// One sample through the block: what it gives back.
inline double run(CommonBase& block, double x)
{
    SampleFrame frame{x};
    block.process(&frame);
    return frame.value;
}

// A signal through the block, sample by sample.
inline std::vector<double> run(CommonBase& block, const std::vector<double>& input)
{
    std::vector<double> output;
    output.reserve(input.size());
    for (double x : input)
        output.push_back(run(block, x));
    return output;
}

} // namespace testing_support
