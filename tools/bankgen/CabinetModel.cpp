#include "tools/bankgen/CabinetModel.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <stdexcept>

namespace {

using Complex = std::complex<double>;

// Cabinets in menu order. Closed backs have a box resonance of 105–135 Hz
// (Qtc 1.3–1.5); open backs keep the driver's own resonance (Qts about 1) and
// lose bass to the rear wave. 12-inch cones roll off from about 5 kHz, smaller
// cones a little higher.
constexpr std::array<SpeakerCabinet, 5> kCabinets = {{
    {"Black Tolex (2 x 12)", 2, 0.13, false, 105.0, 1.1, 0.0, 5500.0, 10000.0,
     {2500.0, 8.0, 0.5},
     {{{1250.0, 3.0, 3.0}, {1900.0, -3.0, 4.0}, {2600.0, 5.0, 4.0}, {3500.0, 4.0, 5.0}, {4300.0, -4.0, 4.0}}},
     {4200.0, 3.0, 3.0},
     {{{5600.0, -12.0, 5.0}, {7800.0, -15.0, 5.0}}},
     0.33, 0.20, 0.33, +1},
    {"Red Tolex (1 x 12)", 1, 0.13, true, 82.0, 1.0, 0.45, 5600.0, 10000.0,
     {2600.0, 8.0, 0.5},
     {{{1100.0, 4.0, 3.0}, {1700.0, -2.0, 4.0}, {2400.0, 4.0, 3.5}, {3200.0, 6.0, 5.0}, {4100.0, -5.0, 4.0}}},
     {4500.0, 3.0, 3.0},
     {{{6200.0, -12.0, 5.0}, {8600.0, -14.0, 5.0}}},
     0.40, 0.22, 0.0, +1},
    {"Blonde Vintage (1 x 10)", 1, 0.105, true, 115.0, 1.1, 0.38, 6000.0, 10500.0,
     {2800.0, 8.0, 0.55},
     {{{1400.0, 4.0, 3.0}, {2100.0, -3.0, 4.0}, {2900.0, 6.0, 4.0}, {3800.0, 4.0, 5.0}, {4600.0, -4.0, 4.0}}},
     {5000.0, 3.0, 3.0},
     {{{6500.0, -12.0, 5.0}, {9000.0, -14.0, 5.0}}},
     0.30, 0.18, 0.0, -1},
    {"Iron Grill (1 x 10)", 1, 0.105, false, 130.0, 1.2, 0.0, 5200.0, 9500.0,
     {2200.0, 8.0, 0.6},
     {{{1200.0, 5.0, 2.5}, {1800.0, -2.0, 4.0}, {2500.0, 4.0, 3.0}, {3400.0, 5.0, 5.0}, {4400.0, -5.0, 4.0}}},
     {4600.0, 2.0, 3.0},
     {{{5800.0, -13.0, 5.0}, {8000.0, -15.0, 5.0}}},
     0.25, 0.12, 0.0, +1},
    {"Cloth Grill (1 x 8)", 1, 0.082, true, 145.0, 1.0, 0.30, 6200.0, 11000.0,
     {3000.0, 7.0, 0.55},
     {{{1600.0, 4.0, 3.0}, {2400.0, -3.0, 4.0}, {3300.0, 5.0, 4.0}, {4300.0, 4.0, 5.0}, {5000.0, -4.0, 4.0}}},
     {5200.0, 3.0, 3.0},
     {{{6800.0, -12.0, 5.0}, {9400.0, -14.0, 5.0}}},
     0.22, 0.12, 0.0, -1},
}};

// Microphones in menu order.
constexpr std::array<Microphone, 4> kMicrophones = {{
    // Cardioid dynamic: low cut for close use, presence rise around 3–6 kHz.
    {"Dynamic 57", 0.5, 90.0, 0.6, {4800.0, 5.0, 1.1}, 13000.0, 0.8, 3500.0, -5.0, 0.0, +1},
    // Supercardioid dynamic: fuller lows (more proximity effect), a broad, gentle
    // presence lift and a smooth top that ends earlier than a condenser's.
    {"Dynamic 441", 0.37, 45.0, 0.7, {4000.0, 3.0, 0.9}, 13500.0, 0.7, 4000.0, -4.0, -1.0, -1},
    // Large-diaphragm condenser: flat, a small lift near 11 kHz, more room.
    {"Condenser 1", 0.5, 25.0, 0.7, {10000.0, 3.0, 0.8}, 19000.0, 0.9, 6500.0, -4.0, 2.0, +1},
    // Figure-8 ribbon: smooth, falling gently above 8 kHz, rear lobe hears the room.
    {"Ribbon 1", 0.0, 25.0, 0.7, {3000.0, 0.0, 1.0}, 9000.0, 0.6, 5000.0, -2.0, 4.0, -1},
}};

// How strongly the radial position shapes the sound on the grille and at a
// distance (from afar the whole cone is heard, so moving across it matters less).
constexpr std::array<double, 2> kRadialInfluence = {1.0, 0.45};
// Level change of the cone-edge shelf, dB, and the extra low-mid weight at the edge, dB.
constexpr double kEdgeShelfDb = -8.0;
constexpr double kEdgeLowMidDb = 2.5;
// How far the cone edge lies from the centre, as a share of the cone radius.
constexpr double kEdgeRadius = 0.8;
// The angle of the sound path to the cone's axis that an angled microphone
// effectively hears on the grille (a close microphone sees a milder angle than it is turned by).
constexpr double kOffAxisAngle = 15.0 * std::numbers::pi / 180.0;
// Rigid-piston directivity: the −3 dB point lies near k·a·sin θ = 1.6.
constexpr double kPistonCorner = 1.6;

constexpr double kFloorReflectance = 0.7; // floor: a wooden stage floor, not a perfect mirror
constexpr double kEdgeDiffraction = -0.3; // baffle-edge diffraction, inverted
constexpr double kEdgeDiffractionHz = 1200.0;
constexpr double kSecondConeMatch = 0.9;  // the second speaker of a pair is not an exact twin
constexpr double kRearWaveHz = 700.0;     // the rear wave reaching the front is dark

constexpr std::array<double, 2> kRoomLevelDb = {-40.0, -20.0}; // room energy on the grille and at a distance
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
    h *= lowpass2(hz, cab.lowpassHz, 0.5412) * lowpass2(hz, cab.lowpassHz, 1.3066);
    h *= lowpass2(hz, cab.steepHz, 0.7071);
    h *= peaking(hz, cab.voicing);
    for (const Peak& peak : cab.breakup)
        h *= peaking(hz, {peak.hz, peak.gainDb * (1.0 - 0.35 * radial), peak.q});
    h *= peaking(hz, {cab.dustCap.hz, cab.dustCap.gainDb * (1.0 - radial), cab.dustCap.q});
    for (const Peak& notch : cab.notches)
        h *= peaking(hz, notch);

    // Radial position: the cone edge is darker and carries more low mids.
    const double coneScale = std::sqrt(0.13 / cab.coneRadius);
    h *= highShelf(hz, 2400.0 * coneScale, kEdgeShelfDb * radial);
    h *= peaking(hz, {300.0, kEdgeLowMidDb * radial, 0.8});

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

int chainPolarity(const Placement& p)
{
    return cabinetData(p.cabinet).polarity * microphoneData(p.microphone).polarity;
}
