#pragma once

#include "dsp/CommonBase.h"
#include "dsp/DenormalFlush.h"

#include <array>

// The abstract base of the filters that run an analog prototype, given as
// polynomials in s, through the bilinear transform s = K(1 - 1/z)/(1 + 1/z),
// K = 2*rate, without pre-warping.
//
// Threads: setCoefficients() runs on a parameter thread (one writer at a
// time) or while processing is stopped; process() on the audio thread. The
// concrete filters hand each new coefficient set to the audio thread through
// a Mailbox, so the audio thread never sees a half-written set.
class SZBase : public CommonBase {
public:
    // Installs an analog transfer function of the filter's order N: `den`
    // and `num` each hold N+1 coefficients in ascending powers of s.
    virtual void setCoefficients(const double* den, const double* num) = 0;
};

// Bilinear transform of one analog polynomial p (p[i] multiplies s^i) of
// order N: returns the coefficients of z^-n, n = 0..N, of
// p(K(1 - 1/z)/(1 + 1/z)) * (1 + 1/z)^N.
template <int N>
std::array<double, N + 1> bilinearTransform(const double* p, double k) noexcept;

namespace szdetail {

constexpr double binomial(int n, int k) noexcept
{
    // Factorial quotient in double precision; exact for the small orders used.
    double numerator = 1.0, denominator = 1.0;
    for (int i = 1; i <= n; ++i)
        numerator *= i;
    for (int i = 1; i <= k; ++i)
        denominator *= i;
    for (int i = 1; i <= n - k; ++i)
        denominator *= i;
    return numerator / denominator;
}

// weight[n][i] = sum over j of (-1)^j C(i, j) C(N-i, n-j): the coefficient of
// z^-n in (1 - 1/z)^i (1 + 1/z)^(N-i).
template <int N>
constexpr std::array<std::array<double, N + 1>, N + 1> makeWeights() noexcept
{
    std::array<std::array<double, N + 1>, N + 1> weight{};
    for (int n = 0; n <= N; ++n)
        for (int i = 0; i <= N; ++i) {
            const int first = (i + n - N) > 0 ? i + n - N : 0;
            const int last = i < n ? i : n;
            double sum = 0.0;
            for (int j = first; j <= last; ++j)
                sum += ((j & 1) ? -1.0 : 1.0) * binomial(i, j) * binomial(N - i, n - j);
            weight[n][i] = sum;
        }
    return weight;
}

// K^e by repeated squaring.
inline double power(double k, int e) noexcept
{
    double result = 1.0;
    while (e > 0) {
        if (e & 1)
            result *= k;
        k *= k;
        e >>= 1;
    }
    return result;
}

} // namespace szdetail

template <int N>
std::array<double, N + 1> bilinearTransform(const double* p, double k) noexcept
{
    static constexpr auto kWeights = szdetail::makeWeights<N>();
    std::array<double, N + 1> c{};
    for (int n = 0; n <= N; ++n) {
        double sum = 0.0;
        for (int i = 0; i <= N; ++i)
            sum += p[i] * szdetail::power(k, i) * kWeights[n][i];
        c[n] = sum;
    }
    return c;
}

// A digital coefficient set of order N, normalised by the leading
// denominator coefficient: y = sum b[k] x[n-k] - sum a[k] y[n-k].
template <int N>
struct SZCoefficients {
    double a0 = 1.0;                  // raw leading denominator coefficient (informative; never used to filter)
    std::array<double, N> a{};        // a[1..N] stored at a[0..N-1]
    std::array<double, N + 1> b{};    // b[0..N]

    // Transforms den/num at `rate` Hz. Returns false, leaving the set
    // untouched, when the leading coefficient is zero or the set is not
    // finite (a prototype that cannot be run).
    bool assign(const double* den, const double* num, float rate) noexcept;
};

namespace szdetail {
inline bool finite(double v) noexcept { return v - v == 0.0; }
} // namespace szdetail

template <int N>
bool SZCoefficients<N>::assign(const double* den, const double* num, float rate) noexcept
{
    const double k = 2.0 * double(rate);
    const auto d = bilinearTransform<N>(den, k);
    const auto e = bilinearTransform<N>(num, k);
    const double d0 = d[0];
    if (d0 == 0.0 || !szdetail::finite(d0))
        return false;
    SZCoefficients next;
    next.a0 = d0;
    bool ok = true;
    for (int n = 1; n <= N; ++n) {
        next.a[n - 1] = d[n] / d0;
        ok = ok && szdetail::finite(next.a[n - 1]);
    }
    for (int n = 0; n <= N; ++n) {
        next.b[n] = e[n] / d0;
        ok = ok && szdetail::finite(next.b[n]);
    }
    if (!ok)
        return false;
    *this = next;
    return true;
}

namespace szdetail {

// One direct-form-I step: the unflushed output sum for input x with the
// histories x[0..N-1] (most recent first) and y[0..N-1].
template <int N>
inline double directFormSum(const SZCoefficients<N>& c, double in, const double* x, const double* y) noexcept
{
    double forward = c.b[0] * in;
    double feedback = 0.0;
    for (int k = 0; k < N; ++k) {
        forward += c.b[k + 1] * x[k];
        feedback += c.a[k] * y[k];
    }
    return forward - feedback;
}

// Shifts both histories by one and stores the newest input and output.
template <int N>
inline void pushHistory(double* x, double* y, double in, double out) noexcept
{
    for (int k = N - 1; k > 0; --k) {
        x[k] = x[k - 1];
        y[k] = y[k - 1];
    }
    x[0] = in;
    y[0] = out;
}

} // namespace szdetail
