#include "tools/bankgen/CabinetModel.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <stdexcept>

namespace {

using Complex = std::complex<double>;

// Cabinets in menu order, each voiced after the speaker type it stands for.
// Closed backs put a box resonance of 108–140 Hz (Qtc 1.8–1.9, a 5–6 dB
// bump) on a 12 dB/octave low cut; open backs keep the driver's own, looser
// resonance and lose bass to the rear wave. A cone's voice lies in its
// break-up region: peaks and dips of ±4–7 dB, Q 3–5, between 1 and 4.5 kHz,
// at centre frequencies of its own, so that no two speakers peak alike.
// Above it the response falls steeply, the 8-inch cone first.
constexpr std::array<SpeakerCabinet, 5> kCabinets = {{
    // Closed 2 x 12, British-voiced: a firm box bump near 110 Hz, thick low
    // mids on top of it, a dip in the lower mids and an upper-mid bark near 2 kHz.
    {"Black Tolex (2 x 12)", 2, 0.13, false, 108.0, 1.9, 0.0, 5600.0, 0.75, 9000.0, 0.0,
     {2500.0, 5.0, 0.5},
     {{{190.0, 5.0, 0.9}, {750.0, -3.5, 1.0}, {2000.0, 3.0, 1.2}, {400.0, 2.5, 1.5}}},
     {{{1250.0, 4.0, 4.0}, {2050.0, 6.0, 3.0}, {2900.0, -6.0, 4.0}, {3700.0, 5.0, 3.0}}},
     {5300.0, 2.5, 3.0},
     {{{6600.0, -5.0, 4.0}, {8600.0, -4.0, 3.5}}},
     0.33, 0.20, 0.33},
    // Open-back 1 x 12 combo, American-voiced: no box bump, a loose low end
    // thinned by the rear wave, deeply scooped mids and an open, glassy top
    // around 3 kHz; the widest top of the 12-inch cones.
    {"Red Tolex (1 x 12)", 1, 0.13, true, 80.0, 0.9, 0.5, 6400.0, 0.8, 10000.0, 0.0,
     {3000.0, 6.0, 0.5},
     {{{170.0, -2.0, 1.0}, {500.0, -6.0, 0.6}, {1100.0, -1.0, 1.5}, {3200.0, 3.0, 1.0}}},
     {{{1500.0, 4.0, 4.0}, {2000.0, -5.0, 4.0}, {2800.0, 5.0, 3.0}, {4200.0, -3.5, 4.0}}},
     {5800.0, 3.0, 3.0},
     {{{7300.0, -4.0, 4.0}, {9400.0, -3.5, 3.5}}},
     0.40, 0.22, 0.0},
    // Open-back 1 x 10, tweed-voiced: a light low end rolling off early, a
    // strong honk near 850 Hz and bright, forward upper mids.
    {"Blonde Vintage (1 x 10)", 1, 0.105, true, 130.0, 1.2, 0.36, 6800.0, 0.85, 10500.0, 0.0,
     {3000.0, 6.0, 0.5},
     {{{220.0, -3.0, 1.0}, {850.0, 8.0, 1.1}, {1700.0, -3.0, 1.5}, {2600.0, 4.0, 1.2}}},
     {{{1400.0, -4.0, 4.0}, {2100.0, 5.0, 4.0}, {2800.0, -4.0, 4.0}, {3500.0, 6.0, 3.0}}},
     {6000.0, 3.0, 3.0},
     {{{7800.0, -4.0, 4.0}, {10000.0, -3.0, 3.5}}},
     0.30, 0.18, 0.0},
    // Closed 1 x 10 with a heavy cone in a small box: a strong punch near
    // 140 Hz, lean low mids, forward mids around 1.2 kHz and the darkest top.
    {"Iron Grill (1 x 10)", 1, 0.105, false, 140.0, 1.8, 0.0, 5200.0, 0.9, 8000.0, 0.0,
     {2300.0, 5.0, 0.5},
     {{{150.0, 4.0, 1.0}, {380.0, -6.0, 0.9}, {1200.0, 5.0, 1.0}, {2700.0, -3.0, 1.5}}},
     {{{1700.0, 6.0, 3.0}, {2200.0, -5.0, 4.0}, {3000.0, 4.0, 3.0}, {3600.0, -6.0, 4.0}}},
     {4700.0, 2.0, 3.0},
     {{{6700.0, -4.0, 4.0}, {9200.0, -3.5, 3.5}}},
     0.25, 0.12, 0.0},
    // Open-back 1 x 8 with a cloth grille: little bass, thin and boxy low
    // mids, a nasal, peaky 1.5–3 kHz and the earliest top roll-off.
    {"Cloth Grill (1 x 8)", 1, 0.082, true, 175.0, 1.1, 0.28, 5300.0, 0.85, 10000.0, -1.0,
     {2600.0, 6.0, 0.5},
     {{{260.0, -5.0, 0.8}, {650.0, -4.0, 1.2}, {1600.0, 6.0, 1.4}, {4200.0, -2.0, 1.2}}},
     {{{1900.0, 6.0, 5.0}, {2450.0, -5.0, 5.0}, {3000.0, 7.0, 4.0}, {3700.0, -5.0, 4.0}}},
     {5400.0, 2.5, 3.0},
     {{{6500.0, -3.5, 4.0}, {9800.0, -3.0, 3.5}}},
     0.22, 0.12, 0.0},
}};

// Microphones in menu order.
constexpr std::array<Microphone, 4> kMicrophones = {{
    // Cardioid dynamic: low cut for close use, flat mids, a presence rise of
    // about 5 dB at 3–6 kHz, a small dip near 8.5 kHz and a roll-off above 12 kHz.
    {"Dynamic 57", 0.5, 100.0, 0.6, {5200.0, 5.5, 0.9}, {8500.0, -2.0, 3.0}, 13000.0, 0.8, 3500.0, -5.0, 0.0},
    // Supercardioid dynamic: fuller lows, a broad, gentle presence lift and a
    // smooth, flatter top.
    {"Dynamic 441", 0.37, 45.0, 0.7, {4000.0, 1.5, 0.7}, {11000.0, -1.0, 1.0}, 15000.0, 0.6, 4000.0, -3.5, -1.0},
    // Large-diaphragm condenser: flat, a small lift near 11 kHz, the widest
    // top, more room.
    {"Condenser 1", 0.5, 25.0, 0.7, {11000.0, 3.0, 0.9}, {4000.0, 0.5, 1.0}, 21000.0, 0.8, 6500.0, -4.0, 3.0},
    // Figure-8 ribbon: warm (a shallow dip above 5 kHz), falling gently above
    // 8–10 kHz, open rather than muffled; its own low roll-off near 110 Hz
    // tames the strongest proximity bass of the four; its rear lobe hears the room.
    {"Ribbon 1", 0.0, 110.0, 0.6, {7000.0, -2.0, 0.7}, {16000.0, -1.0, 1.0}, 12000.0, 0.55, 5000.0, -2.0, 3.0},
}};

// How strongly the radial position shapes the sound on the grille and at a
// distance (from afar the whole cone is heard, so moving across it matters less).
constexpr std::array<double, 2> kRadialInfluence = {1.0, 0.4};
// Treble lost from the dust cap to the cone edge (first-order shelf), dB, its
// corner for a 12-inch cone (scaled with the cone size), Hz, and the extra
// low-mid weight at the edge, dB.
constexpr double kEdgeShelfDb = -13.0;
constexpr double kEdgeShelfHz = 1900.0;
constexpr double kEdgeLowMidDb = 0.0;
// Share of the break-up peaks that the cone edge still carries.
constexpr double kEdgeBreakupLoss = 0.4;
// How far the cone edge lies from the centre, as a share of the cone radius.
constexpr double kEdgeRadius = 0.8;
// The angle of the sound path to the cone's axis that an angled microphone
// effectively hears on the grille (a close microphone sees a milder angle than it is turned by).
constexpr double kOffAxisAngle = 15.0 * std::numbers::pi / 180.0;
// Rigid-piston directivity: the −3 dB point lies near k·a·sin θ = 1.6.
constexpr double kPistonCorner = 1.6;
// At a distance the microphone hears the whole cone, much of it at an angle:
// a gentle treble loss, dB above its corner, Hz.
constexpr double kDistanceSofteningDb = -3.0;
constexpr double kDistanceSofteningHz = 4000.0;

constexpr double kFloorReflectance = 0.4; // floor: a carpeted stage, not a mirror
constexpr double kEdgeDiffraction = -0.15; // baffle-edge diffraction, inverted
constexpr double kEdgeDiffractionHz = 1000.0;
constexpr double kSecondConeMatch = 0.6;   // the second speaker of a pair is no exact twin, and beams away
constexpr double kRearWaveHz = 450.0;      // the rear wave bends round the box: only its lows reach the front
constexpr double kGrilleClothHz = 3500.0;  // corner of the grille-cloth loss

constexpr std::array<double, 2> kRoomLevelDb = {-38.0, -15.0}; // room energy on the grille and at a distance
constexpr double kOpenBackRoomDb = 3.0; // an open back radiates into the room behind it too
constexpr double kRoomPredelay = 0.0025;
constexpr double kRoomRt60 = 0.16;
constexpr double kRoomDampingHz = 4000.0;

double distanceMetres(int distance)
{
    return distance == 0 ? kGrilleDistance : kFarDistance;
}

// Analog prototypes evaluated on the jω axis, x = f / f0.
Complex lowpass2(double hz, double cornerHz, double q)
{
    const double x = hz / cornerHz;
    return 1.0 / Complex(1.0 - x * x, x / q);
}

Complex highpass2(double hz, double cornerHz, double q)
{
    const double x = hz / cornerHz;
    return -x * x / Complex(1.0 - x * x, x / q);
}

Complex peaking(double hz, const Peak& peak)
{
    const double a = std::pow(10.0, peak.gainDb / 40.0);
    const double x = hz / peak.hz;
    return Complex(1.0 - x * x, x * a / peak.q) / Complex(1.0 - x * x, x / (a * peak.q));
}

// First-order shelf: 1 well below the corner, 10^(dB/20) well above it.
Complex highShelf(double hz, double cornerHz, double gainDb)
{
    const double g = std::pow(10.0, gainDb / 20.0);
    const double x = hz / cornerHz;
    const double root = std::sqrt(g);
    return Complex(1.0, x * root) / Complex(1.0, x / root);
}

// Response of the pattern A + (1 − A)·cos θ to sound from angle θ.
double patternGain(const Microphone& mic, double angle)
{
    return std::abs(mic.omni + (1.0 - mic.omni) * std::cos(angle));
}

// Corner of a cone's piston directivity for sound leaving at angle θ.
double pistonCornerHz(double coneRadius, double angle)
{
    const double s = std::max(std::sin(angle), 0.05);
    return std::min(kPistonCorner * kSpeedOfSound / (2.0 * std::numbers::pi * coneRadius * s), 20000.0);
}

} // namespace

const SpeakerCabinet& cabinetData(int cabinet)
{
    if (cabinet < 1 || cabinet > static_cast<int>(kCabinets.size()))
        throw std::out_of_range("cabinet number");
    return kCabinets[cabinet - 1];
}

const Microphone& microphoneData(int microphone)
{
    if (microphone < 1 || microphone > static_cast<int>(kMicrophones.size()))
        throw std::out_of_range("microphone number");
    return kMicrophones[microphone - 1];
}

double directMagnitude(const Placement& p, double hz)
{
    const SpeakerCabinet& cab = cabinetData(p.cabinet);
    const Microphone& mic = microphoneData(p.microphone);
    const double d = distanceMetres(p.distance);
    const double radial = p.radial * kRadialInfluence[p.distance];
    const double omega = 2.0 * std::numbers::pi * hz;
    const double k = omega / kSpeedOfSound;
    // A cone is no point source: near the grille it acts like one about a
    // cone radius further back.
    const double effective = d + cab.coneRadius;

    Complex h = 1.0;

    // Speaker in its box.
    h *= highpass2(hz, cab.lowHz, cab.lowQ);
    if (cab.openBack) {
        const double g = effective / (effective + cab.rearPath);
        const double pattern = mic.omni + (1.0 - mic.omni) * 0.5; // the rear wave arrives from the sides
        const Complex rear = g * pattern / Complex(1.0, hz / kRearWaveHz)
                             * std::exp(Complex(0.0, -omega * cab.rearPath / kSpeedOfSound));
        h *= 1.0 - rear;
    }
    h *= peaking(hz, cab.rise);
    for (const Peak& peak : cab.voicing)
        h *= peaking(hz, peak);
    for (const Peak& peak : cab.breakup)
        h *= peaking(hz, {peak.hz, peak.gainDb * (1.0 - kEdgeBreakupLoss * radial), peak.q});
    h *= peaking(hz, {cab.dustCap.hz, cab.dustCap.gainDb * (1.0 - radial), cab.dustCap.q});
    for (const Peak& dip : cab.topDips)
        h *= peaking(hz, dip);
    h *= lowpass2(hz, cab.topHz, cab.topQ) * lowpass2(hz, cab.steepHz, 0.6);
    if (cab.grilleDb != 0.0)
        h *= highShelf(hz, kGrilleClothHz, cab.grilleDb);

    // Radial position: the cone edge is darker and carries more low mids.
    const double coneScale = std::sqrt(0.13 / cab.coneRadius);
    h *= highShelf(hz, kEdgeShelfHz * coneScale, kEdgeShelfDb * radial);
    h *= peaking(hz, {250.0, kEdgeLowMidDb * radial, 0.8});

    // Distance: the microphone hears more of the cone at an angle.
    if (p.distance == 1)
        h *= highShelf(hz, kDistanceSofteningHz, kDistanceSofteningDb);

    // Axis: angled, the microphone hears the cone slightly off its axis and
    // loses highs on its own as well.
    if (p.axis == 2) {
        const double corner = pistonCornerHz(cab.coneRadius, kOffAxisAngle);
        h *= std::pow(1.0 + (hz / corner) * (hz / corner), -0.5);
        h *= highShelf(hz, mic.offAxisHz, mic.offAxisDb);
    }

    // Microphone: proximity effect of the pressure-gradient share, then its own response.
    if (hz > 0.0)
        h *= 1.0 + (1.0 - mic.omni) / Complex(0.0, k * effective);
    h *= highpass2(hz, mic.lowCutHz, mic.lowCutQ);
    h *= peaking(hz, mic.presence);
    h *= peaking(hz, mic.top);
    h *= lowpass2(hz, mic.highCutHz, mic.highCutQ);

    return std::abs(h);
}

std::vector<Reflection> reflections(const Placement& p)
{
    const SpeakerCabinet& cab = cabinetData(p.cabinet);
    const Microphone& mic = microphoneData(p.microphone);
    const double d = distanceMetres(p.distance);
    const double effective = d + cab.coneRadius;
    std::vector<Reflection> list;

    // Floor: the image source lies 2·height below the speaker.
    {
        const double path = std::hypot(d, 2.0 * cab.height);
        const double angle = std::atan2(2.0 * cab.height, d);
        list.push_back({(path - d) / kSpeedOfSound,
                        kFloorReflectance * effective / (path + cab.coneRadius) * patternGain(mic, angle),
                        pistonCornerHz(cab.coneRadius, angle)});
    }
    // Baffle edges: the wave diffracted at the edges returns inverted.
    {
        const double path = cab.baffleEdge + std::hypot(cab.baffleEdge, d);
        const double angle = std::atan2(cab.baffleEdge, d);
        list.push_back({(path - d) / kSpeedOfSound,
                        kEdgeDiffraction * effective / (path + cab.coneRadius) * patternGain(mic, angle),
                        kEdgeDiffractionHz});
    }
    // Second cone of a 2 x 12: the microphone moves towards it as it moves to the edge.
    if (cab.cones == 2) {
        const double lateral = cab.coneSpacing - kEdgeRadius * cab.coneRadius * p.radial;
        const double path = std::hypot(lateral, d);
        const double angle = std::atan2(lateral, d);
        list.push_back({(path - d) / kSpeedOfSound,
                        kSecondConeMatch * effective / (path + cab.coneRadius) * patternGain(mic, angle),
                        pistonCornerHz(cab.coneRadius, angle)});
    }
    return list;
}

RoomDecay roomDecay(const Placement& p)
{
    const SpeakerCabinet& cab = cabinetData(p.cabinet);
    const Microphone& mic = microphoneData(p.microphone);
    double level = kRoomLevelDb[p.distance] + mic.roomDb;
    if (cab.openBack)
        level += kOpenBackRoomDb;
    return {level, kRoomPredelay, kRoomRt60, kRoomDampingHz};
}
