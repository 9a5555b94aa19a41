#pragma once

#include "dsp/Mailbox.h"
#include "dsp/SZBase.h"

// A bilinear-transform filter of order N that switches to a new coefficient
// set at once, keeping its histories (no crossfade).
//
// Threads: setCoefficients() computes the set on the calling (parameter)
// thread and publishes it; process() takes up the newest published set at
// its next sample, so a change is never seen half-written. reset() runs only
// while processing is stopped.
template <int N>
class SZDirect : public SZBase {
public:
    static constexpr int kOrder = N;

    SZDirect() = default;

    // Stopped only: silent until the next set (a0 = 1, everything else 0).
    void reset() override
    {
        sets_.discard();
        active_ = SZCoefficients<N>{};
        clearHistories();
    }

    void setCoefficients(const double* den, const double* num) override
    {
        SZCoefficients<N> next;
        if (next.assign(den, num, sampleRate))
            publish(next);
    }

    // Stopped only: zeroes the histories; the set in use and any set on its
    // way stay.
    void clearHistory() noexcept { clearHistories(); }

    void process(SampleFrame* frame) override { frame->value = filter(frame->value); }

    double filter(double in) noexcept
    {
        if (sets_.fetch())
            active_ = sets_.current();
        const double sum = szdetail::directFormSum<N>(active_, in, x_, y_);
        const double out = flushDenormal(sum);
        szdetail::pushHistory<N>(x_, y_, in, out);
        return out;
    }

    // Audio thread (or stopped): the set in use.
    const SZCoefficients<N>& active() const noexcept { return active_; }

protected:
    // Writer side: hands a ready digital set to the audio thread.
    void publish(const SZCoefficients<N>& set) noexcept
    {
        sets_.draft() = set;
        sets_.publish();
    }

private:
    void clearHistories() noexcept
    {
        for (int k = 0; k < N; ++k)
            x_[k] = y_[k] = 0.0;
    }

    Mailbox<SZCoefficients<N>> sets_; // sets on their way from the writer to the audio thread
    SZCoefficients<N> active_{};      // audio thread: the set in use
    double x_[N]{};                   // audio thread: past inputs, most recent first
    double y_[N]{};                   // audio thread: past (flushed) outputs, most recent first
};

using SZBase1s = SZDirect<1>; // first order, direct
using SZBase3s = SZDirect<3>; // third order, direct
