#pragma once

// A short, fixed guitar performance played on six plucked strings and heard
// through a single-coil pickup: strummed chords, a single-note line, palm-muted
// chugs with power-chord accents and a final ringing chord. It serves as a dry
// instrument (DI) recording, as a guitar played straight into an audio
// interface gives it, to feed the amplifier simulator with.

#include "tools/PluckedString.h"

#include <vector>

namespace demo {

// One string struck, or silenced, at a given time.
struct NoteEvent {
    double time;      // seconds from the start
    int string;       // 0 = low E .. 5 = high E
    int fret;         // semitones above the open string
    double velocity;  // 0..1; 0 = the string is only damped by a resting finger
    bool palmMuted;   // picked with the hand resting at the bridge
};

// The sequence of the demo: chords are broken into strings struck a few
// milliseconds apart (down strokes low to high, up strokes high to low), each
// stroke spread over 12..28 ms with slightly uneven levels; strings a chord
// leaves out are damped.
std::vector<NoteEvent> demoPerformance();

// How the guitar plays `fret` on `string` with the given velocity: pitch,
// picking and pickup points for the vibrating length, and the string's decay
// times (wound strings lose their highs sooner, low notes sustain longer).
// The renderer varies the picking point and level a little around this.
Pluck stringPluck(int string, int fret, double velocity, bool palmMuted);

// Renders the events to a mono signal of `seconds` at `sampleRate`, its peak
// normalised to `peak` (linear): the strings, a little low body resonance
// excited by each stroke, the pickup's resonance with the cable and the
// interface's input coupling. A string struck again stops its last note.
std::vector<double> renderGuitar(const std::vector<NoteEvent>& events, double seconds, double sampleRate,
                                 double peak);

// The demo DI: the performance above, 44.1 kHz, about ten seconds, peak -6 dBFS.
constexpr double kDemoSampleRate = 44100.0;
constexpr double kDemoSeconds = 10.5;
constexpr double kDemoPeak = 0.5011872336272722; // -6 dBFS

} // namespace demo
