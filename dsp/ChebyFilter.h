#pragma once

#include "dsp/CommonBase.h"
#include "dsp/DenormalFlush.h"
#include "dsp/Mailbox.h"

// A sixth-order Butterworth low-pass at 20 kHz, used in pairs around the
// amplifier when it runs at twice the host rate (anti-imaging before,
// anti-aliasing after) and by the cabinet engine to decimate its responses.
//
// There is one fixed design per sample-rate band; the design made for the
// band's nominal rate is used unchanged anywhere in the band, so the corner
// moves with the actual rate.
//
// Threads: setSampleRate() and selectCoefficients() may run on a parameter
// thread while process() runs on the audio thread ("High Res." changes); the
// coefficient set travels through a Mailbox and is taken up by the next
// process() or filterValue(), which therefore also sees a selection made
// just before on its own thread. The histories belong to the thread that
// filters; reset() runs only while that thread is not filtering. Histories
// survive rate changes.
class ChebyFilter final : public CommonBase {
public:
    static constexpr int kOrder = 6;

    // One design: y = sum(b[k] x[n-k]) + sum(c[k] y[n-k]).
    struct Coefficients {
        double b[kOrder + 1]; // numerator b0..b6, g*(1 + 1/z)^6, so symmetric
        double c[kOrder];     // feedback c1..c6, stored with the sign they are added with (c_k = -a_k)
    };

    // The design rate used for a block rate: the band limits are tested as
    // rate < limit, so a rate equal to a limit belongs to the higher band.
    static double designRateFor(float rate) noexcept;
    // The Butterworth design for one design rate: corner pre-warped to
    // 20000 Hz at that rate, bilinear transform, gain exactly 1 at DC.
    static Coefficients design(double designRate) noexcept;

    // Writer side: publishes the set for the stored rate. Call after
    // setSampleRate(); until the first call the filter outputs 0.
    void selectCoefficients() noexcept;

    // Zeroes the histories; the coefficients stay. Only while not filtering.
    void reset() override;

    void process(SampleFrame* frame) override { frame->value = filterValue(frame->value); }
    void processBlock(double* samples, int n) override { processEach(*this, samples, n); }
    // The same filter on a plain value, sharing the histories with process().
    double filterValue(double input) noexcept
    {
        if (coefficients_.fetch())
            active_ = coefficients_.current();
        const double* x = xHistory_ + head_;
        const double* yp = yHistory_ + head_;
        double y = active_.b[0] * input;
        for (int k = 0; k < kOrder; ++k)
            y += active_.b[k + 1] * x[k] + active_.c[k] * yp[k];
        // Values far below the guard vanish instead of decaying through denormals.
        y = flushDenormalRaised(y);
        // The newest values go in front by moving the start back one place;
        // each is stored twice, kOrder apart, so the run stays contiguous.
        head_ = head_ == 0 ? kOrder - 1 : head_ - 1;
        xHistory_[head_] = xHistory_[head_ + kOrder] = input;
        yHistory_[head_] = yHistory_[head_ + kOrder] = y;
        return y;
    }

private:
    Mailbox<Coefficients> coefficients_; // sets handed from the selecting thread to the filtering thread
    Coefficients active_{};              // filtering thread: the set in use (all zero before the first selection)
    // Filtering thread: the previous kOrder inputs and outputs, most recent
    // first, are xHistory_[head_ .. head_ + kOrder - 1] (likewise yHistory_):
    // every value is stored at i and i + kOrder.
    double xHistory_[2 * kOrder]{};
    double yHistory_[2 * kOrder]{};
    int head_ = 0;
};
