#pragma once

#include "tools/bankgen/CabinetModel.h"
#include "tools/bankgen/Fft.h"
#include "tools/bankgen/RoomTail.h"

#include <complex>

#include <vector>

// Turns the model of one placement into a stored response table at one
// recording rate: minimum-phase direct sound, reflections and room decay are
// combined in the frequency domain on a grid long enough that nothing wraps
// round, then the first table length of samples is kept, faded out at the
// end and normalised to the bank's peak level (a positive main lobe).
class ResponseSynth {
public:
    explicit ResponseSynth(double sampleRate);

    // One table of `length` samples.
    std::vector<double> build(const Placement& placement, int length) const;

    static constexpr int kGridSize = 32768;      // FFT size of the synthesis grid
    static constexpr double kPeakLevel = 0.89;   // largest magnitude of every table
    static constexpr int kPeakWindow = 45;       // the peak must lie in these first samples
    static constexpr double kMagnitudeFloor = 1e-6; // lowest magnitude kept, relative to the largest
    static constexpr int kFadeLength = 1024;     // samples of the closing fade
    static constexpr double kFadeFloor = 0.02;   // gain the fade ends at (the table never reaches zero)

    static constexpr int kCabinetCount = 5;      // cabinets of the model

private:
    double rate; // Hz, the recording rate of the tables
    Fft fft;     // transform of the synthesis grid
    std::vector<std::vector<std::complex<double>>> rooms; // per cabinet: room tail spectrum, bins 0..N/2, unit energy
};
