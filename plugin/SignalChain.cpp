#include "plugin/SignalChain.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>

// No floating-point mode is touched: the blocks keep denormals away by their
// own arithmetic. Every recursive state ends a decaying tail far above the
// denormal range: the higher-order filters, the networks, the amplifiers'
// saturating integrators, the gate's gain and the spring's lines through the
// denormal guard of dsp/DenormalFlush.h, whose (y - 1e-20) + 1e-20 step
// zeroes magnitudes below about 7.5e-37 (half a unit in the last place of
// 1e-20; a slow decay may hold a step or two of it), the one-pole filters by
// cutting below 1e-30. The limiter's delay carries the guard as an offset;
// the convolvers and the tremolo hold no recursion. The nonlinear stages'
// expm1 and tanh give tiny arguments back without forming their underflowing
// powers. What is left is the output: products of guarded states with small
// gains still pass magnitudes below float's normal range on their way to 0,
// and writeSample() zeroes those for 32-bit hosts. So silence after a note
// raises no underflow flag (tests/plugin/SilenceTests.cpp, every factory
// program).

namespace {

// Bypass: an exact copy, safe when input and output are the same memory. A
// missing input channel gives silence; a missing output channel is skipped.
template <typename Sample>
void copyChannel(const Sample* input, Sample* output, int count)
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
double readSample(const Sample* channel, int i)
{
    if (channel == nullptr)
        return 0.0;
    const double x = static_cast<double>(channel[i]);
    return std::isfinite(x) ? x : 0.0;
}

// A chain value as the host's sample type takes it. For a 32-bit host a
// magnitude below float's normal range (the last of a tail dying away, under
// -750 dBFS) becomes 0: converted, it would be a float denormal, slow in
// whatever the host does with it next, and the conversion itself would raise
// the processor's underflow flag.
template <typename Sample>
Sample writeSample(double value)
{
    if constexpr (std::is_same_v<Sample, float>)
        if (std::fabs(value) < double(std::numeric_limits<float>::min()))
            return 0.0f;
    return static_cast<Sample>(value);
}

} // namespace

SignalChain::SignalChain()
{
    amps = {&mvClean, &mvLead, &bkvgClean, &bkvgLead, &jcClean, &jcLead};
}

bool SignalChain::setCabinetMode(float value) noexcept
{
    const bool stereo = value != 0.0f;
    stereoCabinet = stereo;
    userResponse_.setStereo(stereo);
    return cabinet_.setMode(value);
}

void SignalChain::setAntiAliasing(bool on, float hostRate) noexcept
{
    antiAliasing = on;
    const float blockRate = on ? hostRate * 2.0f : hostRate;
    oversampling = on ? 2 : 1;
    for (ChebyFilter* filter : {&preFilter1, &preFilter2, &postFilter1, &postFilter2}) {
        filter->setSampleRate(blockRate);
        filter->selectCoefficients();
    }
    for (AmpChannel* amp : amps)
        amp->setSampleRate(blockRate);
}

void SignalChain::prepare(float rate, double tempo) noexcept
{
    upsampleBuffer = {0.0, 0.0};
    setAntiAliasing(antiAliasing, rate);

    tremolo_.setSampleRate(rate);
    tremolo_.setTempo(tempo);

    spring_.setSampleRate(rate);
    cabinet_.setSampleRate(rate);
    userResponse_.setSampleRate(rate);
    limiter_.reset();
    limiter_.setSampleRate(rate);

    clip_.setSampleRate(rate);
    inputPeak_ = 0.0f;
}

void SignalChain::clearResponses() noexcept
{
    cabinet_.reset();
    userResponse_.reset();
}

void SignalChain::clear() noexcept
{
    gate_.reset();
    for (ChebyFilter* filter : {&preFilter1, &preFilter2, &postFilter1, &postFilter2})
        filter->reset();
    upsampleBuffer = {0.0, 0.0};
    for (AmpChannel* amp : amps)
        amp->clearHistory();
    tremolo_.reset();
    spring_.reset();
    cabinet_.clearHistory();
    userResponse_.clearHistory();
    limiter_.reset();
    clip_.clear();
    inputPeak_ = 0.0f;
}

SignalChain::Switches SignalChain::switches() const noexcept
{
    Switches s{};
    s.bypassed = bypassed;
    s.oversampling = oversampling;
    s.inputGain = inputGain;
    s.inputMode = inputMode;
    s.antiAliasing = antiAliasing;
    s.modelIndex = modelIndex;
    s.stereoCabinet = stereoCabinet;
    s.cleanStereo = cleanStereo;
    s.cabinetsOn = cab1On || cab2On;
    s.userResponseOn = userResponseOn;
    s.limiterEngaged = limiterEngaged;
    s.outputGain = outputGain;
    s.clipHold = clip_.holdLength();
    s.meterOn = meterOn;
    return s;
}

template <typename Sample>
void SignalChain::process(const Sample* const* inputs, Sample* const* outputs, int frames, double tempo) noexcept
{
    // Block start: the settings stay fixed for the whole block.
    const Switches s = switches();
    if (!s.meterOn)
        inputPeak_ = 0.0f;
    tremolo_.setTempo(tempo);
    if (frames <= 0)
        return;

    const Sample* const inLeft = inputs != nullptr ? inputs[0] : nullptr;
    const Sample* const inRight = inputs != nullptr ? inputs[1] : nullptr;
    Sample* const outLeft = outputs != nullptr ? outputs[0] : nullptr;
    Sample* const outRight = outputs != nullptr ? outputs[1] : nullptr;

    if (s.bypassed) {
        copyChannel(inLeft, outLeft, frames);
        copyChannel(inRight, outRight, frames);
        return;
    }

    const double inputScale = 2.0 * static_cast<double>(s.inputGain);
    const int passes = std::clamp(s.oversampling, 1, 2);
    AmpChannel* const amp = amps[s.modelIndex >= 0 && s.modelIndex < kNumAmpModels ? s.modelIndex : kNumAmpModels - 1];
    double peak = 0.0;
    SampleFrame frame;

    // The block runs in chunks, each stage over the whole chunk before the
    // next: no stage feeds back into an earlier one, so every stage sees
    // the same samples in the same order as sample by sample.
    for (int start = 0; start < frames; start += kChunk) {
        const int count = std::min(kChunk, frames - start);
        for (int k = 0; k < count; ++k) {
            const int i = start + k;
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

            if (s.antiAliasing) {
                // With the anti-aliasing filters the gate, the filters'
                // recursions and the amplifier overlap best sample by
                // sample: F passes per host sample, the first on the
                // stuffed zero, only the last one kept.
                gate_.process(&frame);
                upsampleBuffer[0] = frame.value;
                for (int p = passes - 1; p >= 0; --p) {
                    frame.value = passes * upsampleBuffer[p];
                    preFilter1.process(&frame);
                    preFilter2.process(&frame);
                    amp->process(&frame);
                    postFilter1.process(&frame);
                    postFilter2.process(&frame);
                }
            }
            chunkMono[k] = frame.value;
            chunkLeft[k] = a;
            chunkRight[k] = b;
        }

        if (!s.antiAliasing) {
            // Gate and amplifier each over the whole chunk; should the
            // snapshot hold F = 2 without the filters, the passes run as one
            // stream of F * count samples.
            gate_.processBlock(chunkMono.data(), count);
            if (passes == 1) {
                amp->processBlock(chunkMono.data(), count);
            } else {
                for (int k = 0; k < count; ++k) {
                    upsampleBuffer[0] = chunkMono[k];
                    for (int p = passes - 1, j = 0; p >= 0; --p, ++j)
                        chunkOversampled[k * passes + j] = passes * upsampleBuffer[p];
                }
                amp->processBlock(chunkOversampled.data(), count * passes);
                for (int k = 0; k < count; ++k)
                    chunkMono[k] = chunkOversampled[k * passes + passes - 1];
            }
        }

        tremolo_.processBlock(chunkMono.data(), count);

        spring_.processBlock(chunkMono.data(), count);

        // The cabinets and the user response over the whole chunk (their
        // convolvers' block paths), then gain, limiter and outputs per sample.
        if (s.stereoCabinet) {
            // With gate and amplifier off the stereo pair bypasses the mono
            // chain and keeps the two inputs apart.
            for (int k = 0; k < count; ++k) {
                chunkLeft[k] = s.cleanStereo ? 2.0 * chunkLeft[k] : chunkMono[k];
                chunkRight[k] = s.cleanStereo ? 2.0 * chunkRight[k] : chunkMono[k];
            }
            if (s.cabinetsOn)
                cabinet_.processStereoBlock(chunkLeft.data(), chunkRight.data(), count);
            if (s.userResponseOn)
                userResponse_.processStereoBlock(chunkLeft.data(), chunkRight.data(), count);
            for (int k = 0; k < count; ++k) {
                const int i = start + k;
                double outL = chunkLeft[k] * s.outputGain;
                double outR = chunkRight[k] * s.outputGain;
                if (limiter_.isEnabled())
                    limiter_.processStereo(outL, outR);
                if (!s.limiterEngaged)
                    clip_.watch(std::max(std::fabs(outL), std::fabs(outR)));
                if (outLeft != nullptr)
                    outLeft[i] = writeSample<Sample>(outL);
                if (outRight != nullptr)
                    outRight[i] = writeSample<Sample>(outR);
            }
        } else {
            if (s.cabinetsOn)
                cabinet_.processBlock(chunkMono.data(), count);
            if (s.userResponseOn)
                userResponse_.processBlock(chunkMono.data(), count);
            for (int k = 0; k < count; ++k) {
                const int i = start + k;
                frame.value = chunkMono[k] * s.outputGain;
                limiter_.process(&frame);
                if (!s.limiterEngaged)
                    clip_.watch(std::fabs(frame.value));
                const Sample out = writeSample<Sample>(frame.value);
                if (outLeft != nullptr)
                    outLeft[i] = out;
                if (outRight != nullptr)
                    outRight[i] = out;
            }
        }
    }

    if (s.meterOn)
        inputPeak_ = static_cast<float>(peak);
}

template void SignalChain::process<float>(const float* const*, float* const*, int, double) noexcept;
template void SignalChain::process<double>(const double* const*, double* const*, int, double) noexcept;
