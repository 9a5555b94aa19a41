#include "effects/TenthOrderLowpass.h"

#include <algorithm>
#include <iterator>

TenthOrderLowpass::TenthOrderLowpass()
{
    // Designs the stored sets now, on the constructing thread.
    springLowpassSet(LowpassDesignRate::Hz44100);
}

void TenthOrderLowpass::clearHistory() noexcept
{
    std::fill(std::begin(xHistory), std::end(xHistory), 0.0);
    std::fill(std::begin(yHistory), std::end(yHistory), 0.0);
    head = 0;
}

void TenthOrderLowpass::reset()
{
    clearHistory();
    std::fill(std::begin(b), std::end(b), 0.0);
    std::fill(std::begin(c), std::end(c), 0.0);
    a0 = 0.0;
}

void TenthOrderLowpass::install(const TenthOrderCoefficients& set) noexcept
{
    std::copy(set.b.begin(), set.b.end(), std::begin(b));
    std::copy(set.c.begin(), set.c.end(), std::begin(c));
    a0 = 1.0;
}

void TenthOrderLowpass::exportState(double* x, double* y) const noexcept
{
    std::copy_n(xHistory + head, kSpan, x);
    std::copy_n(yHistory + head, kSpan, y);
}

void TenthOrderLowpass::importState(const double* x, const double* y) noexcept
{
    head = 0;
    std::copy_n(x, kSpan, xHistory);
    std::copy_n(x, kSpan, xHistory + kSpan);
    std::copy_n(y, kSpan, yHistory);
    std::copy_n(y, kSpan, yHistory + kSpan);
}
