#include "effects/Spring.h"
#include "tests/support/BlockRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <complex>
#include <cstdint>
#include <memory>
#include <numbers>
#include <vector>

using testing_support::run;

namespace {

// The spring is large: tests keep it on the heap as the plug-in does.
std::unique_ptr<Spring> makeSpring(float rate, float amount = 1.0f)
{
    auto spring = std::make_unique<Spring>();
    spring->setSampleRate(rate);
    spring->setEnabled(true);
    spring->setAmount(amount);
    return spring;
}

// Wet part of the response to a unit impulse at sample 0.
std::vector<double> wetImpulseResponse(Spring& spring, int length)
{
    std::vector<double> wet(static_cast<std::size_t>(length));
    for (int n = 0; n < length; ++n) {
        const double dry = n == 0 ? 1.0 : 0.0;
        wet[std::size_t(n)] = run(spring, dry) - dry;
    }
    return wet;
}

double energy(const std::vector<double>& x, int from, int length)
{
    double sum = 0.0;
    for (int n = from; n < from + length; ++n)
        sum += x[std::size_t(n)] * x[std::size_t(n)];
    return sum;
}

// Power-weighted mean frequency of a Hann-windowed stretch of x.
double meanFrequency(const std::vector<double>& x, int from, int length, double rate)
{
    double weighted = 0.0;
    double total = 0.0;
    for (int k = 1; k < length / 2; ++k) {
        double re = 0.0;
        double im = 0.0;
        for (int n = 0; n < length; ++n) {
            const double window = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * n / length);
            const double angle = 2.0 * std::numbers::pi * k * n / length;
            re += window * x[std::size_t(from + n)] * std::cos(angle);
            im -= window * x[std::size_t(from + n)] * std::sin(angle);
        }
        const double power = re * re + im * im;
        weighted += power * k * rate / length;
        total += power;
    }
    return weighted / total;
}

} // namespace

TEST(Spring, ConfigurationByRate)
{
    struct LineCase {
        int loop, span1, span2, span3, modDepth;
    };
    struct Case {
        float rate;
        int decimation;
        LineCase line1, line2;
        int preDelay1, preDelay2;
    };
    const Case cases[] = {
        {44100.0f, 4, {2576, 515, 4, 2057, 4}, {2909, 581, 4, 2324, 5}, 1580, 1867},
        {48000.0f, 4, {2810, 562, 4, 2244, 4}, {3173, 634, 4, 2535, 5}, 1719, 2032},
        {96000.0f, 8, {5619, 1123, 8, 4488, 8}, {6344, 1268, 8, 5068, 10}, 3439, 4064},
        {192000.0f, 8, {11379, 2275, 17, 9087, 16}, {12843, 2568, 17, 10258, 20}, 6879, 8129},
    };
    for (const Case& c : cases) {
        const auto spring = makeSpring(c.rate);
        const ChirpLowDS* lines[2] = {&spring->line1(), &spring->line2()};
        const LineCase* expected[2] = {&c.line1, &c.line2};
        for (int l = 0; l < 2; ++l) {
            const ChirpLowDS& line = *lines[l];
            const LineCase& e = *expected[l];
            EXPECT_EQ(line.decimation, c.decimation) << c.rate;
            EXPECT_EQ(line.phaseMask, c.decimation - 1) << c.rate;
            EXPECT_EQ(line.loopDelay, e.loop) << c.rate << " line " << l + 1;
            EXPECT_EQ(line.tapSpan1, e.span1) << c.rate << " line " << l + 1;
            EXPECT_EQ(line.tapSpan2, e.span2) << c.rate << " line " << l + 1;
            EXPECT_EQ(line.tapSpan3, e.span3) << c.rate << " line " << l + 1;
            EXPECT_EQ(line.modDepth, e.modDepth) << c.rate << " line " << l + 1;
            EXPECT_EQ(line.feedback, double(-0.71354f));
        }
        EXPECT_EQ(spring->line1().stages, 50);
        EXPECT_EQ(spring->line2().stages, 55);
        EXPECT_EQ(spring->preDelay1(), c.preDelay1) << c.rate;
        EXPECT_EQ(spring->preDelay2(), c.preDelay2) << c.rate;
    }
}

TEST(Spring, EchoGainsAreTheStoredSinglePrecisionValues)
{
    const auto spring = makeSpring(44100.0f);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(float(spring->line1().echoGainB)), 0x3DC66666u);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(float(spring->line2().echoGainB)), 0x3DB9999Au);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(float(spring->line1().echoGainA)), 0x3DA665E0u);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(float(spring->line2().echoGainA)), 0x3DC44418u);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(Spring::kInputGain2), 0x3F6D5550u);
}

TEST(Spring, ResonatorSettings)
{
    const struct {
        float rate;
        int intDelay; // K rounded half up, less one
    } cases[] = {{8000.0f, 0},  {11025.0f, 0}, {16000.0f, 0}, {16500.0f, 1}, {22050.0f, 1},
                 {24000.0f, 1}, {27500.0f, 2}, {44100.0f, 3}, {48000.0f, 3}, {96000.0f, 8},
                 {192000.0f, 16}};
    for (const auto& c : cases) {
        const auto spring = makeSpring(c.rate);
        const ChirpEq& eq = spring->equaliser();
        EXPECT_FLOAT_EQ(eq.stretch, c.rate * 0.5f / 5500.0f);
        EXPECT_EQ(eq.intDelay, c.intDelay) << c.rate;
        EXPECT_NEAR(std::sqrt(eq.a2), 0.3574, 1e-4) << c.rate; // R, the same at every rate
    }
}

TEST(ChirpLowDS, StageCountIsTruncatedAndLimited)
{
    const auto line = std::make_unique<ChirpLowDS>();
    const struct {
        float requested;
        int stored;
    } cases[] = {{60.0f, 55}, {55.0f, 55}, {50.9f, 50}, {0.5f, 0}, {-3.0f, 0}};
    for (const auto& c : cases) {
        line->setStages(c.requested);
        EXPECT_EQ(line->stages, c.stored) << c.requested;
    }
}

// At very high rates the loop and pre-delays are held inside their rings.
TEST(Spring, DelaysFitTheRingsAtVeryHighRates)
{
    const auto spring = makeSpring(768000.0f);
    for (const ChirpLowDS* line : {&spring->line1(), &spring->line2()}) {
        EXPECT_LE(line->loopDelay + 2 * line->modDepth + 1, ChirpLowDS::kRingMask);
        EXPECT_EQ(line->tapSpan1 + line->tapSpan2 + line->tapSpan3, line->loopDelay);
        EXPECT_GE(line->tapSpan3, 0);
    }
    EXPECT_LE(spring->preDelay2(), Spring::kRingMask);
    const std::vector<double> wet = wetImpulseResponse(*spring, 40000);
    for (const double w : wet)
        ASSERT_TRUE(std::isfinite(w));
}

// Before the first pre-delay the output is the dry signal exactly; the
// first spring answers after it.
TEST(Spring, NoWetSignalBeforeThePreDelay)
{
    for (const float rate : {44100.0f, 96000.0f}) {
        const auto spring = makeSpring(rate);
        const int pre = spring->preDelay1();
        const int second = spring->preDelay2();
        const std::vector<double> wet = wetImpulseResponse(*spring, second);
        for (int n = 0; n < pre; ++n)
            ASSERT_EQ(wet[std::size_t(n)], 0.0) << rate << " sample " << n;
        // Between the two pre-delays only the first spring sounds.
        EXPECT_GT(energy(wet, pre, second - pre), 1e-3) << rate;
    }
}

// The dispersion line turns a click into a chirp: each frequency arrives at
// its own time. With the positive allpass coefficient the stretched sections
// delay the top of the band most, so the energy moves upwards from the low
// frequencies to the 5 kHz edge over the first chirp.
TEST(ChirpLowDS, ImpulseBecomesAChirp)
{
    for (const float rate : {44100.0f, 96000.0f}) {
        const auto line = std::make_unique<ChirpLowDS>();
        line->setSampleRate(rate);
        line->setCutoff(Spring::kCutoff);
        line->setStages(Spring::kStages1);
        line->setAllpassCoeff(Spring::kAllpassCoeff);
        line->setLineDelay(Spring::kLineDelay1);
        std::vector<double> out(8192);
        for (std::size_t n = 0; n < out.size(); ++n)
            out[n] = line->run(n == 0 ? 1.0 : 0.0);

        const int window = rate < 68000.0f ? 256 : 512;
        double previous = 0.0;
        for (int w = 0; w < 7; ++w) {
            const double centroid = meanFrequency(out, w * window, window, rate);
            EXPECT_GT(centroid, previous + 50.0) << rate << " window " << w;
            previous = centroid;
        }
        EXPECT_LT(meanFrequency(out, 0, window, rate), 2000.0) << rate;
        EXPECT_GT(previous, 4800.0) << rate;
    }
}

// The whole reverb at every common host rate: nothing is ever non-finite,
// the wet energy of an impulse never grows from one half second to the next
// and has fallen by 50 dB after four seconds, and the first half second is
// about as loud as at 44.1 kHz (the band is the same at every rate, so the
// sum of squares compares directly).
TEST(Spring, ImpulseDecaysAtEveryRate)
{
    const auto reference = makeSpring(44100.0f);
    const double referenceEnergy = energy(wetImpulseResponse(*reference, 22050), 0, 22050);

    for (const float rate : {8000.0f, 11025.0f, 16000.0f, 22050.0f, 24000.0f, 32000.0f, 44100.0f,
                             48000.0f, 88200.0f, 96000.0f, 176400.0f, 192000.0f, 352800.0f,
                             384000.0f}) {
        const auto spring = makeSpring(rate);
        const int block = int(rate) / 2;
        const std::vector<double> wet = wetImpulseResponse(*spring, 8 * block);
        for (std::size_t n = 0; n < wet.size(); ++n)
            ASSERT_TRUE(std::isfinite(wet[n])) << rate << " sample " << n;
        const double first = energy(wet, 0, block);
        EXPECT_GT(first, referenceEnergy / 4.0) << rate;
        EXPECT_LT(first, referenceEnergy * 4.0) << rate;
        double previous = first;
        for (int b = 1; b < 8; ++b) {
            const double e = energy(wet, b * block, block);
            EXPECT_LT(e, previous) << rate << " block " << b;
            previous = e;
        }
        EXPECT_LT(previous, first * 1e-5) << rate;
    }
}

// At 44.1 kHz each half second of the tail has less than half the energy
// of the one before.
TEST(Spring, TailDecays)
{
    const auto spring = makeSpring(44100.0f);
    const int block = 22050;
    const std::vector<double> wet = wetImpulseResponse(*spring, 8 * block);
    double previous = energy(wet, 0, block);
    EXPECT_GT(previous, 0.01);
    for (int b = 1; b < 8; ++b) {
        const double e = energy(wet, b * block, block);
        EXPECT_LT(e, previous * 0.5) << "block " << b;
        previous = e;
    }
    EXPECT_LT(previous, 1e-8);
}

TEST(Spring, AmountScalesTheWetSignal)
{
    const auto full = makeSpring(44100.0f, 1.0f);
    const auto quarter = makeSpring(44100.0f, 0.25f);
    const std::vector<double> a = wetImpulseResponse(*full, 6000);
    const std::vector<double> b = wetImpulseResponse(*quarter, 6000);
    for (std::size_t n = 0; n < a.size(); ++n)
        ASSERT_NEAR(b[n], 0.25 * a[n], 1e-15) << n;
}

// "Reverb" 0 or "FX" off: the frame passes unchanged and nothing advances,
// so switching back on continues exactly where it stopped.
TEST(Spring, InactivePassesAndHoldsState)
{
    const auto reference = makeSpring(44100.0f);
    const auto paused = makeSpring(44100.0f);

    for (int n = 0; n < 2000; ++n) {
        const double x = std::sin(0.05 * n);
        ASSERT_EQ(run(*reference, x), run(*paused, x));
    }

    paused->setAmount(0.0f);
    EXPECT_FALSE(paused->isActive());
    for (int n = 0; n < 500; ++n)
        ASSERT_EQ(run(*paused, 0.3 * n), 0.3 * n);
    paused->setAmount(1.0f);
    paused->setEnabled(false);
    EXPECT_FALSE(paused->isActive());
    for (int n = 0; n < 500; ++n)
        ASSERT_EQ(run(*paused, -0.1 * n), -0.1 * n);
    paused->setEnabled(true);

    for (int n = 0; n < 6000; ++n)
        ASSERT_EQ(run(*reference, 0.0), run(*paused, 0.0)) << n;
}

// A resume clears the loops: the same input gives the same first chirp.
TEST(Spring, RateChangeStartsTheLoopsEmpty)
{
    const auto spring = makeSpring(44100.0f);
    wetImpulseResponse(*spring, 3000);
    spring->setSampleRate(44100.0f);
    for (const ChirpLowDS* line : {&spring->line1(), &spring->line2()})
        for (const double v : line->delayRing)
            ASSERT_EQ(v, 0.0);
}

// A stop and start (reset, then the rate again) leaves the tank exactly as a
// new one: the same input gives the same output bit for bit, modulation
// noise included.
TEST(Spring, ResetSoundsLikeANewTank)
{
    for (const float rate : {44100.0f, 96000.0f}) {
        SCOPED_TRACE(rate);
        const auto used = makeSpring(rate);
        for (int n = 0; n < 20000; ++n)
            run(*used, (n % 5000 < 300) ? std::sin(0.2 * n) : 0.0);
        used->reset();
        used->setSampleRate(rate);
        const auto fresh = makeSpring(rate);
        fresh->setSampleRate(rate);
        for (int n = 0; n < 20000; ++n) {
            const double x = (n % 3000 < 200) ? 0.7 * std::sin(0.11 * n) : 0.0;
            const double expected = run(*fresh, x);
            const double actual = run(*used, x);
            ASSERT_EQ(std::bit_cast<std::uint64_t>(actual), std::bit_cast<std::uint64_t>(expected)) << "sample " << n;
        }
    }
}

// Where the stretch K is a whole number of samples the fractional allpasses
// become plain one-sample delays, and the resonator must equal
//   y[n] = gain (x[n] - x[n-2K]) - a1 y[n-K] - a2 y[n-2K].
// The short stretches (K = 1 and 2) take the paths without a ring lag.
TEST(ChirpEq, IntegerStretchIsTheStretchedResonator)
{
    for (const int k : {1, 2, 3, 4, 8}) {
        ChirpEq eq;
        const float rate = float(k) * 2.0f * Spring::kCutoff;
        eq.setSampleRate(rate);
        eq.setCutoff(Spring::kCutoff);
        eq.setPeak(Spring::kEqPeak);
        eq.setBandwidth(Spring::kEqBandwidth);
        ASSERT_EQ(eq.stretch, float(k));
        ASSERT_EQ(eq.fracCoeff, 0.0);

        const std::size_t lag = std::size_t(k);
        std::vector<double> x(300, 0.0);
        std::vector<double> y(300, 0.0);
        for (std::size_t n = 0; n < x.size(); ++n)
            x[n] = (n == 0 ? 1.0 : 0.0) + (n % 13 == 5 ? -0.5 : 0.0);
        for (std::size_t n = 0; n < x.size(); ++n) {
            const auto at = [](const std::vector<double>& v, std::size_t n, std::size_t lag) {
                return n >= lag ? v[n - lag] : 0.0;
            };
            y[n] = eq.gain * (x[n] - at(x, n, 2 * lag)) - eq.a1 * at(y, n, lag) - eq.a2 * at(y, n, 2 * lag);
            ASSERT_NEAR(eq.filter(x[n]), y[n], 1e-12) << "K " << k << " sample " << n;
        }
    }
}

// A fractional stretch is a Thiran allpass: its response must follow
//   H = gain (1 - v^2) / (1 + a1 v + a2 v^2),  v = A(z) z^-(K - F)
// with A the first-order allpass of the fractional part F. Checked against
// a sine's steady state at every common host rate, the rates whose K is
// below 1.5 or rounds to 2 included.
TEST(ChirpEq, FollowsTheStretchedResponseAtEveryRate)
{
    for (const float rate : {8000.0f, 11025.0f, 16000.0f, 18000.0f, 22050.0f, 24000.0f, 27000.0f,
                             32000.0f, 44100.0f, 48000.0f, 96000.0f, 192000.0f, 384000.0f}) {
        ChirpEq eq;
        eq.setSampleRate(rate);
        eq.setCutoff(Spring::kCutoff);
        eq.setPeak(Spring::kEqPeak);
        eq.setBandwidth(Spring::kEqBandwidth);
        const double hz = std::min(1000.0, rate * 0.1);
        const double w = 2.0 * std::numbers::pi * hz / rate;
        using C = std::complex<double>;
        const C zInv = std::polar(1.0, -w);
        const double ap = eq.fracCoeff;
        const C allpass = (ap + zInv) / (1.0 + ap * zInv);
        const int lag = std::max(eq.intDelay, 0);
        const C v = allpass * std::pow(zInv, lag);
        const double expected = std::abs(eq.gain * (1.0 - v * v) / (1.0 + eq.a1 * v + eq.a2 * v * v));

        // Amplitude of the steady state by correlation with the sine and
        // cosine over the second half second.
        const int length = int(rate);
        double inPhase = 0.0;
        double quadrature = 0.0;
        for (int n = 0; n < length; ++n) {
            const double y = eq.filter(std::sin(w * n));
            ASSERT_TRUE(std::isfinite(y)) << rate << " sample " << n;
            if (n >= length / 2) {
                inPhase += y * std::sin(w * n);
                quadrature += y * std::cos(w * n);
            }
        }
        const double amplitude = 2.0 * std::hypot(inPhase, quadrature) / double(length - length / 2);
        EXPECT_NEAR(amplitude, expected, 2e-3) << rate;
    }
}

TEST(ChirpHP, FortyHertzHighPass)
{
    ChirpHP hp;
    hp.setSampleRate(44100.0f);
    const auto gainAt = [&](double hz) {
        hp.reset();
        double peak = 0.0;
        const int length = 4 * 44100;
        for (int n = 0; n < length; ++n) {
            const double y = hp.filter(std::sin(2.0 * std::numbers::pi * hz * n / 44100.0));
            if (n > length / 2)
                peak = std::max(peak, std::fabs(y));
        }
        return peak;
    };
    EXPECT_NEAR(gainAt(40.0), std::sqrt(0.5), 2e-3);
    EXPECT_LT(gainAt(2.0), 0.06);
    EXPECT_NEAR(gainAt(1000.0), 1.0, 2e-3);
    // DC leaves no trace.
    hp.reset();
    double y = 1.0;
    for (int n = 0; n < 44100; ++n)
        y = hp.filter(1.0);
    EXPECT_LT(std::fabs(y), 1e-6);
}
