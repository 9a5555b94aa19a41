#pragma once

// A short, fixed guitar performance played on six plucked strings and heard
// through a single-coil pickup: strummed chords, a single-note line, palm-muted
// chugs with power-chord accents and a final ringing chord. It serves as a dry
// instrument (DI) recording to feed the amplifier simulator with.

#include "tools/PluckedString.h"

#include <vector>

namespace demo {

// One string struck at a given time.
struct NoteEvent {
    double time;      // seconds from the start
    int string;       // 0 = low E .. 5 = high E
    int fret;         // semitones above the open string
    double velocity;  // 0..1
    bool palmMuted;   // picked with the hand resting at the bridge
};

// The sequence of the demo: chords are broken into strings struck a few
// milliseconds apart, down strokes low to high and up strokes high to low.
std::vector<NoteEvent> demoPerformance();

// Renders the events to a mono signal of `seconds` at `sampleRate`, its peak
// normalised to `peak` (linear). A string struck again stops its last note.
std::vector<double> renderGuitar(const std::vector<NoteEvent>& events, double seconds, double sampleRate,
                                 double peak);

// The demo DI: the performance above, 44.1 kHz, about ten seconds, peak -6 dBFS.
constexpr double kDemoSampleRate = 44100.0;
constexpr double kDemoSeconds = 10.5;
constexpr double kDemoPeak = 0.5011872336272722; // -6 dBFS

} // namespace demo
