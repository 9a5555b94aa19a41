#pragma once

#include "dsp/Mailbox.h"
#include "dsp/RateBand.h"
#include "dsp/Relaxed.h"
#include "dsp/SZBase.h"

// A bilinear-transform filter of order N that fades linearly from the filter
// that was running to each newly installed one, so that knob changes do not
// click. Each new set starts a fresh filter from silence (zero histories);
// the previous filter keeps running on its own histories during the fade.
// A change that arrives during a fade restarts the fade from the filter
// that was running before it. The very first set after a reset is installed
// into both filters, so it is heard at once without a fade.
//
// Threads. setCoefficients() runs on a parameter thread (one writer at a
// time), process() on the audio thread, reset() only while processing is
// stopped. The writer computes the digital set and publishes it as one
// record together with the first set published since the last reset (the
// writer keeps that one aside). The audio thread, at the start of process(),
// takes up the newest record and installs it: on its first install since
// reset the previous filter gets the record's first set; the current filter
// gets the record's set with zeroed histories, and the fade restarts. Any
// batch of sets published between two samples therefore behaves exactly as
// if each had been installed in turn. The fade state and all histories
// belong to the audio thread; the fade length is set by setSampleRate(),
// possibly on a parameter thread, and is read with relaxed atomics.
template <int N>
class SZCrossfade : public SZBase {
public:
    static constexpr int kOrder = N;

    SZCrossfade() { clearState(); }

    // Fade length by rate: 1024 samples below 68000 Hz, 2048 below 136000 Hz,
    // 4096 above.
    static int fadeLengthFor(float rate) noexcept
    {
        if (RateBand::below(rate, RateBand::kLimit48k))
            return 1024;
        if (RateBand::below(rate, RateBand::kLimit96k))
            return 2048;
        return 4096;
    }

    void setSampleRate(float rate) override
    {
        SZBase::setSampleRate(rate);
        fadeLength_ = fadeLengthFor(rate);
    }

    // Stopped only: silent until the next set, fade length back to 1024
    // until the next setSampleRate().
    void reset() override
    {
        sets_.discard();
        writerHasFirst_ = false;
        clearState();
    }

    // Stopped only: the audio side back to where construction left it (no
    // set installed, no fade, empty histories). The writer's first set and
    // any set on its way stay, so the next install fades in exactly as in a
    // new filter that saw the same settings.
    void clearHistory() noexcept
    {
        firstInstall_ = true;
        fadeCount_ = 0;
        valid_ = false;
        heldOutput_ = 0.0;
        current_ = SZCoefficients<N>{};
        previous_ = SZCoefficients<N>{};
        previousIsCurrent_ = false;
        mirrorPending_ = false;
        for (int k = 0; k < N; ++k)
            x_[k] = y_[k] = prevX_[k] = prevY_[k] = 0.0;
    }

    void setCoefficients(const double* den, const double* num) override
    {
        SZCoefficients<N> next;
        if (!next.assign(den, num, sampleRate))
            return;
        if (!writerHasFirst_) {
            writerFirst_ = next;
            writerHasFirst_ = true;
        }
        Record& record = sets_.draft();
        record.set = next;
        record.first = writerFirst_;
        sets_.publish();
    }

    void process(SampleFrame* frame) override { frame->value = filter(frame->value); }

    double filter(double in) noexcept
    {
        if (sets_.fetch())
            install(sets_.current());

        const int length = fadeLength_.load();
        if (fadeCount_ < length)
            settleMirror();

        // The current filter; while nothing may be run it holds its last output.
        double y;
        if (valid_) {
            const double sum = szdetail::directFormSum<N>(current_, in, x_, y_);
            y = sum - kDenormalGuard;
            heldOutput_ = y + kDenormalGuard;
            szdetail::pushHistory<N>(x_, y_, in, heldOutput_);
        } else {
            y = heldOutput_;
            for (int k = 0; k < N; ++k)
                x_[k] = y_[k] = 0.0;
        }

        if (fadeCount_ < length) {
            const double sum = szdetail::directFormSum<N>(previous_, in, prevX_, prevY_);
            const double yp = sum - kDenormalGuard;
            szdetail::pushHistory<N>(prevX_, prevY_, in, yp + kDenormalGuard);
            const double t = double(fadeCount_) / double(length);
            ++fadeCount_;
            return (1.0 - t) * yp + t * y;
        }
        // Fade over: the previous filter follows the current one exactly.
        if (!previousIsCurrent_) {
            previous_.a = current_.a;
            previous_.b = current_.b;
            previousIsCurrent_ = true;
        }
        // Its histories follow too, but they are read only when a fade
        // starts again: the copy waits until then (settleMirror()).
        mirrorPending_ = true;
        return y;
    }

    // Audio-thread state, for owners and tests (read on the audio thread or
    // while stopped).
    const SZCoefficients<N>& current() const noexcept { return current_; }
    const SZCoefficients<N>& previous() const noexcept { return previous_; }
    bool valid() const noexcept { return valid_; }
    int fadeCount() const noexcept { return fadeCount_; }
    int fadeLength() const noexcept { return fadeLength_.load(); }

private:
    struct Record {
        SZCoefficients<N> set;   // the set to install
        SZCoefficients<N> first; // the first set published since the last reset
    };

    // With the fade over, the previous filter's histories are copies of the
    // current filter's as of the last sample; make them so before they are
    // read again or the current ones are cleared.
    void settleMirror() noexcept
    {
        if (!mirrorPending_)
            return;
        for (int k = 0; k < N; ++k) {
            prevX_[k] = x_[k];
            prevY_[k] = y_[k];
        }
        mirrorPending_ = false;
    }

    void install(const Record& record) noexcept
    {
        settleMirror();
        if (firstInstall_) {
            previous_.a = record.first.a;
            previous_.b = record.first.b;
            firstInstall_ = false;
        }
        current_ = record.set;
        for (int k = 0; k < N; ++k)
            x_[k] = y_[k] = 0.0;
        valid_ = true;
        fadeCount_ = 0;
        previousIsCurrent_ = false;
    }

    void clearState() noexcept
    {
        fadeLength_ = 1024;
        clearHistory();
    }

    Mailbox<Record> sets_;           // records on their way from the writer to the audio thread
    SZCoefficients<N> writerFirst_;  // writer: the first set published since the last reset
    bool writerHasFirst_ = false;    // writer: whether writerFirst_ holds it yet

    SZCoefficients<N> current_;      // audio: the filter faded to (a0 is the raw leading coefficient)
    SZCoefficients<N> previous_;     // audio: the filter faded from (its a0 stays 1 and is never read)
    double x_[N];                    // audio: current filter's past inputs, most recent first
    double y_[N];                    // audio: current filter's past (flushed) outputs
    double prevX_[N];                // audio: previous filter's past inputs
    double prevY_[N];                // audio: previous filter's past (flushed) outputs
    double heldOutput_;              // audio: current filter's latest (flushed) output
    int fadeCount_;                  // audio: samples elapsed in the running fade
    bool valid_;                     // audio: whether the current filter has a set to run
    bool firstInstall_;              // audio: whether the next install is the first since reset
    bool previousIsCurrent_;         // audio: previous coefficients already copied from current after the fade
    bool mirrorPending_;             // audio: prevX_/prevY_ are due to be copied from x_/y_ (fade over, copy deferred)
    Relaxed<int> fadeLength_{1024};  // fade length in samples, by rate (written by setSampleRate)
};

using SZBase2 = SZCrossfade<2>; // second order, crossfading
using SZBase3 = SZCrossfade<3>; // third order, crossfading
using SZBase4 = SZCrossfade<4>; // fourth order, crossfading
using SZBase6 = SZCrossfade<6>; // sixth order, crossfading
