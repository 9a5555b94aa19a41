// The demo DI recording: the string model's tuning and damping, and the
// recording's length, level and determinism.

#include "tools/DemoGuitar.h"
#include "tools/PluckedString.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kRate = 44100.0;

std::vector<double> playNote(const demo::Pluck& how, double seconds)
{
    demo::NoiseSource noise(7);
    demo::PluckedString string(kRate);
    string.pluck(how, noise);
    std::vector<double> out(static_cast<std::size_t>(seconds * kRate));
    for (double& x : out)
        x = string.process();
    return out;
}

// The period (in samples, interpolated) with the strongest autocorrelation
// between 0.8 and 1.25 times the expected period.
double measuredPeriod(const std::vector<double>& x, std::size_t from, std::size_t length, double expected)
{
    auto correlation = [&](std::size_t lag) {
        double sum = 0.0;
        for (std::size_t i = from; i < from + length; ++i)
            sum += x[i] * x[i + lag];
        return sum;
    };
    const auto low = static_cast<std::size_t>(expected * 0.8);
    const auto high = static_cast<std::size_t>(expected * 1.25);
    std::size_t best = low;
    for (std::size_t lag = low; lag <= high; ++lag)
        if (correlation(lag) > correlation(best))
            best = lag;
    const double a = correlation(best - 1), b = correlation(best), c = correlation(best + 1);
    return static_cast<double>(best) + 0.5 * (a - c) / (a - 2.0 * b + c);
}

double energy(const std::vector<double>& x, std::size_t from, std::size_t to)
{
    double sum = 0.0;
    for (std::size_t i = from; i < to; ++i)
        sum += x[i] * x[i];
    return sum;
}

TEST(PluckedString, SoundsAtItsPitchAcrossTheNeck)
{
    // Open low E, an A on the G string, a high fret on the high E string.
    for (double frequency : {82.40689, 220.0, 659.2551, 1174.659}) {
        demo::Pluck how;
        how.frequency = frequency;
        const std::vector<double> note = playNote(how, 0.5);
        const double period = measuredPeriod(note, 2000, 4000, kRate / frequency);
        const double cents = 1200.0 * std::log2((kRate / period) / frequency);
        EXPECT_LT(std::abs(cents), 3.0) << frequency << " Hz sounds " << cents << " cents off";
    }
}

TEST(PluckedString, PalmMuteAndDampingShortenTheNote)
{
    demo::Pluck open;
    open.frequency = 82.40689;
    demo::Pluck muted = open;
    muted.palmMuted = true;

    const std::vector<double> ringing = playNote(open, 1.0);
    const std::vector<double> chug = playNote(muted, 1.0);
    const auto early = static_cast<std::size_t>(0.05 * kRate);
    const auto late = static_cast<std::size_t>(0.4 * kRate);
    // The open string keeps most of its energy; the muted one has lost 40 dB of it.
    EXPECT_GT(energy(ringing, late, late + early) / energy(ringing, 0, early), 0.05);
    EXPECT_LT(energy(chug, late, late + early) / energy(chug, 0, early), 1e-4);

    demo::NoiseSource noise(3);
    demo::PluckedString string(kRate);
    string.pluck(open, noise);
    for (int i = 0; i < 1000; ++i)
        string.process();
    string.damp();
    for (int i = 0; i < static_cast<int>(0.3 * kRate) && !string.finished(); ++i)
        string.process();
    EXPECT_TRUE(string.finished());
    EXPECT_EQ(string.process(), 0.0);
}

TEST(DemoRecording, IsDeterministicTenSecondsAtMinusSixDecibels)
{
    const auto events = demo::demoPerformance();
    ASSERT_FALSE(events.empty());
    EXPECT_TRUE(std::is_sorted(events.begin(), events.end(),
                               [](const demo::NoteEvent& a, const demo::NoteEvent& b) { return a.time < b.time; }));
    EXPECT_TRUE(std::any_of(events.begin(), events.end(), [](const demo::NoteEvent& e) { return e.palmMuted; }));

    const std::vector<double> first =
        demo::renderGuitar(events, demo::kDemoSeconds, demo::kDemoSampleRate, demo::kDemoPeak);
    const std::vector<double> second =
        demo::renderGuitar(demo::demoPerformance(), demo::kDemoSeconds, demo::kDemoSampleRate, demo::kDemoPeak);
    EXPECT_EQ(first, second);
    ASSERT_EQ(first.size(), static_cast<std::size_t>(demo::kDemoSeconds * demo::kDemoSampleRate));
    EXPECT_GE(demo::kDemoSeconds, 9.5);
    EXPECT_LE(demo::kDemoSeconds, 11.0);

    double peak = 0.0;
    for (double x : first) {
        ASSERT_TRUE(std::isfinite(x));
        peak = std::max(peak, std::abs(x));
    }
    EXPECT_NEAR(20.0 * std::log10(peak), -6.0, 0.01);

    // Something is playing in every second of the recording, and it ends faded out.
    const auto second1 = static_cast<std::size_t>(demo::kDemoSampleRate);
    for (std::size_t start = 0; start + second1 <= first.size(); start += second1) {
        const double rms = std::sqrt(energy(first, start, start + second1) / static_cast<double>(second1));
        EXPECT_GT(20.0 * std::log10(rms), -45.0) << "silent second at " << start / second1;
    }
    EXPECT_LT(std::abs(first.back()), 1e-4);
}

} // namespace
