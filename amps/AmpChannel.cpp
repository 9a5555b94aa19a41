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

void AmpChannel::setSampleRate(float rate)
{
    CommonBase::setSampleRate(rate);
    for (std::size_t k = 0; k < cornerCount_; ++k) {
        const CornerUse& use = uses_[k];
        if (use.filter != nullptr)
            use.filter->setSampleRate(rate);
        if (use.alsoFilter != nullptr)
            use.alsoFilter->setSampleRate(rate);
        if (use.tube != nullptr)
            use.tube->feedbackFilter.setSampleRate(rate);
    }
    for (std::size_t i = 0; i < networkCount_; ++i)
        networks_[i].prepare(networks_[i].network, rate);
    publishTuning(rate);
}

void AmpChannel::reset()
{
    for (std::size_t i = 0; i < networkCount_; ++i)
        if (networks_[i].restart != nullptr)
            networks_[i].restart(networks_[i].network);
}

void AmpChannel::clearHistory() noexcept
{
    for (std::size_t i = 0; i < networkCount_; ++i)
        if (networks_[i].clear != nullptr)
            networks_[i].clear(networks_[i].network);
    for (std::size_t k = 0; k < cornerCount_; ++k) {
        const CornerUse& use = uses_[k];
        if (use.filter != nullptr)
            use.filter->y1 = 0.0;
        if (use.alsoFilter != nullptr)
            use.alsoFilter->y1 = 0.0;
        if (use.tube != nullptr) {
            use.tube->feedback = 0.0;
            use.tube->feedbackFilter.y1 = 0.0;
        }
    }
    for (std::size_t i = 0; i < integratorCount_; ++i)
        integrators_[i]->restart(integrators_[i]->alpha);
}

void AmpChannel::activate() noexcept
{
    for (std::size_t i = 0; i < networkCount_; ++i)
        if (networks_[i].update != nullptr)
            networks_[i].update(networks_[i].network);
}

void AmpChannel::setKnob(AmpKnob knob, float position, bool recompute) noexcept
{
    const KnobRoute& route = knobRoutes_[static_cast<std::size_t>(knob)];
    if (route.position == nullptr)
        return;
    *route.position = position;
    if (recompute && route.update != nullptr)
        route.update(route.network);
}
