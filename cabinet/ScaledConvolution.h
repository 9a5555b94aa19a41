#pragma once

#include "cabinet/Convolver.h"

// The audio path of a response stage: the input convolved with the loaded
// response, then scaled by the stage's fixed output gain. The cabinet engine
// and the user response engine differ only in the gains and in which pair of
// convolvers (left, right) the host rate selects.
//
// Audio thread only; allocates nothing. The block forms give the same bits as
// the per-sample forms on each sample, since the convolver's block path does.
namespace ScaledConvolution {

// One sample in place through `convolver`.
inline void sample(Convolver& convolver, double& x, double gain) noexcept
{
    x = gain * convolver.processSample(x);
}

// One sample per channel in place: left through pair[0], right through pair[1].
inline void stereoSample(Convolver* pair, double& left, double& right, double gain) noexcept
{
    left = gain * pair[0].processSample(left);
    right = gain * pair[1].processSample(right);
}

// n samples in place through `convolver`.
inline void block(Convolver& convolver, double* samples, int n, double gain) noexcept
{
    convolver.processBlock(samples, n);
    for (int i = 0; i < n; ++i)
        samples[i] = gain * samples[i];
}

// n samples per channel in place: left through pair[0], right through pair[1].
inline void stereoBlock(Convolver* pair, double* left, double* right, int n, double gain) noexcept
{
    pair[0].processBlock(left, n);
    pair[1].processBlock(right, n);
    for (int i = 0; i < n; ++i) {
        left[i] = gain * left[i];
        right[i] = gain * right[i];
    }
}

} // namespace ScaledConvolution
