// The factory programs that blend two cabinets, heard through the plug-in
// binary and the offline host: the two cabinets' responses must add, not
// cancel. A click is rendered with the amplifier and effects off, once with
// both cabinets and once with each alone; in every octave the blend must keep
// at least the power sum of its two weighted parts, less 3 dB. Two responses
// with unrelated phase add to their power sum on average over an octave;
// falling 3 dB below it means they work against each other.

#include "plugin/FactoryPrograms.h"
#include "tests/bank/ThirdOctaves.h"
#include "host/AudioFile.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr double kRate = 44100.0;
constexpr int kClickLength = 16384;               // frames; the cabinet response is 4096 at this rate
constexpr double kOctaves[] = {63.0, 125.0, 250.0, 500.0, 1000.0, 2000.0, 4000.0, 8000.0};
constexpr double kLossBoundDb = 3.0;              // below the power sum of the parts

std::string workFile(const std::string& name)
{
    // ctest runs each test as its own process: keep their files apart.
    const std::string folder = std::string(RENDER_WORK_DIR) + "/p" + std::to_string(getpid());
    std::filesystem::create_directories(folder);
    return folder + "/" + name;
}

// Renders the click through a factory program with the amplifier and the
// effects off and the given extra settings; answers the output channels.
std::vector<std::vector<double>> renderClick(int program, const std::vector<std::string>& settings)
{
    const std::string in = workFile("click.wav");
    const std::string out = workFile("blend.wav");
    host::AudioBuffer click;
    click.sampleRate = kRate;
    click.channels = {std::vector<double>(kClickLength, 0.0)};
    click.channels[0][0] = 0.5;
    std::string error;
    EXPECT_TRUE(host::writeAudioFile(in, click, host::SampleEncoding::Float32, error)) << error;

    std::string command = std::string("'") + SELVARINE_RENDER + "' --plugin '" + SELVARINE_PLUGIN + "' --program " +
                          std::to_string(program) + " --set 'Amp On / Off=1' --set 'FX On / Off=1'";
    for (const std::string& s : settings)
        command += " --set '" + s + "'";
    command += " '" + in + "' '" + out + "' > /dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;

    host::AudioBuffer result;
    EXPECT_TRUE(host::readAudioFile(out, result, error)) << error;
    return result.channels;
}

// Octave levels of one channel, dB.
std::vector<double> octaveLevels(const std::vector<double>& samples)
{
    const bank_test::Bands bands = bank_test::analyse(samples, kRate);
    std::vector<double> levels;
    for (double centre : kOctaves)
        levels.push_back(bands.level(centre * std::pow(2.0, -1.0 / 3.0), centre * std::pow(2.0, 1.0 / 3.0)));
    return levels;
}

// Checks that `mix` keeps, in every octave, the power sum of the parts
// w1·x and w2·y, less the bound.
void expectNoCancellation(const std::vector<double>& mix, const std::vector<double>& x, double w1,
                          const std::vector<double>& y, double w2, const std::string& what)
{
    const std::vector<double> lm = octaveLevels(mix);
    const std::vector<double> lx = octaveLevels(x);
    const std::vector<double> ly = octaveLevels(y);
    for (std::size_t o = 0; o < lm.size(); ++o) {
        const double parts = 10.0 * std::log10(w1 * w1 * std::pow(10.0, lx[o] / 10.0) +
                                               w2 * w2 * std::pow(10.0, ly[o] / 10.0));
        EXPECT_GE(lm[o], parts - kLossBoundDb) << what << ", octave " << kOctaves[o] << " Hz";
    }
}

bool cabinetOn(double value) { return value == 0.0; }

} // namespace

TEST(FactoryBlends, TwoCabinetProgramsLoseNoOctaveToCancellation)
{
    int checked = 0;
    for (int p = 0; p < BankImage::kPrograms; ++p) {
        const FactoryProgram& program = kFactoryPrograms[p];
        const double* v = program.values;
        if (!cabinetOn(v[param::Cab1OnOff]) || !cabinetOn(v[param::Cab2OnOff]))
            continue;
        const bool stereo = v[param::CabType] != 0.0;
        const float blend = static_cast<float>(v[param::CabBlend]);
        if (!stereo && (blend <= 0.0f || blend >= 1.0f))
            continue;
        ++checked;
        const auto both = renderClick(p, {});
        const auto first = renderClick(p, {"Cab 2 On/Off=1"});
        const auto second = renderClick(p, {"Cab 1 On/Off=1"});
        ASSERT_EQ(both.size(), 2u);
        ASSERT_EQ(first.size(), 2u);
        ASSERT_EQ(second.size(), 2u);
        if (!stereo) {
            // Mono: alone, a cabinet plays at full weight; together they are blended.
            expectNoCancellation(both[0], first[0], 1.0f - blend, second[0], blend, program.name);
            continue;
        }
        // Stereo: alone, a cabinet plays with its own volume and pan, as in the mix.
        for (int ch = 0; ch < 2; ++ch) {
            double e1 = 0.0, e2 = 0.0;
            for (int i = 0; i < kClickLength; ++i) {
                e1 += first[ch][i] * first[ch][i];
                e2 += second[ch][i] * second[ch][i];
            }
            if (e1 > 0.0 && e2 > 0.0)
                expectNoCancellation(both[ch], first[ch], 1.0, second[ch], 1.0,
                                     std::string(program.name) + (ch == 0 ? ", left" : ", right"));
        }
        // Folded to mono, left and right must add as well.
        std::vector<double> folded(both[0].size());
        for (std::size_t i = 0; i < folded.size(); ++i)
            folded[i] = both[0][i] + both[1][i];
        expectNoCancellation(folded, both[0], 1.0, both[1], 1.0, std::string(program.name) + ", folded to mono");
    }
    EXPECT_GE(checked, 20) << "most factory programs blend two cabinets";
}
