#include "effects/ChirpHP.h"

#include <cmath>
#include <numbers>

void ChirpHP::setSampleRate(float rate)
{
    sampleRate = rate;
    using std::numbers::pi;
    p = std::tan(pi / 4.0 - pi * double(cutoff) / double(rate));
    b0 = (1.0 + p) / 2.0;
    b1 = b0;
}

void ChirpHP::reset()
{
    x1 = 0.0;
    y1 = 0.0;
}
