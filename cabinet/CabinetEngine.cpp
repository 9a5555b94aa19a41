#include "cabinet/CabinetEngine.h"

#include "cabinet/IrBank.h"

#include <algorithm>

namespace {

// Per-channel weights of the two cabinet responses, in single precision.
struct ChannelWeights {
    float first;  // weight of cabinet 1's response
    float second; // weight of cabinet 2's response
};

} // namespace

CabinetEngine::CabinetEngine()
    : CabinetEngine(IrBank::builtInBank())
{
}

CabinetEngine::CabinetEngine(const double* bank)
    : bank_(bank)
{
    for (std::vector<double>& response : channelResponse_)
        response.assign(kStoredLength, 0.0);
    // Valid decimator coefficients even if a rebuild comes before the first
    // setSampleRate().
    for (ChebyFilter& filter : decimators_) {
        filter.setSampleRate(2.0f * sampleRate_);
        filter.selectCoefficients();
    }
    lowRate_ = RateBand::upTo(sampleRate_, kLowRateLimit);
    reset();
}

bool CabinetEngine::rebuildOnChange(float& last, float value) noexcept
{
    const bool changed = !(value == last);
    last = value;
    if (!changed || !rateSet_)
        return false;
    if (deferring_) {
        rebuildDue_ = true;
        return false;
    }
    rebuild();
    return true;
}

bool CabinetEngine::finishDeferred() noexcept
{
    const bool due = rebuildDue_;
    deferring_ = false;
    rebuildDue_ = false;
    if (due)
        rebuild();
    return due;
}

bool CabinetEngine::setMode(float value) noexcept
{
    stereo_ = value != 0.0f;
    return rebuildOnChange(lastMode_, value);
}

bool CabinetEngine::setBlend(float value) noexcept
{
    blend_ = CabinetSlot::unitFor(value);
    return rebuildOnChange(lastBlend_, value);
}

bool CabinetEngine::setSlot(int slot, SlotSetting setting, float value) noexcept
{
    if (slot != 0 && slot != 1)
        return false;
    CabinetSlot& s = slots_[slot];
    switch (setting) {
    case SlotSetting::Off: s.off = value != 0.0f; break;
    case SlotSetting::Cabinet: s.cabinetHundreds = CabinetSlot::cabinetHundredsFor(value); break;
    case SlotSetting::Microphone: s.micTens = CabinetSlot::micTensFor(value); break;
    case SlotSetting::Axis: s.axisUnits = CabinetSlot::axisUnitsFor(value); break;
    case SlotSetting::Position: s.position = CabinetSlot::unitFor(value); break;
    case SlotSetting::Distance: s.distance = CabinetSlot::unitFor(value); break;
    case SlotSetting::Phase: s.invert = CabinetSlot::invertFor(value); break;
    case SlotSetting::Volume: s.volume = CabinetSlot::unitFor(value); break;
    case SlotSetting::Pan: s.pan = CabinetSlot::unitFor(value); break;
    }
    return rebuildOnChange(lastSlot_[slot][static_cast<int>(setting)], value);
}

void CabinetEngine::rebuild() noexcept
{
    const int family = IrBank::familyForRate(sampleRate_);
    for (CabinetSlot& s : slots_)
        IrBank::interpolateResponse(bank_, s, family);

    // With exactly one cabinet on only that one takes part; otherwise both
    // (both off is never heard: the chain then bypasses the engine).
    const CabinetSlot& one = slots_[0];
    const CabinetSlot& two = slots_[1];
    const bool useOne = one.off == two.off || !one.off;
    const bool useTwo = one.off == two.off || !two.off;

    // Mono: only the blend counts. Stereo: volume and linear pan per cabinet.
    ChannelWeights left{};
    ChannelWeights right{};
    if (!stereo_) {
        left.first = useOne ? (useTwo ? 1.0f - blend_ : 1.0f) : 0.0f;
        left.second = useTwo ? (useOne ? blend_ : 1.0f) : 0.0f;
    } else {
        left.first = useOne ? (1.0f - one.pan) * one.volume : 0.0f;
        right.first = useOne ? one.pan * one.volume : 0.0f;
        left.second = useTwo ? (1.0f - two.pan) * two.volume : 0.0f;
        right.second = useTwo ? two.pan * two.volume : 0.0f;
    }
    const int channels = stereo_ ? 2 : 1;
    const ChannelWeights weights[2] = {left, right};
    const double* r = one.response.data();
    const double* s = two.response.data();

    const bool lowRate = RateBand::upTo(sampleRate_, kLowRateLimit);
    for (int ch = 0; ch < channels; ++ch) {
        const double w1 = weights[ch].first;
        const double w2 = weights[ch].second;
        double* out = channelResponse_[ch].data();
        if (lowRate) {
            // Decimate by two: gain 2 keeps the level, two 20 kHz low-passes
            // at the stored rate, then every second output is kept (the
            // later of each pair overwrites the earlier).
            ChebyFilter& first = decimators_[2 * ch];
            ChebyFilter& second = decimators_[2 * ch + 1];
            first.reset();
            second.reset();
            for (int i = 0; i < kStoredLength; ++i) {
                const double x = 2.0 * (w1 * r[i] + w2 * s[i]);
                out[i / 2] = second.filterValue(first.filterValue(x));
            }
            std::fill(out + kStoredLength / 2, out + kStoredLength, 0.0);
        } else {
            for (int i = 0; i < kStoredLength; ++i)
                out[i] = w1 * r[i] + w2 * s[i];
        }
    }

    // In mono mode the right convolvers keep what they had.
    Convolver* pair = lowRate ? smallConvolvers_ : largeConvolvers_;
    for (int ch = 0; ch < channels; ++ch)
        pair[ch].loadResponse(channelResponse_[ch].data());
    lowRate_ = lowRate;
}

void CabinetEngine::setSampleRate(float rate) noexcept
{
    const bool current = rateSet_ && rate == sampleRate_;
    sampleRate_ = rate;
    for (ChebyFilter& filter : decimators_) {
        filter.setSampleRate(2.0f * rate);
        filter.selectCoefficients();
    }
    lowRate_ = RateBand::upTo(rate, kLowRateLimit);
    rateSet_ = true;
    if (!current)
        rebuild();
}

void CabinetEngine::clearHistory() noexcept
{
    for (Convolver& c : smallConvolvers_)
        c.clearHistory();
    for (Convolver& c : largeConvolvers_)
        c.clearHistory();
}

void CabinetEngine::reset() noexcept
{
    for (std::vector<double>& response : channelResponse_)
        std::fill(response.begin(), response.end(), 0.0);
    for (CabinetSlot& s : slots_)
        std::fill(s.response.begin(), s.response.end(), 0.0);
    for (Convolver& c : smallConvolvers_)
        c.clear();
    for (Convolver& c : largeConvolvers_)
        c.clear();
    rateSet_ = false;
}
