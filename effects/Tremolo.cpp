#include "effects/Tremolo.h"

#include "effects/NoteValues.h"

#include <cmath>
#include <numbers>

namespace {

// Truncates a period in samples to the counter's range: at least one sample
// (a zero period would make the synced frequency infinite) and at most
// Tremolo::kMaxPeriod (absurdly slow tempos); NaN gives one sample.
std::int32_t toPeriod(double samples) noexcept
{
    const double whole = std::trunc(samples);
    if (!(whole >= 1.0))
        return 1;
    if (whole > double(Tremolo::kMaxPeriod))
        return Tremolo::kMaxPeriod;
    return std::int32_t(whole);
}

} // namespace

void Tremolo::setSampleRate(float r)
{
    sampleRate = r;
    rate_ = r;
}

void Tremolo::setSpeed(float v) noexcept
{
    speed_ = v;
    Timing next;
    if (!sync_) {
        // NaN counts as the slowest speed.
        next.frequency = (v >= kSlowestSpeed) ? kFreeSpan * v : kSlowestFree;
        next.period = toPeriod((1.0 / double(next.frequency)) * rate_);
    } else {
        const double beats = kNoteValues[std::size_t(noteValueRow(v))].beats;
        next.period = toPeriod(beats * 60.0 * double(sampleRate) / tempo_);
        next.frequency = sampleRate / float(next.period);
    }
    timing_ = next;
}

void Tremolo::setTempo(double bpm) noexcept
{
    if (std::isfinite(bpm) && bpm > 0.0)
        tempo_ = bpm;
}

void Tremolo::setSync(bool on) noexcept
{
    sync_ = on;
    setSpeed(speed_);
}

void Tremolo::setFxEnabled(bool on) noexcept
{
    fxEnabled_ = on;
    updateActive();
}

void Tremolo::setDepth(float v) noexcept
{
    depthNonZero_ = v != 0.0f;
    depth_ = v;
    updateActive();
}

void Tremolo::process(SampleFrame* frame)
{
    if (!active_)
        return;
    const Timing t = timing_;
    phase_ = phase_ < t.period ? phase_ + 1 : 0;
    const double s = std::sin(phase_ / rate_ * (double(t.frequency) * 2.0 * std::numbers::pi));
    const double depth = depth_;
    frame->value *= depth * s * s + (1.0 - depth);
}
