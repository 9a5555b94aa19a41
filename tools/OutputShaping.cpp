#include "tools/OutputShaping.h"

#include <algorithm>
#include <cmath>

namespace host {

bool normalizePeak(AudioBuffer& buffer, double peakDb)
{
    double peak = 0.0;
    for (const auto& channel : buffer.channels)
        for (const double x : channel)
            if (std::isfinite(x))
                peak = std::max(peak, std::fabs(x));
    if (!(peak > 0.0))
        return false;
    const double gain = std::pow(10.0, peakDb / 20.0) / peak;
    for (auto& channel : buffer.channels)
        for (double& x : channel)
            x *= gain;
    return true;
}

std::size_t trimTail(AudioBuffer& buffer, double thresholdDb)
{
    const double threshold = std::pow(10.0, thresholdDb / 20.0);
    std::size_t keep = 0;
    for (const auto& channel : buffer.channels) {
        for (std::size_t f = channel.size(); f > keep; --f) {
            // A non-finite sample is not silence: it stays for the caller to see.
            if (!(std::fabs(channel[f - 1]) < threshold)) {
                keep = f;
                break;
            }
        }
    }
    for (auto& channel : buffer.channels)
        channel.resize(std::min(keep, channel.size()));
    return keep;
}

} // namespace host
