#include "tools/DemoGuitar.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

namespace demo {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Standard tuning, MIDI note numbers of the open strings, low E first.
constexpr std::array<int, 6> kOpenStrings = {40, 45, 50, 55, 59, 64};

// Fret shapes; -1 = the string is not played.
using Shape = std::array<int, 6>;
constexpr Shape kE = {0, 2, 2, 1, 0, 0};
constexpr Shape kA = {-1, 0, 2, 2, 2, 0};
constexpr Shape kD = {-1, -1, 0, 2, 3, 2};
constexpr Shape kG = {3, 2, 0, 0, 0, 3};
constexpr Shape kE5 = {0, 2, 2, -1, -1, -1};
constexpr Shape kG5 = {3, 5, 5, -1, -1, -1};
constexpr Shape kA5 = {5, 7, 7, -1, -1, -1};

constexpr double kStrumSpacing = 0.011;  // seconds between strings in a strum
constexpr double kBeat = 60.0 / 120.0;   // the performance runs at 120 BPM

// Pickup: a single coil's inductance against the cable capacitance forms a
// resonant lowpass; the coil sits this far from the bridge (fraction of the string).
constexpr double kPickupResonance = 4000.0; // Hz
constexpr double kPickupQ = 2.2;
constexpr double kPickupPosition = 0.11;
constexpr double kHighpassHz = 40.0; // coupling of the input stage
constexpr double kFadeSeconds = 0.25; // fade at the very end of the recording

double noteFrequency(int midiNote)
{
    return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0);
}

// Open strings ring long, higher notes less so.
double decayFor(double frequency)
{
    return std::clamp(4.5 * std::pow(110.0 / frequency, 0.5), 1.5, 7.0);
}

void strum(std::vector<NoteEvent>& events, double time, const Shape& shape, bool down, double velocity,
           bool palmMuted = false)
{
    int order = 0;
    for (int k = 0; k < 6; ++k) {
        const int string = down ? k : 5 - k;
        if (shape[static_cast<std::size_t>(string)] < 0)
            continue;
        // Up strokes are lighter and the last strings of a stroke a little softer.
        const double v = velocity * (down ? 1.0 : 0.8) * (1.0 - 0.04 * order);
        events.push_back({time + kStrumSpacing * order, string, shape[static_cast<std::size_t>(string)], v,
                          palmMuted});
        ++order;
    }
}

// A resonant lowpass biquad (bilinear transform of the analog prototype).
struct Biquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0; // normalised coefficients
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;         // histories

    static Biquad lowpass(double frequency, double q, double rate)
    {
        const double w = 2.0 * kPi * frequency / rate;
        const double alpha = std::sin(w) / (2.0 * q);
        const double a0 = 1.0 + alpha;
        Biquad f;
        f.b0 = (1.0 - std::cos(w)) / 2.0 / a0;
        f.b1 = (1.0 - std::cos(w)) / a0;
        f.b2 = f.b0;
        f.a1 = -2.0 * std::cos(w) / a0;
        f.a2 = (1.0 - alpha) / a0;
        return f;
    }

    double process(double x)
    {
        const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = (y + 1e-20) - 1e-20;
        return y1;
    }
};

} // namespace

std::vector<NoteEvent> demoPerformance()
{
    std::vector<NoteEvent> events;
    const double b = kBeat;

    // Bars 1-2: open chords, down and up strokes.
    double t = 0.05;
    const Shape chords[] = {kE, kA, kD, kA};
    for (int bar = 0; bar < 2; ++bar) {
        for (int half = 0; half < 2; ++half) {
            const Shape& shape = chords[bar * 2 + half];
            const double start = t + (bar * 4 + half * 2) * b;
            strum(events, start, shape, true, 0.9);
            strum(events, start + b, shape, true, 0.75);
            strum(events, start + 1.5 * b, shape, false, 0.7);
        }
    }

    // Bar 3: a single-note line in E minor pentatonic on the upper strings.
    t += 8 * b;
    const struct {
        double beat;
        int string;
        int fret;
    } line[] = {{0.0, 3, 2}, {0.5, 3, 4}, {1.0, 4, 3}, {1.5, 4, 5}, {2.0, 5, 3}, {2.5, 5, 5},
                {3.0, 5, 3}, {3.25, 4, 5}, {3.5, 4, 3}, {4.0, 3, 4}};
    for (const auto& note : line)
        events.push_back({t + note.beat * b, note.string, note.fret, 0.85, false});

    // Bar 4: palm-muted eighths on the low E with open power-chord accents.
    t += 5 * b;
    for (int eighth = 0; eighth < 8; ++eighth) {
        const double at = t + eighth * 0.5 * b;
        if (eighth == 0 || eighth == 3 || eighth == 6)
            strum(events, at, eighth == 0 ? kE5 : eighth == 3 ? kG5 : kA5, true, 0.95);
        else
            events.push_back({at, 0, 0, 0.8, true});
    }

    // Ending: a G chord and a final E chord that rings out.
    t += 4 * b;
    strum(events, t, kG, true, 0.85);
    strum(events, t + b, kE, true, 1.0);

    std::stable_sort(events.begin(), events.end(),
                     [](const NoteEvent& a, const NoteEvent& c) { return a.time < c.time; });
    return events;
}

std::vector<double> renderGuitar(const std::vector<NoteEvent>& events, double seconds, double sampleRate,
                                 double peak)
{
    const auto frames = static_cast<std::size_t>(std::llround(seconds * sampleRate));
    std::vector<double> out(frames, 0.0);
    NoiseSource noise(0x5E1A41u);

    // Each string keeps its ringing note and the notes still fading after a new pluck.
    struct StringState {
        std::unique_ptr<PluckedString> ringing;
        std::vector<std::unique_ptr<PluckedString>> fading;
    };
    std::array<StringState, 6> strings;

    std::size_t next = 0;
    for (std::size_t i = 0; i < frames; ++i) {
        const double now = static_cast<double>(i) / sampleRate;
        while (next < events.size() && events[next].time <= now) {
            const NoteEvent& e = events[next++];
            StringState& s = strings[static_cast<std::size_t>(e.string)];
            if (s.ringing) {
                s.ringing->damp();
                s.fading.push_back(std::move(s.ringing));
            }
            if (e.velocity <= 0.0)
                continue; // a mute: only the damping
            Pluck how;
            how.frequency = noteFrequency(kOpenStrings[static_cast<std::size_t>(e.string)] + e.fret);
            how.velocity = e.velocity * (0.95 + 0.05 * noise.next());
            how.pickPosition = 0.12 + 0.03 * noise.next() + (e.palmMuted ? 0.03 : 0.0);
            how.pickupPosition = kPickupPosition;
            how.decaySeconds = decayFor(how.frequency);
            how.palmMuted = e.palmMuted;
            s.ringing = std::make_unique<PluckedString>(sampleRate);
            s.ringing->pluck(how, noise);
        }

        double sum = 0.0;
        for (StringState& s : strings) {
            if (s.ringing)
                sum += s.ringing->process();
            for (auto& f : s.fading)
                sum += f->process();
            s.fading.erase(std::remove_if(s.fading.begin(), s.fading.end(),
                                          [](const std::unique_ptr<PluckedString>& f) { return f->finished(); }),
                           s.fading.end());
        }
        out[i] = sum;
    }

    // Pickup resonance, input coupling (one-pole highpass) and the end fade.
    Biquad pickup = Biquad::lowpass(kPickupResonance, kPickupQ, sampleRate);
    const double highpassPole = std::exp(-2.0 * kPi * kHighpassHz / sampleRate);
    double previousIn = 0.0, previousOut = 0.0;
    const auto fadeFrames = static_cast<std::size_t>(kFadeSeconds * sampleRate);
    double largest = 0.0;
    for (std::size_t i = 0; i < frames; ++i) {
        const double x = pickup.process(out[i]);
        previousOut = highpassPole * (previousOut + x - previousIn);
        previousOut = (previousOut + 1e-20) - 1e-20;
        previousIn = x;
        double y = previousOut;
        if (i + fadeFrames >= frames && fadeFrames > 0)
            y *= static_cast<double>(frames - i) / static_cast<double>(fadeFrames + 1);
        out[i] = y;
        largest = std::max(largest, std::abs(y));
    }
    if (largest > 0.0)
        for (double& x : out)
            x *= peak / largest;
    return out;
}

} // namespace demo
