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
constexpr int kWoundStrings = 3; // E, A and D are wound, G, B and E plain

// Fret shapes; -1 = the string is not played.
using Shape = std::array<int, 6>;
constexpr Shape kE = {0, 2, 2, 1, 0, 0};
constexpr Shape kA = {-1, 0, 2, 2, 2, 0};
constexpr Shape kD = {-1, -1, 0, 2, 3, 2};
constexpr Shape kG = {3, 2, 0, 0, 0, 3};
constexpr Shape kE5 = {0, 2, 2, -1, -1, -1};
constexpr Shape kG5 = {3, 5, 5, -1, -1, -1};
constexpr Shape kA5 = {5, 7, 7, -1, -1, -1};

constexpr double kBeat = 60.0 / 120.0; // the performance runs at 120 BPM

// A stroke across the strings takes this long from its first to its last
// string; up strokes are quicker and lighter.
constexpr double kDownStrokeSpread[2] = {0.018, 0.028}; // s, range
constexpr double kUpStrokeSpread[2] = {0.012, 0.018};   // s, range
constexpr double kStrokeJitter = 0.0008;                // s, timing scatter of each string within a stroke
constexpr double kStringLevelScatter = 0.12;            // relative level scatter of the strings of a stroke

// The instrument, lengths in metres from the bridge.
constexpr double kScaleLength = 0.648;          // nut to bridge
constexpr double kPickupDistance = 0.10;       // middle single coil
constexpr double kPickDistance = 0.095;        // strumming hand, over the middle pickup
constexpr double kPickScatter = 0.012;         // the hand never strikes the same point twice
constexpr double kPalmMutePickDistance = 0.06; // the hand rests on the bridge
constexpr double kPickWidth = 0.008;           // the pick's edge and the string's bend around it

// Decay times of a let-ringing note: the low E rings longest, higher notes
// less; wound strings lose their highs sooner than plain ones.
constexpr double kLowEDecay = 5.5;         // s, 60 dB at the fundamental of the open low E
constexpr double kDecayExponent = 0.55;    // decay falls as (f / low E)^-exponent
constexpr double kMinimumDecay = 1.2;      // s
constexpr double kWoundTrebleDecay = 0.8;  // s, 60 dB at the treble reference
constexpr double kPlainTrebleDecay = 1.5;  // s

// Pickup: the single coil's inductance against the cable capacitance forms a
// resonant lowpass, a few dB of presence before a 12 dB/octave fall.
constexpr double kPickupResonance = 4000.0; // Hz
constexpr double kPickupQ = 1.7;
constexpr double kHighpassHz = 20.0;        // AC coupling of the interface input
constexpr double kFadeSeconds = 0.25;       // fade at the very end of the recording

// A stroke also shakes the neck and body a little; the pickup, fixed to the
// body, hears a faint low thump. Levels are relative to the stroke's velocity.
struct BodyMode {
    double frequency; // Hz
    double decay;     // s, 60 dB
    double level;     // peak of the mode for a full-velocity stroke
};
constexpr std::array<BodyMode, 2> kBodyModes = {{{98.0, 0.20, 0.15}, {185.0, 0.14, 0.10}}};

constexpr std::uint64_t kPerformanceSeed = 0x57A0u; // humanising of the performance
constexpr std::uint64_t kRenderSeed = 0x5E1A41u;     // pick points, levels and pick irregularity

double noteFrequency(int midiNote)
{
    return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0);
}

// Uniform between two limits.
double between(NoiseSource& noise, const double (&range)[2])
{
    return range[0] + (range[1] - range[0]) * 0.5 * (noise.next() + 1.0);
}

void strum(std::vector<NoteEvent>& events, NoiseSource& noise, double time, const Shape& shape, bool down,
           double velocity, bool palmMuted = false)
{
    const int count = static_cast<int>(std::count_if(shape.begin(), shape.end(), [](int f) { return f >= 0; }));
    const double spread = between(noise, down ? kDownStrokeSpread : kUpStrokeSpread);
    int order = 0;
    for (int k = 0; k < 6; ++k) {
        const int string = down ? k : 5 - k;
        const int fret = shape[static_cast<std::size_t>(string)];
        if (fret < 0) {
            // The fretting hand keeps the strings a chord leaves out quiet.
            events.push_back({time, string, 0, 0.0, false});
            continue;
        }
        // Up strokes are lighter and the last strings of a stroke a little softer.
        const double v = velocity * (down ? 1.0 : 0.8) * (1.0 - 0.04 * order) *
                         (1.0 + kStringLevelScatter * noise.next());
        const double step = count > 1 ? spread * order / (count - 1) : 0.0;
        const double jitter = order == 0 ? 0.0 : kStrokeJitter * noise.next();
        events.push_back({time + step + jitter, string, fret, std::min(v, 1.0), palmMuted});
        ++order;
    }
}

// A second-order filter (bilinear transform of the analog prototype).
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

// One body mode: a decaying sine started by each stroke (a two-pole resonator
// whose impulse response is level * r^n * sin((n + 1) w)).
struct BodyResonator {
    double c1 = 0, c2 = 0;    // feedback coefficients 2 r cos w and -r^2
    double input = 0;         // impulse height for a level of 1
    double y1 = 0, y2 = 0;    // histories

    BodyResonator(const BodyMode& mode, double rate)
    {
        const double w = 2.0 * kPi * mode.frequency / rate;
        const double r = std::pow(10.0, -3.0 / (mode.decay * rate));
        c1 = 2.0 * r * std::cos(w);
        c2 = -r * r;
        input = std::sin(w);
    }

    double process(double strike)
    {
        const double y = c1 * y1 + c2 * y2 + input * strike;
        y2 = y1;
        y1 = (y + 1e-20) - 1e-20;
        return y1;
    }
};

} // namespace

std::vector<NoteEvent> demoPerformance()
{
    std::vector<NoteEvent> events;
    NoiseSource noise(kPerformanceSeed);
    const double b = kBeat;

    // Bars 1-2: open chords, down and up strokes.
    double t = 0.05;
    const Shape chords[] = {kE, kA, kD, kA};
    for (int bar = 0; bar < 2; ++bar) {
        for (int half = 0; half < 2; ++half) {
            const Shape& shape = chords[bar * 2 + half];
            const double start = t + (bar * 4 + half * 2) * b;
            strum(events, noise, start, shape, true, 0.9);
            strum(events, noise, start + b, shape, true, 0.75);
            strum(events, noise, start + 1.5 * b, shape, false, 0.7);
        }
    }

    // Bar 3: a single-note line in E minor pentatonic on the upper strings.
    // Moving to another string lifts the finger off the last note just after
    // the new one sounds.
    t += 8 * b;
    const struct {
        double beat;
        int string;
        int fret;
    } line[] = {{0.0, 3, 2}, {0.5, 3, 4}, {1.0, 4, 3}, {1.5, 4, 5}, {2.0, 5, 3}, {2.5, 5, 5},
                {3.0, 5, 3}, {3.25, 4, 5}, {3.5, 4, 3}, {4.0, 3, 4}};
    int previousString = -1;
    for (const auto& note : line) {
        const double at = t + note.beat * b;
        events.push_back({at, note.string, note.fret, 0.85 * (1.0 + 0.08 * noise.next()), false});
        if (previousString >= 0 && previousString != note.string)
            events.push_back({at + 0.03, previousString, 0, 0.0, false});
        previousString = note.string;
    }

    // Bar 4: palm-muted eighths on the low E with open power-chord accents.
    // The palm lies across all strings, so a chug also stops the accent.
    t += 5 * b;
    for (int eighth = 0; eighth < 8; ++eighth) {
        const double at = t + eighth * 0.5 * b;
        if (eighth == 0 || eighth == 3 || eighth == 6) {
            strum(events, noise, at, eighth == 0 ? kE5 : eighth == 3 ? kG5 : kA5, true, 0.95);
            continue;
        }
        for (int string = 1; string < 6; ++string)
            events.push_back({at, string, 0, 0.0, false});
        events.push_back({at, 0, 0, 0.8 * (1.0 + 0.08 * noise.next()), true});
    }

    // Ending: a G chord and a final E chord that rings out.
    t += 4 * b;
    strum(events, noise, t, kG, true, 0.85);
    strum(events, noise, t + b, kE, true, 1.0);

    std::stable_sort(events.begin(), events.end(),
                     [](const NoteEvent& a, const NoteEvent& c) { return a.time < c.time; });
    return events;
}

Pluck stringPluck(int string, int fret, double velocity, bool palmMuted)
{
    const auto s = static_cast<std::size_t>(std::clamp(string, 0, 5));
    const double length = kScaleLength * std::pow(2.0, -fret / 12.0); // the fret shortens the vibrating part
    Pluck how;
    how.frequency = noteFrequency(kOpenStrings[s] + fret);
    how.velocity = velocity;
    how.pickPosition = (palmMuted ? kPalmMutePickDistance : kPickDistance) / length;
    how.pickWidth = kPickWidth / length;
    how.pickupPosition = kPickupDistance / length;
    const double lowE = noteFrequency(kOpenStrings[0]);
    how.decaySeconds = std::max(kMinimumDecay, kLowEDecay * std::pow(how.frequency / lowE, -kDecayExponent));
    how.trebleDecaySeconds = static_cast<int>(s) < kWoundStrings ? kWoundTrebleDecay : kPlainTrebleDecay;
    how.palmMuted = palmMuted;
    return how;
}

std::vector<double> renderGuitar(const std::vector<NoteEvent>& events, double seconds, double sampleRate,
                                 double peak)
{
    const auto frames = static_cast<std::size_t>(std::llround(seconds * sampleRate));
    std::vector<double> out(frames, 0.0);
    NoiseSource noise(kRenderSeed);

    // Each string keeps its ringing note and the notes still fading after a new pluck.
    struct StringState {
        std::unique_ptr<PluckedString> ringing;
        std::vector<std::unique_ptr<PluckedString>> fading;
    };
    std::array<StringState, 6> strings;
    std::vector<BodyResonator> body;
    for (const BodyMode& mode : kBodyModes)
        body.emplace_back(mode, sampleRate);

    std::size_t next = 0;
    for (std::size_t i = 0; i < frames; ++i) {
        const double now = static_cast<double>(i) / sampleRate;
        double strike = 0.0;
        while (next < events.size() && events[next].time <= now) {
            const NoteEvent& e = events[next++];
            StringState& s = strings[static_cast<std::size_t>(std::clamp(e.string, 0, 5))];
            if (s.ringing) {
                s.ringing->damp();
                s.fading.push_back(std::move(s.ringing));
            }
            if (e.velocity <= 0.0)
                continue; // a mute: only the damping
            Pluck how = stringPluck(e.string, e.fret, e.velocity * (1.0 + 0.04 * noise.next()), e.palmMuted);
            const double length = kScaleLength * std::pow(2.0, -e.fret / 12.0);
            how.pickPosition += kPickScatter * noise.next() / length;
            s.ringing = std::make_unique<PluckedString>(sampleRate);
            s.ringing->pluck(how, noise);
            strike = std::max(strike, how.velocity);
        }

        double sum = 0.0;
        for (std::size_t m = 0; m < body.size(); ++m)
            sum += kBodyModes[m].level * body[m].process(strike);
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
