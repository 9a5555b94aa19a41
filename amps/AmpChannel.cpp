#include "amps/AmpChannel.h"

void AmpChannel::publishTuning(float rate) noexcept
{
    Tuning& t = tuning_.draft();
    for (std::size_t i = 0; i < integratorCount_; ++i)
        t.alphas[i] = integrators_[i]->alphaFor(rate);
    for (std::size_t k = 0; k < cornerCount_; ++k)
        t.corners[k] = OnePole::lowpass(cornerHz_[k], rate);
    tuning_.publish();
}

void AmpChannel::installTuning(const Tuning& t) noexcept
{
    for (std::size_t i = 0; i < integratorCount_; ++i)
        integrators_[i]->restart(t.alphas[i]);
    for (std::size_t k = 0; k < cornerCount_; ++k) {
        const CornerUse& use = uses_[k];
        if (use.filter != nullptr)
            use.filter->setCoefficients(t.corners[k]);
        if (use.alsoFilter != nullptr)
            use.alsoFilter->setCoefficients(t.corners[k]);
        if (use.tube != nullptr)
            use.tube->restart(t.corners[k]);
    }
}
