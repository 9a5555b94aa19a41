#include "effects/Tremolo.h"

#include "effects/NoteValues.h"

#include <bit>
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
    timingStale_ = true;
}

Tremolo::Timing Tremolo::timingFor(float v, bool sync, double tempo) const noexcept
{
    Timing next;
    if (!sync) {
        // NaN counts as the slowest speed.
        next.frequency = (v >= kSlowestSpeed) ? kFreeSpan * v : kSlowestFree;
        next.period = toPeriod((1.0 / double(next.frequency)) * rate_);
    } else {
        const double beats = kNoteValues[std::size_t(noteValueRow(v))].beats;
        next.period = toPeriod(beats * 60.0 * double(sampleRate) / tempo);
        next.frequency = sampleRate / float(next.period);
    }
    return next;
}

void Tremolo::setTempo(double bpm) noexcept
{
    if (std::isfinite(bpm) && bpm > 0.0 && bpm != tempo_) {
        tempo_ = bpm;
        timingStale_ = true;
    }
}

void Tremolo::setEnabled(bool on) noexcept
{
    enabled_ = on;
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
    const float speed = speed_;
    const bool sync = sync_;
    if (timingStale_ || std::bit_cast<std::uint32_t>(speed) != timingSpeedBits_ || sync != timingSync_) {
        timingInUse_ = timingFor(speed, sync, tempo_);
        timingSpeedBits_ = std::bit_cast<std::uint32_t>(speed);
        timingSync_ = sync;
        timingStale_ = false;
    }
    const Timing t = timingInUse_;
    phase_ = phase_ < t.period ? phase_ + 1 : 0;
    const double s = std::sin(phase_ / rate_ * (double(t.frequency) * 2.0 * std::numbers::pi));
    const double depth = depth_;
    frame->value *= depth * s * s + (1.0 - depth);
}
