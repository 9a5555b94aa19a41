#include "effects/Spring.h"

#include "dsp/RateBand.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

// Pre-delay in samples, kept inside the input ring at any rate.
int preDelaySamples(float seconds, float rate)
{
    const float samples = std::trunc(rate * seconds);
    if (!(samples >= 0.0f))
        return 0;
    return int(std::min(samples, float(Spring::kRingMask)));
}

} // namespace

Spring::Spring()
{
    // Distinct fixed seeds: the two springs wander independently and every
    // instance renders the same way.
    line1_.seedNoise(0x5EED0001u);
    line2_.seedNoise(0x5EED0002u);
    setSampleRate(sampleRate);
}

void Spring::reset()
{
    line1_.reset();
    line2_.reset();
    std::fill(std::begin(inputRing_), std::end(inputRing_), 0.0);
    inputIndex_ = 0;
    eq_.reset();
    outputFilter_.clearHistory();
}

void Spring::setSampleRate(float rate)
{
    sampleRate = rate;
    line1_.setSampleRate(rate);
    line2_.setSampleRate(rate);
    eq_.setSampleRate(rate);
    outputFilter_.setSampleRate(rate);

    line1_.setCutoff(kCutoff);
    line2_.setCutoff(kCutoff);
    eq_.setCutoff(kCutoff);

    line1_.setStages(kStages1);
    line2_.setStages(kStages2);
    line1_.setAllpassCoeff(kAllpassCoeff);
    line2_.setAllpassCoeff(kAllpassCoeff);
    line1_.feedback = kFeedback;
    line2_.feedback = kFeedback;
    line1_.setLineDelay(kLineDelay1);
    line2_.setLineDelay(kLineDelay2);

    // Modulation depth grows with the rate so the wander stays near 0.1 ms.
    if (RateBand::below(rate, RateBand::kLimit48k)) {
        line1_.modDepth = 4;
        line2_.modDepth = 5;
    } else if (RateBand::below(rate, RateBand::kLimit96k)) {
        line1_.modDepth = 8;
        line2_.modDepth = 10;
    } else {
        line1_.modDepth = 16;
        line2_.modDepth = 20;
    }

    line1_.setEchoPosition(kEchoPosition);
    line2_.setEchoPosition(kEchoPosition);
    line1_.echoGainB = kEchoGainB1;
    line1_.echoGainA = kEchoGainA1;
    line2_.echoGainB = kEchoGainB2;
    line2_.echoGainA = kEchoGainA2;

    preDelay1_ = preDelaySamples(kPreDelayTime1, rate);
    preDelay2_ = preDelaySamples(kPreDelayTime2, rate);

    eq_.setPeak(kEqPeak);
    eq_.setBandwidth(kEqBandwidth);
}

void Spring::setEnabled(bool on) noexcept
{
    enabled_ = on;
    updateActive();
}

void Spring::setAmount(float value) noexcept
{
    amountNonZero_ = value != 0.0f;
    amount_ = value;
    updateActive();
}

void Spring::process(SampleFrame* frame)
{
    if (!active_)
        return;
    const double dry = frame->value;
    const int i = inputIndex_;
    inputRing_[i] = dry;
    double u1 = double(kInputGain1) * inputRing_[(i - preDelay1_) & kRingMask];
    double u2 = double(kInputGain2) * inputRing_[(i - preDelay2_) & kRingMask];
    ChirpLowDS::runPair(line1_, u1, line2_, u2);
    double wet = (u1 + u2) * 0.5;
    wet = eq_.filter(wet);
    wet = outputFilter_.filter(wet);
    frame->value = amount_ * wet + dry;
    inputIndex_ = (i + 1) & kRingMask;
}

void Spring::processBlock(double* samples, int n) noexcept
{
    if (!active_)
        return;
    const int limit = std::min(line1_.blockLimit(), line2_.blockLimit());
    if (limit == 0) {
        SampleFrame frame;
        for (int k = 0; k < n; ++k) {
            frame.value = samples[k];
            process(&frame);
            samples[k] = frame.value;
        }
        return;
    }
    const double level = amount_;
    double u1[ChirpLowDS::kMaxBlock];
    double u2[ChirpLowDS::kMaxBlock];
    double wet[ChirpLowDS::kMaxBlock];
    for (int start = 0; start < n; start += limit) {
        double* dry = samples + start;
        const int count = std::min(limit, n - start);
        for (int k = 0; k < count; ++k) {
            const int i = (inputIndex_ + k) & kRingMask;
            inputRing_[i] = dry[k];
            u1[k] = double(kInputGain1) * inputRing_[(i - preDelay1_) & kRingMask];
            u2[k] = double(kInputGain2) * inputRing_[(i - preDelay2_) & kRingMask];
        }
        inputIndex_ = (inputIndex_ + count) & kRingMask;
        pipeline_.run(line1_, u1, line2_, u2, eq_, outputFilter_, wet, count);
        for (int k = 0; k < count; ++k)
            dry[k] = level * wet[k] + dry[k];
    }
}
