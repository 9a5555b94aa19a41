// The demo DI recording: the string model's tuning, decay and damping, its
// clean starts and stops, and the recording's strums, spectral balance,
// length, level and determinism.

#include "tools/DemoGuitar.h"
#include "tools/PluckedString.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

namespace {

constexpr double kRate = 44100.0;
constexpr double kPi = 3.14159265358979323846;

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

// Amplitude of the component at `frequency` in a Hann-windowed stretch of
// `length` samples starting at `from` (a single DFT bin, Goertzel style).
double componentAt(const std::vector<double>& x, std::size_t from, std::size_t length, double frequency)
{
    double re = 0.0, im = 0.0, weight = 0.0;
    for (std::size_t i = 0; i < length; ++i) {
        const double w = 0.5 - 0.5 * std::cos(2.0 * kPi * (static_cast<double>(i) + 0.5) / static_cast<double>(length));
        const double phase = 2.0 * kPi * frequency * static_cast<double>(i) / kRate;
        re += w * x[from + i] * std::cos(phase);
        im += w * x[from + i] * std::sin(phase);
        weight += w;
    }
    return 2.0 * std::hypot(re, im) / weight;
}

// 60 dB decay time of the component at `frequency`, from its level in two
// 0.1 s windows starting at `early` and `late` seconds.
double decayTime(const std::vector<double>& x, double frequency, double early, double late)
{
    const auto window = static_cast<std::size_t>(0.1 * kRate);
    const double first = componentAt(x, static_cast<std::size_t>(early * kRate), window, frequency);
    const double second = componentAt(x, static_cast<std::size_t>(late * kRate), window, frequency);
    return 60.0 * (late - early) / (20.0 * std::log10(first / second));
}

double peakOf(const std::vector<double>& x, std::size_t from, std::size_t to)
{
    double peak = 0.0;
    for (std::size_t i = from; i < to && i < x.size(); ++i)
        peak = std::max(peak, std::abs(x[i]));
    return peak;
}

TEST(PluckedString, SoundsAtItsPitchAcrossTheNeck)
{
    // Open low E, an A on the G string, high frets on the high E string; the
    // palm-muted loop's heavy loss filter delays the wave most and must be
    // tuned out as well.
    const struct {
        double frequency;
        bool palmMuted;
    } cases[] = {{82.40689, false}, {220.0, false}, {659.2551, false}, {1174.659, false},
                 {82.40689, true},  {110.0, true},  {329.6276, true}};
    for (const auto& c : cases) {
        demo::Pluck how;
        how.frequency = c.frequency;
        how.palmMuted = c.palmMuted;
        const std::vector<double> note = playNote(how, 0.5);
        const double period = measuredPeriod(note, 2000, 4000, kRate / c.frequency);
        const double cents = 1200.0 * std::log2((kRate / period) / c.frequency);
        EXPECT_LT(std::abs(cents), 3.0) << c.frequency << " Hz" << (c.palmMuted ? " palm-muted" : "") << " sounds "
                                        << cents << " cents off";
    }
}

TEST(PluckedString, FundamentalRingsAsLongAsAskedAndHighsDieSooner)
{
    // At 100 Hz the 20th harmonic sits on the treble reference frequency.
    demo::Pluck how;
    how.frequency = 100.0;
    how.decaySeconds = 3.0;
    how.trebleDecaySeconds = 0.5;
    const std::vector<double> note = playNote(how, 2.0);
    EXPECT_NEAR(decayTime(note, 100.0, 0.2, 1.7), 3.0, 0.3);
    EXPECT_NEAR(decayTime(note, demo::kTrebleReferenceHz, 0.1, 0.4), 0.5, 0.1);
    // Between them the loss grows steadily with frequency.
    const double middle = decayTime(note, 1000.0, 0.1, 0.6);
    EXPECT_LT(middle, 3.0);
    EXPECT_GT(middle, 0.5);
}

TEST(PluckedString, LowStringsSustainLongerAndPlainStringsKeepTheirHighsLonger)
{
    // As the demo guitar plays them: the open low E, the high E at the 12th
    // fret, and the open D (wound) and G (plain) strings side by side.
    auto ring = [](int string, int fret) { return playNote(demo::stringPluck(string, fret, 0.8, false), 2.5); };
    const std::vector<double> lowE = ring(0, 0), highE = ring(5, 12), d = ring(2, 0), g = ring(3, 0);

    const double lowDecay = decayTime(lowE, 82.40689, 0.3, 2.3);
    const double highDecay = decayTime(highE, 659.2551, 0.3, 1.3);
    EXPECT_GT(lowDecay, 3.0);
    EXPECT_LT(lowDecay, 12.0);
    EXPECT_GT(lowDecay, 1.8 * highDecay);

    // Harmonics near 2 kHz: the 14th of D3 (2056 Hz) and the 10th of G3 (1960 Hz).
    const double woundTreble = decayTime(d, 14 * 146.8324, 0.1, 0.5);
    const double plainTreble = decayTime(g, 10 * 195.9977, 0.1, 0.5);
    EXPECT_GT(plainTreble, 1.3 * woundTreble);
}

TEST(PluckedString, StartsAndStopsWithoutClicks)
{
    // A lumped loop loss meets the picked wave after one round trip, and a
    // damping finger changes that loss while the wave circulates: neither may
    // cut a step into the wave, which the velocity-sensing pickup would turn
    // into a spike far above the note's own peaks.
    // The guitar's own picking and pickup points, open and palm-muted.
    for (bool palmMuted : {false, true}) {
        for (int string : {0, 2, 5}) {
            const demo::Pluck how = demo::stringPluck(string, 0, 0.8, palmMuted);
            const std::vector<double> note = playNote(how, 0.3);
            // Within its first half period the picked corner has passed the
            // pickup both ways, showing the note's full swing.
            const auto half = static_cast<std::size_t>(0.5 * kRate / how.frequency);
            EXPECT_LT(peakOf(note, half, note.size()), 1.2 * peakOf(note, 0, half))
                << "string " << string << (palmMuted ? " palm-muted" : "");
            // The string starts from rest.
            EXPECT_LT(std::abs(note[0]), 0.5 * peakOf(note, 0, half));
        }
    }

    demo::NoiseSource noise(5);
    demo::PluckedString string(kRate);
    demo::Pluck how;
    how.frequency = 82.40689;
    string.pluck(how, noise);
    std::vector<double> before(static_cast<std::size_t>(0.3 * kRate));
    for (double& x : before)
        x = string.process();
    string.damp();
    std::vector<double> after(static_cast<std::size_t>(0.2 * kRate));
    for (double& x : after)
        x = string.process();
    const auto period = static_cast<std::size_t>(kRate / how.frequency);
    EXPECT_LT(peakOf(after, 0, after.size()), 1.1 * peakOf(before, before.size() - period, before.size()));
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
    // The palm also takes the highs at once: in the first 50 ms the muted
    // note's 13th harmonic (near 1 kHz) stands at least 10 dB lower against
    // its fundamental than the open note's.
    auto highAgainstFundamental = [&](const std::vector<double>& x) {
        return 20.0 * std::log10(componentAt(x, 0, early, 13.0 * open.frequency) /
                                 componentAt(x, 0, early, open.frequency));
    };
    EXPECT_LT(highAgainstFundamental(chug), highAgainstFundamental(ringing) - 10.0);

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

// In-place radix-2 FFT of a power-of-two length.
void fft(std::vector<std::complex<double>>& x)
{
    const std::size_t n = x.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(x[i], x[j]);
    }
    for (std::size_t length = 2; length <= n; length <<= 1) {
        const std::complex<double> turn = std::polar(1.0, -2.0 * kPi / static_cast<double>(length));
        for (std::size_t start = 0; start < n; start += length) {
            std::complex<double> w = 1.0;
            for (std::size_t k = 0; k < length / 2; ++k) {
                const std::complex<double> a = x[start + k], b = w * x[start + k + length / 2];
                x[start + k] = a + b;
                x[start + k + length / 2] = a - b;
                w *= turn;
            }
        }
    }
}

// Long-term power spectrum: Hann-windowed 8192-point segments, half overlapping, averaged.
std::vector<double> longTermSpectrum(const std::vector<double>& x)
{
    constexpr std::size_t kSize = 8192;
    std::vector<double> power(kSize / 2 + 1, 0.0);
    std::vector<std::complex<double>> segment(kSize);
    for (std::size_t start = 0; start + kSize <= x.size(); start += kSize / 2) {
        for (std::size_t i = 0; i < kSize; ++i)
            segment[i] = x[start + i] * (0.5 - 0.5 * std::cos(2.0 * kPi * static_cast<double>(i) / kSize));
        fft(segment);
        for (std::size_t k = 0; k < power.size(); ++k)
            power[k] += std::norm(segment[k]);
    }
    return power;
}

double bandPower(const std::vector<double>& spectrum, double low, double high)
{
    const double binHz = kRate / (2.0 * static_cast<double>(spectrum.size() - 1));
    double sum = 0.0;
    for (std::size_t k = 0; k < spectrum.size(); ++k)
        if (static_cast<double>(k) * binHz >= low && static_cast<double>(k) * binHz < high)
            sum += spectrum[k];
    return sum;
}

const std::vector<double>& demoRecording()
{
    static const std::vector<double> recording =
        demo::renderGuitar(demo::demoPerformance(), demo::kDemoSeconds, demo::kDemoSampleRate, demo::kDemoPeak);
    return recording;
}

TEST(DemoRecording, HasTheSpectralBalanceOfAGuitarDirectInput)
{
    // Fundamentals and low harmonics carry the energy; the pickup's presence
    // region stays well below them, and the whole sits where a DI's spectral
    // centroid does (a few hundred Hz to about a kHz).
    const std::vector<double> spectrum = longTermSpectrum(demoRecording());
    const double body = bandPower(spectrum, 80.0, 600.0);
    const double presence = bandPower(spectrum, 2000.0, 4000.0);
    EXPECT_GT(10.0 * std::log10(body / presence), 10.0);
    EXPECT_GT(body, bandPower(spectrum, 600.0, 22050.0));

    const double binHz = kRate / 8192.0;
    double weighted = 0.0, total = 0.0;
    for (std::size_t k = 0; k < spectrum.size(); ++k) {
        weighted += static_cast<double>(k) * binHz * spectrum[k];
        total += spectrum[k];
    }
    const double centroid = weighted / total;
    EXPECT_GT(centroid, 300.0);
    EXPECT_LT(centroid, 1200.0);
}

TEST(DemoRecording, StrumsSpreadOverTheStringsWithUnevenLevels)
{
    // Strokes: sounding events of three or more strings that start within 40 ms.
    const auto events = demo::demoPerformance();
    std::vector<std::vector<demo::NoteEvent>> strokes;
    for (const demo::NoteEvent& e : events) {
        if (e.velocity <= 0.0)
            continue;
        if (strokes.empty() || e.time - strokes.back().front().time > 0.04)
            strokes.emplace_back();
        strokes.back().push_back(e);
    }
    int chords = 0;
    for (const auto& stroke : strokes) {
        if (stroke.size() < 3)
            continue;
        ++chords;
        const double spread = stroke.back().time - stroke.front().time;
        EXPECT_GE(spread, 0.010) << "stroke at " << stroke.front().time;
        EXPECT_LE(spread, 0.030) << "stroke at " << stroke.front().time;
        double loudest = 0.0, softest = 1.0;
        for (const demo::NoteEvent& e : stroke) {
            loudest = std::max(loudest, e.velocity);
            softest = std::min(softest, e.velocity);
        }
        EXPECT_GT(loudest / softest, 1.02) << "stroke at " << stroke.front().time;
        EXPECT_LT(20.0 * std::log10(loudest / softest), 6.0) << "stroke at " << stroke.front().time;
    }
    EXPECT_GE(chords, 10);
}

TEST(DemoRecording, IsDeterministicTenSecondsAtMinusSixDecibels)
{
    const auto events = demo::demoPerformance();
    ASSERT_FALSE(events.empty());
    EXPECT_TRUE(std::is_sorted(events.begin(), events.end(),
                               [](const demo::NoteEvent& a, const demo::NoteEvent& b) { return a.time < b.time; }));
    EXPECT_TRUE(std::any_of(events.begin(), events.end(), [](const demo::NoteEvent& e) { return e.palmMuted; }));

    const std::vector<double>& first = demoRecording();
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
