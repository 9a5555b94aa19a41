#pragma once

#include "tools/bankgen/CabinetModel.h"

#include <complex>
#include <vector>

// The diffuse decay of the room the cabinet stands in, as a dense cloud of
// reflections at fixed times in seconds. Because it is defined in continuous
// time, both recording rates hear exactly the same room; its spectrum is
// evaluated directly on the synthesis grid of each rate.
class RoomTail {
public:
    // shape: onset, decay and damping; seed: which room (one per cabinet).
    RoomTail(const RoomDecay& shape, unsigned seed);

    // Spectrum of the tail at bins 0..gridSize/2 of a grid at `rate`, with
    // unit energy (before its low-pass damping).
    std::vector<std::complex<double>> spectrum(double rate, int gridSize) const;

    static constexpr double kLength = 0.1;      // s, how long the cloud of reflections lasts
    static constexpr int kReflections = 3000;   // reflections in that time

private:
    struct Arrival {
        double time;      // s after the direct sound
        double amplitude; // signed amplitude
    };

    RoomDecay shape;              // onset, decay and damping of the room
    std::vector<Arrival> arrivals; // the reflections, in time order
};
