#pragma once

#include <array>
#include <vector>

// Third-octave analysis of a response table for the bank tests: the table is
// zero-padded, transformed, and its power averaged over each band.
namespace bank_test {

constexpr int kBandCount = 30; // bands centred on 1000·2^(n/3) Hz, n = −17..12 (20 Hz .. 16 kHz)

struct Bands {
    std::array<double, kBandCount> db; // band power, dB

    // Power average of the bands whose centres lie in [loHz, hiHz], dB.
    double level(double loHz, double hiHz) const;
    // Largest band whose centre lies in [loHz, hiHz], dB.
    double highest(double loHz, double hiHz) const;
};

double bandCentre(int band);

// Band levels of `length` samples at `rate`.
Bands analyse(const double* samples, int length, double rate);
Bands analyse(const std::vector<double>& samples, double rate);

// Finer analysis for blends and notches: power in sixth-octave bands centred
// on 1000·2^(n/6) Hz from loHz to hiHz (centres rounded to the grid), dB.
struct FineBands {
    std::vector<double> centre; // Hz
    std::vector<double> db;     // band power, dB
};
FineBands analyseSixths(const std::vector<double>& samples, double rate, double loHz, double hiHz);
FineBands analyseSixths(const double* samples, int length, double rate, double loHz, double hiHz);

// Recording rate of a family.
double familyRate(int family);

} // namespace bank_test
