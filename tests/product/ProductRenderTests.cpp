// The plug-in heard through the offline host: a sine through the tremolo must
// pulse at the rate the host tempo asks for, and a click through the cabinet
// section must come back as the cabinet response, from the very first sample
// and for exactly the response length of the host rate.

#include "ToolCommand.h"
#include "host/AudioFile.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

namespace {

using product::quote;
using product::workFile;

// Runs selvarine-render on the product; answers its exit status.
int render(const std::vector<std::string>& args)
{
    std::string command = quote(SELVARINE_RENDER) + " --plugin " + quote(SELVARINE_PLUGIN);
    for (const std::string& arg : args) {
        command += ' ';
        command += quote(arg);
    }
    command += " > /dev/null 2>&1";
    return std::system(command.c_str());
}

void writeMono(const std::string& path, const std::vector<double>& samples, double rate)
{
    host::AudioBuffer buffer;
    buffer.sampleRate = rate;
    buffer.channels = {samples};
    std::string error;
    ASSERT_TRUE(host::writeAudioFile(path, buffer, host::SampleEncoding::Float32, error)) << error;
}

host::AudioBuffer readBack(const std::string& path)
{
    host::AudioBuffer buffer;
    std::string error;
    EXPECT_TRUE(host::readAudioFile(path, buffer, error)) << error;
    return buffer;
}

// Settings that leave only the block under test in the chain (the gate is off
// in every factory program).
const std::vector<std::string> kAmpAndCabinetsOff = {
    "--program", "0",
    "--set", "Amp On / Off=1",
    "--set", "Cab 1 On/Off=1",
    "--set", "Cab 2 On/Off=1",
    "--set", "Output=1",
};

struct TempoCase {
    double bpm;
    float speed;         // "Tremolo Speed", synced: row k covers k/17 .. (k+1)/17
    double quarterNotes; // the note value of the row, in quarter notes
};

class TremoloTempo : public testing::TestWithParam<TempoCase> {};

// The squared sine pulses twice per LFO cycle: one pulse per note value of the
// chosen row, at the host's tempo.
TEST_P(TremoloTempo, SineThroughSyncedTremoloPulsesOncePerNoteValue)
{
    const TempoCase c = GetParam();
    constexpr double kRate = 44100.0;
    constexpr double kSeconds = 6.0;
    std::vector<double> sine(static_cast<std::size_t>(kRate * kSeconds));
    for (std::size_t i = 0; i < sine.size(); ++i)
        sine[i] = 0.25 * std::sin(2.0 * std::numbers::pi * 440.0 * double(i) / kRate);
    const std::string in = workFile("sine.wav");
    const std::string out = workFile("tremolo.wav");
    writeMono(in, sine, kRate);

    std::vector<std::string> args = kAmpAndCabinetsOff;
    const std::vector<std::string> fx = {
        "--set", "FX On / Off=0", "--set", "Reverb=0", "--set", "Tremolo Depth=1",
        "--set", "Tremolo Sync=0", "--set", "Tremolo Speed=" + std::to_string(c.speed),
        "--tempo", std::to_string(c.bpm), in, out};
    args.insert(args.end(), fx.begin(), fx.end());
    ASSERT_EQ(render(args), 0);
    const host::AudioBuffer result = readBack(out);
    ASSERT_EQ(result.numFrames(), sine.size());

    // Envelope per 5 ms window; a pulse trough is a window well below the
    // envelope's mean, counted once per dip.
    const std::vector<double>& y = result.channels[0];
    const std::size_t window = static_cast<std::size_t>(kRate * 0.005);
    std::vector<double> envelope;
    for (std::size_t start = 0; start + window <= y.size(); start += window) {
        double peak = 0.0;
        for (std::size_t i = start; i < start + window; ++i)
            peak = std::max(peak, std::fabs(y[i]));
        envelope.push_back(peak);
    }
    const double top = *std::max_element(envelope.begin(), envelope.end());
    int troughs = 0;
    bool inTrough = false;
    for (double e : envelope) {
        if (!inTrough && e < 0.1 * top) {
            ++troughs;
            inTrough = true;
        } else if (inTrough && e > 0.5 * top) {
            inTrough = false;
        }
    }
    const double pulsesPerSecond = c.bpm / 60.0 / c.quarterNotes;
    EXPECT_NEAR(troughs, pulsesPerSecond * kSeconds, 1.0) << c.bpm << " BPM, speed " << c.speed;
}

INSTANTIATE_TEST_SUITE_P(Product, TremoloTempo,
                         testing::Values(TempoCase{120.0, 9.5f / 17.0f, 0.5},   // "1/8"
                                         TempoCase{90.0, 9.5f / 17.0f, 0.5},    // "1/8"
                                         TempoCase{120.0, 6.5f / 17.0f, 1.0},   // "1/4"
                                         TempoCase{150.0, 12.5f / 17.0f, 0.25}, // "1/16"
                                         TempoCase{60.0, 3.5f / 17.0f, 2.0}));  // "1/2"

class CabinetLatency : public testing::TestWithParam<double> {};

// Amplifier and effects off, cabinet 1 on: a click comes back as the cabinet
// response, starting at the click (no latency), with its peak early (the
// stored responses are time-aligned) and ending after 4096 samples at host
// rates up to 68 kHz, 8192 above.
TEST_P(CabinetLatency, ClickReturnsTheResponseWithoutDelayForItsFullLength)
{
    const double rate = GetParam();
    const std::size_t length = rate <= 68000.0 ? 4096 : 8192;
    std::vector<double> click(3 * length, 0.0);
    const std::size_t at = 1000;
    click[at] = 0.5;
    const std::string in = workFile("click.wav");
    const std::string out = workFile("cabinet.wav");
    writeMono(in, click, rate);

    ASSERT_EQ(render({"--program", "0", "--set", "Amp On / Off=1", "--set", "FX On / Off=1", "--set",
                      "Cab 1 On/Off=0", "--set", "Cab 2 On/Off=1", "--set", "CAB type=0", "--set", "Output=1",
                      "--rate", std::to_string(int(rate)), "--double", in, out}),
              0);
    const host::AudioBuffer result = readBack(out);
    ASSERT_EQ(result.numFrames(), click.size());
    const std::vector<double>& y = result.channels[0];

    // Nothing before the click.
    for (std::size_t i = 0; i < at; ++i)
        ASSERT_EQ(y[i], 0.0) << "output before the click at " << i;
    // The response starts at the click and peaks within its first 64 samples.
    std::size_t peakAt = at;
    for (std::size_t i = at; i < at + length; ++i)
        if (std::fabs(y[i]) > std::fabs(y[peakAt]))
            peakAt = i;
    EXPECT_LT(peakAt - at, 64u);
    EXPECT_GT(std::fabs(y[peakAt]), 1e-3);
    // The response carries on to its last tap and stops there.
    double lastTaps = 0.0;
    for (std::size_t i = at + length - 64; i < at + length; ++i)
        lastTaps = std::max(lastTaps, std::fabs(y[i]));
    EXPECT_GT(lastTaps, 0.0);
    for (std::size_t i = at + length; i < y.size(); ++i)
        ASSERT_LT(std::fabs(y[i]), 1e-12) << "output after the response at " << i - at;
}

INSTANTIATE_TEST_SUITE_P(Product, CabinetLatency, testing::Values(44100.0, 48000.0, 88200.0, 96000.0));

} // namespace
