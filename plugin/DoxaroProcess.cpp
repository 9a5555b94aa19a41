// Doxaro: the signal chain driver. One host block at a time, one sample at a
// time, through the blocks in the order the signal flows:
// input stage -> meter -> gate -> [filters -> amplifier -> filters] x F ->
// tremolo -> spring -> cabinets -> user response -> output gain -> limiter or
// clip watch -> host outputs.
//
// Audio thread only. Nothing here allocates, locks or waits; the only call
// into the host is the time query at the start of each block. No floating-
// point mode is touched: the blocks keep denormals away by their own
// arithmetic. Note that their (y - 1e-20) + 1e-20 step only zeroes magnitudes
// below about 7.5e-37 (half a unit in the last place of 1e-20), which is what
// keeps recursive tails out of the denormal range.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "plugin/Doxaro.h"

namespace {

// Bypass: an exact copy, safe when input and output are the same memory. A
// missing input channel gives silence; a missing output channel is skipped.
template <typename Sample>
void copyChannel(const Sample* input, Sample* output, vst::VstInt32 count)
{
    if (output == nullptr)
        return;
    if (input == nullptr)
        std::fill(output, output + count, Sample(0));
    else if (input != output)
        std::memmove(output, input, sizeof(Sample) * static_cast<std::size_t>(count));
}

// A host sample as the chain takes it: widened, and 0 when it is not a number.
template <typename Sample>
double readSample(const Sample* channel, vst::VstInt32 i)
{
    if (channel == nullptr)
        return 0.0;
    const double x = static_cast<double>(channel[i]);
    return std::isfinite(x) ? x : 0.0;
}

} // namespace

Doxaro::Switches Doxaro::switches() const
{
    Switches s{};
    s.bypassed = bypassed;
    s.oversampling = oversampling;
    s.inputGain = values[param::Input];
    s.inputMode = inputMode;
    s.antiAliasing = antiAliasing;
    s.modelIndex = modelIndex;
    s.stereoCabinet = stereoCabinet;
    s.cleanStereo = cleanStereo;
    s.cabinetsOn = cab1On || cab2On;
    s.userResponseOn = userResponseOn;
    s.limiterEngaged = values[param::LimiterOnOff] == 0.0f;
    s.outputGain = values[param::Output];
    s.clipHold = clip.holdLength();
    s.meterOn = meterOn;
    return s;
}

void Doxaro::processReplacing(float** inputs, float** outputs, vst::VstInt32 sampleFrames)
{
    processBlock(inputs, outputs, sampleFrames);
}

void Doxaro::processDoubleReplacing(double** inputs, double** outputs, vst::VstInt32 sampleFrames)
{
    processBlock(inputs, outputs, sampleFrames);
}

void Doxaro::pollTempo()
{
    lastTimeInfo = getTimeInfo(vst::kVstPpqPosValid | vst::kVstTempoValid);
    if (lastTimeInfo == nullptr)
        return;
    // A host without a running tempo may report 0 or garbage: keep the last good one.
    const double tempo = lastTimeInfo->tempo;
    if (!std::isfinite(tempo) || tempo <= 0.0 || tempo == lastTempo)
        return;
    lastTempo = tempo;
    tremolo.setTempo(tempo);
    tremolo.setSpeed(tremolo.lastSpeed());
    tremolo.setSpeed(values[param::TremoloSpeed]);
}

template <typename Sample>
void Doxaro::processBlock(Sample** inputs, Sample** outputs, vst::VstInt32 sampleFrames)
{
    // Block start: the settings stay fixed for the whole block.
    const Switches s = switches();
    if (!s.meterOn)
        inputPeak = 0.0f;
    pollTempo();
    if (sampleFrames <= 0)
        return;

    const Sample* const inLeft = inputs != nullptr ? inputs[0] : nullptr;
    const Sample* const inRight = inputs != nullptr ? inputs[1] : nullptr;
    Sample* const outLeft = outputs != nullptr ? outputs[0] : nullptr;
    Sample* const outRight = outputs != nullptr ? outputs[1] : nullptr;

    if (s.bypassed) {
        copyChannel(inLeft, outLeft, sampleFrames);
        copyChannel(inRight, outRight, sampleFrames);
        return;
    }

    const double inputScale = 2.0 * static_cast<double>(s.inputGain);
    const int passes = s.oversampling;
    AmpChannel* const amp = amps[s.modelIndex >= 0 && s.modelIndex < kNumAmpModels ? s.modelIndex : kNumAmpModels - 1];
    double peak = 0.0;
    SampleFrame frame;

    for (vst::VstInt32 i = 0; i < sampleFrames; ++i) {
        // Input stage: both inputs are read before either output of index i is written.
        const double left = readSample(inLeft, i);
        const double right = readSample(inRight, i);
        double a = 0.0;
        double b = 0.0;
        switch (s.inputMode) {
        case 0:
            a = b = inputScale * left;
            break;
        case 1:
            a = b = inputScale * right;
            break;
        default:
            a = inputScale * left;
            b = inputScale * right;
            break;
        }
        frame.value = a + b;

        if (s.meterOn)
            peak = std::max(peak, std::fabs(frame.value * 0.5));

        gate.process(&frame);

        // Amplifier section, F passes per host sample; with F = 2 the first
        // pass runs on the stuffed zero and only the last pass is kept.
        upsampleBuffer[0] = frame.value;
        for (int k = passes - 1; k >= 0; --k) {
            frame.value = passes * upsampleBuffer[k];
            if (s.antiAliasing) {
                preFilter1.process(&frame);
                preFilter2.process(&frame);
            }
            amp->process(&frame);
            if (s.antiAliasing) {
                postFilter1.process(&frame);
                postFilter2.process(&frame);
            }
        }

        tremolo.process(&frame);
        spring.process(&frame);

        if (s.stereoCabinet) {
            // With gate and amplifier off the stereo pair bypasses the mono
            // chain and keeps the two inputs apart.
            double outL = s.cleanStereo ? 2.0 * a : frame.value;
            double outR = s.cleanStereo ? 2.0 * b : frame.value;
            if (s.cabinetsOn)
                cabinet.processStereo(outL, outR);
            if (s.userResponseOn)
                userResponse.processStereo(outL, outR);
            outL *= s.outputGain;
            outR *= s.outputGain;
            if (limiter.enabled)
                limiter.processStereo(outL, outR);
            if (!s.limiterEngaged)
                clip.watch(std::max(std::fabs(outL), std::fabs(outR)));
            if (outLeft != nullptr)
                outLeft[i] = static_cast<Sample>(outL);
            if (outRight != nullptr)
                outRight[i] = static_cast<Sample>(outR);
        } else {
            if (s.cabinetsOn)
                cabinet.processMono(frame.value);
            if (s.userResponseOn)
                userResponse.processMono(frame.value);
            frame.value *= s.outputGain;
            limiter.process(&frame);
            if (!s.limiterEngaged)
                clip.watch(std::fabs(frame.value));
            const Sample out = static_cast<Sample>(frame.value);
            if (outLeft != nullptr)
                outLeft[i] = out;
            if (outRight != nullptr)
                outRight[i] = out;
        }
    }

    if (s.meterOn)
        inputPeak = static_cast<float>(peak);
}
