#include "cabinet/UserResponseEngine.h"

#include "cabinet/ScaledConvolution.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

UserResponseEngine::UserResponseEngine()
{
    for (auto& channel : channelResponse)
        channel.assign(kLargeLength, 0.0);
    // Room for the largest response in stereo, so that reading a file never allocates.
    wav.samples.reserve(2 * kLargeLength);
    reset();
}

void UserResponseEngine::setSampleRate(float rate)
{
    sampleRate = rate;
    const bool low = RateBand::upTo(rate, kLowRateLimit);
    maxLength = low ? kSmallLength : kLargeLength;
    lowRate = low;
}

void UserResponseEngine::reset()
{
    for (auto& channel : channelResponse)
        std::fill(channel.begin(), channel.end(), 0.0);
    for (auto& convolver : smallConvolvers)
        convolver.clear();
    for (auto& convolver : largeConvolvers)
        convolver.clear();
}

void UserResponseEngine::clearHistory() noexcept
{
    for (auto& convolver : smallConvolvers)
        convolver.clearHistory();
    for (auto& convolver : largeConvolvers)
        convolver.clearHistory();
}

void UserResponseEngine::loadUserResponse(const char* path)
{
    for (auto& channel : channelResponse)
        std::fill(channel.begin(), channel.end(), 0.0);

    bool found = false;
    if (path != nullptr && path[0] != '\0' && std::strcmp(path, kNoResponse) != 0) {
        const int length = copySamples(path) ? int(std::min<std::int64_t>(wav.storedFrames, maxLength)) : 0;
        if (length > 0)
            taper(length);
        found = length > 0;
        // The samples have been copied; keep the storage for the next file.
        wav.samples.clear();
        wav.loaded = false;
    }

    // Everything is prepared before the convolvers publish it.
    Convolver* pair = activePair();
    pair[0].loadResponse(channelResponse[0].data());
    if (stereo)
        pair[1].loadResponse(channelResponse[1].data());
    loaded = found;
}

bool UserResponseEngine::copySamples(const char* path)
{
    if (!readWav(path, wav, maxLength))
        return false;
    const int length = int(std::min<std::int64_t>(wav.storedFrames, maxLength));
    const double* in = wav.samples.data();
    double* left = channelResponse[0].data();
    double* right = channelResponse[1].data();
    const bool isStereo = stereo;
    if (wav.storedChannels == 1) {
        for (int i = 0; i < length; ++i) {
            left[i] = in[i];
            if (isStereo)
                right[i] = in[i];
        }
    } else {
        // Two channels held (a wider file keeps its first two).
        for (int i = 0; i < length; ++i) {
            if (isStereo) {
                left[i] = in[2 * i];
                right[i] = in[2 * i + 1];
            } else {
                left[i] = (in[2 * i] + in[2 * i + 1]) * 0.5;
            }
        }
    }
    return true;
}

void UserResponseEngine::taper(int length)
{
    double* left = channelResponse[0].data();
    double* right = channelResponse[1].data();
    const bool isStereo = stereo;

    // The peak: the first sample of largest magnitude (over both channels in stereo).
    int peak = 0;
    double largest = 0.0;
    for (int i = 0; i < length; ++i) {
        const double magnitude = isStereo ? std::max(std::fabs(left[i]), std::fabs(right[i])) : std::fabs(left[i]);
        if (magnitude > largest) {
            largest = magnitude;
            peak = i;
        }
    }

    // Hamming window whose centre (w = 1) sits on the peak and whose end
    // (w = 0.08) sits on the last used sample; before the peak it mirrors
    // the fall. A peak on the last sample leaves no room to fall: w = 1.
    const int denominator = 2 * length - 2 * peak - 2;
    if (denominator == 0)
        return;
    for (int i = 0; i < length; ++i) {
        const int numerator = length - 2 * peak - 1 + i;
        const double w = kTaperBase - kTaperDepth * std::cos(2.0 * std::numbers::pi * (double(numerator) / double(denominator)));
        left[i] *= w;
        if (isStereo)
            right[i] *= w;
    }
}

void UserResponseEngine::process(double& sample)
{
    ScaledConvolution::sample(activePair()[0], sample, kOutputGain);
}

void UserResponseEngine::processStereo(double& left, double& right)
{
    ScaledConvolution::stereoSample(activePair(), left, right, kOutputGain);
}

void UserResponseEngine::processBlock(double* samples, int n) noexcept
{
    ScaledConvolution::block(activePair()[0], samples, n, kOutputGain);
}

void UserResponseEngine::processStereoBlock(double* left, double* right, int n) noexcept
{
    ScaledConvolution::stereoBlock(activePair(), left, right, n, kOutputGain);
}
