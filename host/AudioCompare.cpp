#include "host/AudioCompare.h"

#include <cmath>
#include <limits>

namespace host {

namespace {

double sampleDifference(double a, double b)
{
    if (a == b || (std::isnan(a) && std::isnan(b)))
        return 0.0;
    if (!std::isfinite(a) || !std::isfinite(b))
        return std::numeric_limits<double>::infinity();
    return std::fabs(a - b);
}

} // namespace

AudioComparison compareAudio(const AudioBuffer& a, const AudioBuffer& b)
{
    AudioComparison result;
    if (a.numChannels() != b.numChannels())
        result.shapeMismatch =
            std::to_string(a.numChannels()) + " channels against " + std::to_string(b.numChannels());
    else if (a.numFrames() != b.numFrames())
        result.shapeMismatch = std::to_string(a.numFrames()) + " frames against " + std::to_string(b.numFrames());
    else if (a.sampleRate != b.sampleRate)
        result.shapeMismatch = std::to_string(a.sampleRate) + " Hz against " + std::to_string(b.sampleRate) + " Hz";
    result.sameShape = result.shapeMismatch.empty();
    if (!result.sameShape)
        return result;

    for (int c = 0; c < a.numChannels(); ++c) {
        const std::vector<double>& x = a.channels[static_cast<std::size_t>(c)];
        const std::vector<double>& y = b.channels[static_cast<std::size_t>(c)];
        for (std::size_t f = 0; f < x.size(); ++f) {
            const double difference = sampleDifference(x[f], y[f]);
            if (difference > result.maxDifference) {
                result.maxDifference = difference;
                result.channel = c;
                result.frame = f;
            }
        }
    }
    return result;
}

} // namespace host
