#pragma once

#include <array>
#include <vector>

// The physical model behind the cabinet response bank: five speaker
// cabinets, four microphones, and the placement of the microphone (axis,
// radial position over the cone, distance from the grille).
//
// A response is built from three parts:
//  - the direct sound, described by its magnitude curve (speaker in its box ×
//    placement × microphone) and made minimum phase;
//  - discrete reflections (floor, baffle edges, the second cone of a 2 x 12),
//    delayed and low-passed copies of the direct sound;
//  - a short, dark room decay.
// Every quantity varies smoothly with the radial position and the distance,
// so that the six placements of one cabinet/microphone/axis stay coherent.
// The whole chain is wired in phase: a forward push of the cone gives a
// positive pressure and every microphone turns positive pressure into a
// positive voltage, so every response starts with a positive main lobe.

// A resonance or dip of the magnitude curve: an analog peaking filter.
struct Peak {
    double hz;     // centre frequency
    double gainDb; // gain at the centre (negative for a dip)
    double q;      // quality factor
};

// One speaker in its cabinet.
struct SpeakerCabinet {
    const char* name;            // menu text
    int cones;                   // number of speakers facing the microphone side by side (1 or 2)
    double coneRadius;           // effective piston radius of one cone, m
    bool openBack;               // true: the rear wave leaks round the cabinet
    double lowHz;                // box resonance (closed back) or driver resonance (open back), Hz
    double lowQ;                 // quality factor of that resonance
    double rearPath;             // open back: extra path of the rear wave to the front, m
    double topHz;                // corner of the cone's second-order roll-off, Hz
    double topQ;                 // its quality factor
    double steepHz;              // corner of the further second-order fall above the break-up, Hz
    double grilleDb;             // grille cloth: first-order loss above 3.5 kHz, dB (0: acoustically open)
    Peak rise;                   // broad rise of the cone towards its upper mids (Q about 0.5)
    std::array<Peak, 4> voicing; // the cone's character on top of it: body, mid hump or scoop, upper mids
    std::array<Peak, 4> breakup; // cone break-up peaks and dips, 2–6 kHz (at the dust cap)
    Peak dustCap;                // dust-cap resonance, heard only near the centre
    std::array<Peak, 2> topDips; // moderate break-up dips above the usable range
    double height;               // speaker centre above the floor, m
    double baffleEdge;           // mean distance from the cone centre to the baffle edges, m
    double coneSpacing;          // 2 x 12: centre-to-centre distance of the cones, m
};

// One microphone.
struct Microphone {
    const char* name;   // menu text
    double omni;        // pattern: omni share A of A + (1 − A)·cos θ (0.5 cardioid, 0 figure-8)
    double lowCutHz;    // corner of the second-order low cut, Hz
    double lowCutQ;     // its quality factor
    Peak presence;      // presence peak or high lift
    Peak top;           // the shape of its top octave (a dip, a lift or a gentle fall)
    double highCutHz;   // corner of the second-order high roll-off, Hz
    double highCutQ;    // its quality factor
    double offAxisHz;   // corner of the microphone's own high loss at 45°, Hz
    double offAxisDb;   // level of that loss at high frequencies, dB
    double roomDb;      // how much more room it hears than a cardioid, dB
};

// Where a response is taken.
struct Placement {
    int cabinet;    // 1..5
    int microphone; // 1..4
    int axis;       // 1 = on-axis, 2 = angled 45°
    double radial;  // 0 = dust-cap centre .. 1 = cone edge
    int distance;   // 0 = on the grille, 1 = at a distance
};

// A delayed, low-passed copy of the direct sound.
struct Reflection {
    double delay;     // s, relative to the direct sound
    double gain;      // amplitude relative to the direct sound (sign = polarity)
    double lowpassHz; // corner of its second-order low-pass, Hz
};

// The diffuse room decay that follows the direct sound.
struct RoomDecay {
    double levelDb;   // energy of the decay relative to the direct sound, dB
    double predelay;  // s, arrival of the first room sound
    double rt60;      // s, time to decay by 60 dB
    double dampingHz; // corner of the one-pole low-pass that darkens it, Hz
};

constexpr double kSpeedOfSound = 343.0;  // m/s
constexpr double kGrilleDistance = 0.02; // m, distance 0: the microphone on the grille cloth
constexpr double kFarDistance = 0.5;     // m, distance 1

const SpeakerCabinet& cabinetData(int cabinet);
const Microphone& microphoneData(int microphone);

// Magnitude of the direct sound at a frequency (arbitrary overall scale).
double directMagnitude(const Placement& placement, double hz);

// The discrete reflections heard at a placement.
std::vector<Reflection> reflections(const Placement& placement);

// The room decay heard at a placement.
RoomDecay roomDecay(const Placement& placement);
