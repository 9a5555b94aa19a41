#include "tools/PluckedString.h"

#include <algorithm>
#include <cmath>

namespace demo {

namespace {

constexpr double kMinimumAllpassDelay = 0.1; // keeps the tuning allpass away from its unstable corner
constexpr double kSilence = 1e-6;            // output level counted as inaudible
constexpr double kReleaseSeconds = 0.012;    // time constant of a damped note
constexpr double kDenormalGuard = 1e-20;     // keeps the decaying loop out of subnormal numbers

} // namespace

PluckedString::PluckedString(double rate) : sampleRate(rate) {}

void PluckedString::pluck(const Pluck& how, NoiseSource& noise)
{
    const double period = sampleRate / how.frequency; // round trip of the string, samples

    // Brightness of the loss filter: a palm-muted string loses its highs at once.
    averagerWeight = how.palmMuted ? 0.5 : 0.5 - 0.25 * how.velocity;
    dampingPole = how.palmMuted ? 0.45 : 0.0;
    const double decay = how.palmMuted ? 0.16 : how.decaySeconds;
    lossGain = std::pow(10.0, -3.0 / (decay * how.frequency));

    // Tuning: integer delay + filter delays + the allpass's fractional delay = period.
    const double filterDelay = averagerWeight + dampingPole / (1.0 - dampingPole);
    const double remaining = period - filterDelay - kMinimumAllpassDelay;
    loopLength = static_cast<std::size_t>(std::max(2.0, std::floor(remaining)));
    const double fraction = period - filterDelay - static_cast<double>(loopLength);
    allpassCoefficient = (1.0 - fraction) / (1.0 + fraction);

    // Excitation: one period of noise, darker for soft or muted picking, then
    // the comb of the picking point (the harmonics with a node there are missing).
    std::vector<double> burst(loopLength);
    const double pickPole = how.palmMuted ? 0.85 : 0.55 - 0.45 * how.velocity;
    double smoothed = 0.0;
    for (double& x : burst) {
        smoothed = (1.0 - pickPole) * noise.next() + pickPole * smoothed;
        x = smoothed;
    }
    const auto pickDelay = static_cast<std::size_t>(std::lround(how.pickPosition * period));
    loop.assign(loopLength, 0.0);
    double mean = 0.0;
    for (std::size_t i = 0; i < loopLength; ++i) {
        const double delayed = i >= pickDelay ? burst[i - pickDelay] : 0.0;
        loop[i] = how.velocity * (burst[i] - delayed);
        mean += loop[i];
    }
    mean /= static_cast<double>(loopLength);
    for (double& x : loop)
        x -= mean; // no DC in the string

    writeIndex = 0;
    averagerHistory = dampingState = allpassInput = allpassOutput = 0.0;

    pickupDelay = std::max<std::size_t>(1, static_cast<std::size_t>(std::lround(how.pickupPosition * period)));
    pickupLine.assign(pickupDelay, 0.0);
    pickupIndex = 0;

    releaseGain = 1.0;
    releaseFactor = 1.0;
    quietSamples = 0.0;
    sounding = true;
}

void PluckedString::damp()
{
    if (sounding)
        releaseFactor = std::exp(-1.0 / (kReleaseSeconds * sampleRate));
}

double PluckedString::process()
{
    if (!sounding)
        return 0.0;

    // The sample leaving the delay line runs through the loss filters and the
    // tuning allpass and is written back as the string's new displacement.
    const double leaving = loop[writeIndex];
    const double averaged = (1.0 - averagerWeight) * leaving + averagerWeight * averagerHistory;
    averagerHistory = leaving;
    dampingState = (1.0 - dampingPole) * averaged + dampingPole * dampingState;
    dampingState = (dampingState + kDenormalGuard) - kDenormalGuard;
    const double tuned = allpassCoefficient * (dampingState - allpassOutput) + allpassInput;
    allpassInput = dampingState;
    allpassOutput = (tuned + kDenormalGuard) - kDenormalGuard;
    loop[writeIndex] = lossGain * allpassOutput;
    writeIndex = (writeIndex + 1) % loopLength;

    // The pickup senses the difference of the waves passing it: a comb whose
    // notches fall on the harmonics with a node at the pickup.
    const double delayed = pickupLine[pickupIndex];
    pickupLine[pickupIndex] = leaving;
    pickupIndex = (pickupIndex + 1) % pickupDelay;
    const double out = (leaving - delayed) * releaseGain;

    releaseGain *= releaseFactor;
    quietSamples = std::abs(out) < kSilence ? quietSamples + 1.0 : 0.0;
    if (quietSamples > sampleRate * 0.05 || releaseGain < kSilence)
        sounding = false;
    return out;
}

} // namespace demo
