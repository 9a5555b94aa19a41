#include "tools/PluckedString.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace demo {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMinimumAllpassDelay = 0.5; // the tuning allpass delays 0.5..1.5 samples, its pole stays near 0
constexpr double kSilence = 1e-6;            // output level counted as inaudible
constexpr double kSilentSeconds = 0.05;      // that long below it ends the note
constexpr double kDenormalGuard = 1e-20;     // keeps the decaying loop out of subnormal numbers
constexpr double kMaximumLoopGain = 0.99999; // the loop never gains, not even at DC

// A palm rests on the string near the bridge: the whole note dies in a
// fraction of a second and its highs almost at once.
constexpr double kPalmMuteDecay = 0.35;        // s, 60 dB at the fundamental
constexpr double kPalmMuteTrebleDecay = 0.05;  // s, 60 dB at kTrebleReferenceHz
constexpr double kPalmMuteWidening = 4.0;      // the flesh of the hand rounds the picked shape further

// A finger touches a ringing string (damp()): within a few milliseconds the
// loop loses so much per round trip that the note dies in a tenth of a second.
// Only the gain moves, smoothly: a sudden change of the loop filter would cut
// a step into the circulating wave, which the pickup would hear as a click.
constexpr double kDampedDecay = 0.08; // s, 60 dB at the fundamental
constexpr double kDampGlide = 0.004;  // s, time constant of the move to that loss

// Irregularity of a real pick: relative scatter of each mode's amplitude.
constexpr double kModeScatter = 0.15;
constexpr double kHighestMode = 0.45; // modes of the picked shape reach this fraction of the sample rate
constexpr int kModeIterations = 12;   // rounds of the loop-mode equation (each gains well over a digit)

double guard(double x)
{
    return (x + kDenormalGuard) - kDenormalGuard;
}

} // namespace

PluckedString::PluckedString(double rate) : sampleRate(rate) {}

double PluckedString::pickupDisplacement() const
{
    // Both waves are read at half the pickup delay from now, interpolated
    // linearly between samples.
    const double half = 0.5 * pickupDelay;
    const auto whole = static_cast<std::size_t>(half);
    const double fraction = half - static_cast<double>(whole);
    const std::size_t ahead = loopIndex + whole;
    const double coming = (1.0 - fraction) * loop[ahead % loopLength] + fraction * loop[(ahead + 1) % loopLength];
    const std::size_t mask = pickupLine.size() - 1;
    const double gone = (1.0 - fraction) * pickupLine[(pickupIndex - whole) & mask] +
                        fraction * pickupLine[(pickupIndex - whole - 1) & mask];
    return coming - gone;
}

std::complex<double> PluckedString::loopMode(int harmonic) const
{
    // A free oscillation exp(s t) of the loop satisfies exp(s N) = F(exp(s)),
    // F = loss filter * tuning allpass: after one trip round the delay line and
    // the filters it is back where it was. In logarithms,
    //   s = (log F(exp(s)) + 2 pi j harmonic) / N,
    // a contraction (the filters' delay is small against N), so a few rounds
    // from the harmonic frequency converge.
    using C = std::complex<double>;
    const double a = lossPole;
    const double eta = allpassCoefficient;
    const double n = static_cast<double>(loopLength);
    const C turn(0.0, 2.0 * kPi * harmonic);
    C s(0.0, 2.0 * kPi * frequency / sampleRate * harmonic);
    for (int round = 0; round < kModeIterations; ++round) {
        const C back = std::exp(-s); // z^-1
        // log F with each factor on its principal branch; (eta + z^-1) = z^-1 (1 + eta z).
        const C logF = std::log(lossGain * (1.0 - a)) - std::log(1.0 - a * back) - s + std::log(1.0 + eta * std::exp(s)) -
                       std::log(1.0 + eta * back);
        s = (logF + turn) / n;
    }
    return s;
}

void PluckedString::setLosses(double decaySeconds, double trebleDecaySeconds)
{
    // Gains per round trip that give the decay times: at the fundamental and
    // at the treble reference frequency.
    const double fundamentalGain = std::pow(10.0, -3.0 / (decaySeconds * frequency));
    const double trebleGain = std::pow(10.0, -3.0 / (trebleDecaySeconds * frequency));
    const double w0 = 2.0 * kPi * frequency / sampleRate;
    const double w1 = 2.0 * kPi * kTrebleReferenceHz / sampleRate;

    // The loss filter g (1 - a) / (1 - a z^-1): its pole `a` sets the ratio of
    // the two gains, g the gain itself. A one-pole can lower the treble
    // reference relative to the fundamental by at most (1 - cos w0) / (1 - cos w1)
    // in power; beyond that it is held at just above that limit.
    lossPole = 0.0;
    if (w1 > w0 && trebleGain < fundamentalGain) {
        const double c0 = std::cos(w0), c1 = std::cos(w1);
        const double limit = (1.0 - c0) / (1.0 - c1);
        const double ratio = std::max(std::pow(trebleGain / fundamentalGain, 2.0), 1.05 * limit);
        const double b = c0 - ratio * c1;
        const double c = 1.0 - ratio;
        lossPole = (b - std::sqrt(std::max(0.0, b * b - c * c))) / c;
    }
    const double a = lossPole;
    lossGain = std::min(kMaximumLoopGain,
                        fundamentalGain * std::sqrt(1.0 - 2.0 * a * std::cos(w0) + a * a) / (1.0 - a));
}

void PluckedString::pluck(const Pluck& how, NoiseSource& noise)
{
    frequency = how.frequency;
    period = sampleRate / frequency;
    const double w0 = 2.0 * kPi * frequency / sampleRate;

    if (how.palmMuted)
        setLosses(std::min(how.decaySeconds, kPalmMuteDecay), std::min(how.trebleDecaySeconds, kPalmMuteTrebleDecay));
    else
        setLosses(how.decaySeconds, how.trebleDecaySeconds);

    // Tuning: integer delay + loss filter + allpass = one period at the
    // fundamental, using the filters' exact phase delays there.
    const double lossDelay = std::atan2(lossPole * std::sin(w0), 1.0 - lossPole * std::cos(w0)) / w0;
    const double remaining = period - lossDelay;
    loopLength = static_cast<std::size_t>(std::max(2.0, std::floor(remaining - kMinimumAllpassDelay)));
    const double fraction = remaining - static_cast<double>(loopLength);
    const double t = std::tan(0.5 * w0 * (1.0 - fraction));
    allpassCoefficient = t / (std::sin(w0) - t * std::cos(w0));

    // The pickup hears the string's displacement where it sits: the wave that
    // reaches the bridge half a pickup delay from now minus the one that
    // reached it half a pickup delay ago (the loop holds the next period, the
    // pickup line the past).
    pickupDelay = std::clamp(how.pickupPosition, 0.01, 0.99) * period;
    std::size_t lineSize = 4;
    while (static_cast<double>(lineSize) < 0.5 * pickupDelay + 3.0)
        lineSize *= 2;

    // The picked shape as a sum of the string's modes. A string fixed at both
    // ends and released from rest as a triangle with its corner at the picking
    // point p has mode amplitudes 2 sin(n pi p) / (n^2 pi^2 p (1 - p)): they fall
    // as 1/n^2, with a notch at every mode that has a node at the picking
    // point. The wave arriving at the bridge carries half of each. On top:
    //  - the pick is not a point: the corner is rounded over the pick's width,
    //    a Gaussian fall of the high modes; harder strokes leave a sharper corner;
    //  - a real pick is irregular: every mode's amplitude scatters a little.
    // Each mode is laid in as the loop's own decaying oscillation near that
    // harmonic (see loopMode()), so the first round trip through the loss
    // filter continues the wave exactly: a heavily damped (palm-muted) loop
    // starts without a seam, and its highs die from the first period on.
    const double apex = std::clamp(how.pickPosition, 0.02, 0.98);
    double width = how.pickWidth * (1.4 - 0.6 * std::clamp(how.velocity, 0.0, 1.0));
    if (how.palmMuted)
        width *= kPalmMuteWidening;
    const std::size_t history = std::max(loopLength, lineSize); // samples of the shape before release
    std::vector<double> shape(history + loopLength, 0.0);       // the wave at the bridge from -history on
    const auto modes = static_cast<int>(kHighestMode * sampleRate / frequency);
    const double start = -static_cast<double>(history);
    for (int n = 1; n <= modes; ++n) {
        const double triangleMode = 2.0 * std::sin(n * kPi * apex) / (n * n * kPi * kPi * apex * (1.0 - apex));
        const double rounding = std::exp(-std::pow(kPi * n * width, 2.0) / 32.0);
        const double amplitude = 0.5 * how.velocity * triangleMode * rounding * (1.0 + kModeScatter * noise.next());
        if (std::abs(amplitude) < 1e-12)
            continue;
        // amplitude * Im(exp(s t)) from `start` on, by a rotating, decaying phasor.
        const std::complex<double> s = loopMode(n);
        const std::complex<double> step = std::exp(s);
        std::complex<double> phasor = std::exp(s * start);
        for (double& x : shape) {
            x += amplitude * phasor.imag();
            phasor *= step;
        }
    }
    loop.assign(shape.begin() + static_cast<std::ptrdiff_t>(history), shape.end());

    // The loop filters start as if the string had been ringing: running them
    // over the shape's past leaves their histories where the periodic wave
    // would, so the first round trip joins the next without a seam.
    loopIndex = 0;
    lossState = allpassInput = allpassOutput = 0.0;
    for (std::size_t i = 0; i < history; ++i) {
        lossState = lossGain * (1.0 - lossPole) * shape[i] + lossPole * lossState;
        allpassOutput = allpassCoefficient * (lossState - allpassOutput) + allpassInput;
        allpassInput = lossState;
    }

    // The pickup line starts with the shape's past: the string is at rest
    // until the first sample.
    pickupLine.assign(lineSize, 0.0);
    for (std::size_t k = 1; k < lineSize; ++k)
        pickupLine[lineSize - k] = shape[history - k];
    pickupIndex = 0;
    const auto at = [&](double time) { // the shape at a fractional time, as process() interpolates it
        const double position = time + static_cast<double>(history);
        const auto i = static_cast<std::size_t>(std::floor(position));
        const double fraction = position - std::floor(position);
        return (1.0 - fraction) * shape[i] + fraction * shape[i + 1];
    };
    previousDisplacement = at(-1.0 + 0.5 * pickupDelay) - at(-1.0 - 0.5 * pickupDelay);

    // The coil's voltage follows the string's velocity. Per sample that is
    // 2 pi / period times the displacement; scaling it back keeps the level of
    // a note independent of its pitch, as the pickups' staggered poles and the
    // heavier wound strings do on a real guitar.
    outputScale = period / (2.0 * kPi);

    targetLossGain = lossGain;
    lossGlide = 1.0;
    quietSamples = 0.0;
    sounding = true;
}

void PluckedString::damp()
{
    if (!sounding)
        return;
    const double w0 = 2.0 * kPi * frequency / sampleRate;
    const double a = lossPole;
    const double fundamentalGain = std::pow(10.0, -3.0 / (kDampedDecay * frequency));
    const double target = fundamentalGain * std::sqrt(1.0 - 2.0 * a * std::cos(w0) + a * a) / (1.0 - a);
    targetLossGain = std::min(lossGain, target);
    lossGlide = std::exp(-1.0 / (kDampGlide * sampleRate));
}

double PluckedString::process()
{
    if (!sounding)
        return 0.0;

    // The pickup line takes the wave arriving at the bridge now; the pickup
    // senses the displacement where it sits and its coil the change per sample.
    const double leaving = loop[loopIndex];
    pickupLine[pickupIndex] = leaving;
    const double displacement = pickupDisplacement();
    const double out = (displacement - previousDisplacement) * outputScale;
    previousDisplacement = displacement;
    pickupIndex = (pickupIndex + 1) & (pickupLine.size() - 1);

    // The wave leaving the delay line passes the losses of one round trip and
    // the tuning allpass and comes back as the next period's wave.
    lossGain = targetLossGain + (lossGain - targetLossGain) * lossGlide;
    lossState = guard(lossGain * (1.0 - lossPole) * leaving + lossPole * lossState);
    const double tuned = allpassCoefficient * (lossState - allpassOutput) + allpassInput;
    allpassInput = lossState;
    allpassOutput = guard(tuned);
    loop[loopIndex] = allpassOutput;
    loopIndex = loopIndex + 1 == loopLength ? 0 : loopIndex + 1;

    quietSamples = std::abs(out) < kSilence ? quietSamples + 1.0 : 0.0;
    if (quietSamples > sampleRate * kSilentSeconds)
        sounding = false;
    return out;
}

} // namespace demo
