// selvarine-render run as a user runs it: exit status, messages, the files it
// writes, the host call sequence it drives, and (when this tree builds it) the
// product's plug-in through it.

#include "TestWorkDir.h"
#include "host/AudioFile.h"

#include <gtest/gtest.h>

#include <ostream>

#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

struct ToolRun {
    int status;         // exit status, -1 if the tool did not exit normally
    std::string output; // stdout and stderr together
};

std::string quote(const std::string& arg)
{
    std::string quoted = "'";
    for (char c : arg)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

ToolRun render(const std::vector<std::string>& args, const std::string& environment = "")
{
    std::string command = environment + " " + quote(SELVARINE_RENDER);
    for (const std::string& arg : args)
    {
        command += ' ';
        command += quote(arg);
    }
    command += " 2>&1";
    ToolRun run{-1, {}};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0)
        run.output.append(buffer, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string workPath(const std::string& name)
{
    return testing_support::workFile(name);
}

std::string readText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// A short mono or stereo test signal written to the work folder.
std::string writeSignal(const std::string& name, int channels, std::size_t frames, double rate = 44100.0)
{
    host::AudioBuffer buffer;
    buffer.sampleRate = rate;
    buffer.channels.assign(static_cast<std::size_t>(channels), std::vector<double>(frames));
    for (int c = 0; c < channels; ++c)
        for (std::size_t i = 0; i < frames; ++i)
            buffer.channels[static_cast<std::size_t>(c)][i] =
                0.4 * std::sin(0.05 * (c + 1) * static_cast<double>(i)) * std::exp(-static_cast<double>(i) / 8000.0);
    const std::string path = workPath(name);
    std::string error;
    EXPECT_TRUE(host::writeAudioFile(path, buffer, host::SampleEncoding::Float32, error)) << error;
    return path;
}

host::AudioBuffer readSignal(const std::string& path)
{
    host::AudioBuffer buffer;
    std::string error;
    EXPECT_TRUE(host::readAudioFile(path, buffer, error)) << error;
    return buffer;
}

// ---------------------------------------------------------------- errors

struct ErrorCase {
    const char* label;
    std::vector<std::string> args;
    const char* message; // part of what the tool prints
};

// Test names show the case label rather than its bytes.
void PrintTo(const ErrorCase& c, std::ostream* os)
{
    *os << c.label;
}

class RenderErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(RenderErrors, ExitNonZeroWithAMessage)
{
    const ErrorCase& c = GetParam();
    const ToolRun run = render(c.args);
    EXPECT_NE(run.status, 0) << run.output;
    EXPECT_NE(run.status, -1) << "the tool did not exit normally:\n" << run.output;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("AddressSanitizer"), std::string::npos) << run.output;
}

std::vector<ErrorCase> errorCases()
{
    const std::string gain = TEST_GAIN_PLUGIN;
    const std::string in = writeSignal("error-in.wav", 1, 1000);
    const std::string out = workPath("error-out.wav");
    const std::string text = workPath("text.wav");
    std::ofstream(text) << "plain text";
    const std::string shortChunk = workPath("short.chunk");
    std::ofstream(shortChunk) << "too short";
    const std::string threeChannels = workPath("three.wav");
    {
        host::AudioBuffer buffer;
        buffer.channels.assign(3, std::vector<double>(10, 0.0));
        std::string error;
        host::writeAudioFile(threeChannels, buffer, host::SampleEncoding::Float32, error);
    }
    return {
        {"missing_input", {"--plugin", gain, workPath("absent.wav"), out}, "cannot read audio file"},
        {"unreadable_input", {"--plugin", gain, text, out}, "cannot read audio file"},
        {"too_many_channels", {"--plugin", gain, threeChannels, out}, "only mono and stereo"},
        {"missing_plugin", {"--plugin", workPath("absent.so"), in, out}, "cannot load plug-in"},
        {"plugin_not_a_library", {"--plugin", text, in, out}, "cannot load plug-in"},
        {"plugin_without_entry", {"--plugin", TEST_NOT_A_PLUGIN, in, out}, "neither VSTPluginMain nor main"},
        {"plugin_returns_no_effect", {"--plugin", TEST_GAIN_NO_EFFECT_PLUGIN, in, out}, "returned no effect"},
        {"unknown_parameter", {"--plugin", gain, "--set", "Volume=0.5", in, out}, "no parameter is named \"Volume\""},
        {"unknown_program", {"--plugin", gain, "--program", "Loud", in, out}, "no program is named \"Loud\""},
        {"program_index_too_large", {"--plugin", gain, "--program", "3", in, out}, "program 3 does not exist"},
        {"value_above_one", {"--plugin", gain, "--set", "Gain=1.5", in, out}, "outside 0..1"},
        {"value_below_zero", {"--plugin", gain, "--set", "Gain=-0.5", in, out}, "outside 0..1"},
        {"bad_block", {"--plugin", gain, "--block", "0", in, out}, "--block"},
        {"bad_rate", {"--plugin", gain, "--rate", "abc", in, out}, "--rate"},
        {"bad_tempo", {"--plugin", gain, "--tempo", "-1", in, out}, "--tempo"},
        {"bad_tail", {"--plugin", gain, "--tail", "x", in, out}, "--tail"},
        {"unknown_option", {"--plugin", gain, "--fast", in, out}, "unknown option --fast"},
        {"missing_output", {"--plugin", gain, in}, "missing output file"},
        {"unknown_output_format", {"--plugin", gain, in, workPath("out.xyz")}, "cannot tell the audio format"},
        {"unwritable_output", {"--plugin", gain, in, workPath("no-such-dir/out.wav")}, "does not exist"},
        {"missing_chunk", {"--plugin", gain, "--chunk-in", workPath("absent.chunk"), in, out}, "cannot open chunk file"},
        {"rejected_chunk", {"--plugin", gain, "--chunk-in", shortChunk, in, out}, "rejected the chunk"},
        {"unwritable_chunk", {"--plugin", gain, "--chunk-out", workPath("no-such-dir/x.chunk")}, "cannot write chunk"},
    };
}

INSTANTIATE_TEST_SUITE_P(Cli, RenderErrors, ::testing::ValuesIn(errorCases()),
                         [](const ::testing::TestParamInfo<ErrorCase>& info) { return std::string(info.param.label); });

// ---------------------------------------------------------------- with the test plug-in

TEST(RenderCli, AppliesProgramThenParametersAndWritesStereoFloat)
{
    const std::string in = writeSignal("mono-in.wav", 1, 3000, 48000.0);
    const std::string out = workPath("gain-out.wav");
    // Program "Quiet" (gain 0.25), then Gain=0.75: the parameter wins (×1.5).
    const ToolRun run = render({"--plugin", TEST_GAIN_PLUGIN, "--program", "Quiet", "--set", "Gain=0.75", "--block", "77",
                            "--tail", "0.01", in, out});
    ASSERT_EQ(run.status, 0) << run.output;

    const host::AudioBuffer input = readSignal(in);
    const host::AudioBuffer output = readSignal(out);
    EXPECT_EQ(output.sampleRate, 48000.0);
    ASSERT_EQ(output.numChannels(), 2);
    ASSERT_EQ(output.numFrames(), 3000u + 480u);
    for (int c = 0; c < 2; ++c)
        for (std::size_t i = 0; i < output.numFrames(); ++i) {
            const double expected = i < 3000 ? static_cast<double>(static_cast<float>(input.channels[0][i]) * 1.5f) : 0.0;
            ASSERT_EQ(output.channels[static_cast<std::size_t>(c)][i], expected) << "channel " << c << " frame " << i;
        }
}

TEST(RenderCli, DoublePrecisionAndIntegerOutputs)
{
    const std::string in = writeSignal("stereo-in.wav", 2, 2000);
    const std::string floatOut = workPath("float-out.wav");
    const std::string doubleOut = workPath("double-out.wav");
    const std::string pcmOut = workPath("pcm16-out.wav");
    ASSERT_EQ(render({"--plugin", TEST_GAIN_PLUGIN, in, floatOut}).status, 0);
    ASSERT_EQ(render({"--plugin", TEST_GAIN_PLUGIN, "--double", in, doubleOut}).status, 0);
    ASSERT_EQ(render({"--plugin", TEST_GAIN_PLUGIN, "--pcm16", in, pcmOut}).status, 0);

    const host::AudioBuffer input = readSignal(in);
    const host::AudioBuffer viaFloat = readSignal(floatOut);
    const host::AudioBuffer viaDouble = readSignal(doubleOut);
    const host::AudioBuffer viaPcm = readSignal(pcmOut);
    // Program "Unity": stereo passes through unchanged, channel by channel.
    EXPECT_EQ(viaFloat.channels, input.channels);
    EXPECT_EQ(viaDouble.channels, input.channels);
    ASSERT_EQ(viaPcm.numFrames(), input.numFrames());
    for (int c = 0; c < 2; ++c)
        for (std::size_t i = 0; i < input.numFrames(); ++i)
            ASSERT_NEAR(viaPcm.channels[static_cast<std::size_t>(c)][i], input.channels[static_cast<std::size_t>(c)][i],
                        1.0 / 32768.0);
    EXPECT_EQ(readText(pcmOut).size(), 44u + 2000u * 4u); // 16-bit stereo WAV
}

TEST(RenderCli, DrivesTheHostSequenceInOrder)
{
    const std::string log = workPath("sequence.log");
    std::remove(log.c_str());
    const std::string chunk = workPath("sequence.chunk");
    ASSERT_EQ(render({"--plugin", TEST_GAIN_PLUGIN, "--chunk-out", chunk}).status, 0);
    std::remove(log.c_str());

    const std::string in = writeSignal("sequence-in.wav", 1, 100);
    const ToolRun run = render({"--plugin", TEST_GAIN_PLUGIN, "--rate", "48000", "--block", "256", "--chunk-in", chunk,
                            "--program", "1", in, workPath("sequence-out.wav")},
                           "SELVARINE_TEST_PLUGIN_LOG=" + quote(log));
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(readText(log), "open,rate48000,block256,setchunk,program1,mains1,process,mains0,close\n");
}

TEST(RenderCli, QueriesListTheTestPlugin)
{
    const ToolRun info = render({"--plugin", TEST_GAIN_PLUGIN, "--info"});
    ASSERT_EQ(info.status, 0) << info.output;
    for (const char* expected : {"Effect name:     Test Gain", "Unique ID:       TstG", "Programs:        3",
                                 "Parameters:      2", "Vendor version:  7", "entry VSTPluginMain",
                                 "can replacing, can double replacing, program chunks"})
        EXPECT_NE(info.output.find(expected), std::string::npos) << expected << "\n" << info.output;

    const ToolRun programs = render({"--plugin", TEST_GAIN_PLUGIN, "--program", "Silent", "--list-programs"});
    ASSERT_EQ(programs.status, 0) << programs.output;
    EXPECT_EQ(programs.output, "  0  Unity\n  1  Quiet\n* 2  Silent\n");

    const ToolRun params = render({"--plugin", TEST_GAIN_PLUGIN, "--set", "Mute=0", "--list-params"});
    ASSERT_EQ(params.status, 0) << params.output;
    EXPECT_EQ(params.output, "#  Name  Value      Display\n"
                             "0  Gain  0.500000   0.500 x2\n"
                             "1  Mute  0.000000   0.000\n");
}

TEST(RenderCli, ChunkOutThenChunkInRestoresTheState)
{
    const std::string first = workPath("state-a.chunk");
    const std::string second = workPath("state-b.chunk");
    ASSERT_EQ(render({"--plugin", TEST_GAIN_PLUGIN, "--program", "2", "--set", "Gain=0.125", "--chunk-out", first}).status,
              0);
    const ToolRun restored = render({"--plugin", TEST_GAIN_PLUGIN, "--chunk-in", first, "--program", "2", "--chunk-out",
                                 second, "--list-params"});
    ASSERT_EQ(restored.status, 0) << restored.output;
    EXPECT_NE(restored.output.find("0.125000"), std::string::npos) << restored.output;
    EXPECT_FALSE(readText(first).empty());
    EXPECT_EQ(readText(first), readText(second));
}

TEST(RenderCli, HelpExitsCleanly)
{
    const ToolRun run = render({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.output.find("usage: selvarine-render"), std::string::npos);
    // Every option is documented, and the state options in the order they are applied.
    for (const char* option : {"--out-dir DIR", "--jobs N", "--quiet", "--normalize DB", "--trim-tail",
                               "--save-preset", "--save-bank"})
        EXPECT_NE(run.output.find(option), std::string::npos) << option;
    std::size_t previous = run.output.find("applied in this order");
    ASSERT_NE(previous, std::string::npos) << run.output;
    for (const char* option : {"--chunk-in", "--bank", "--program", "--preset", "--set", "--ir"}) {
        const std::size_t at = run.output.find("  " + std::string(option) + " ");
        ASSERT_NE(at, std::string::npos) << option;
        EXPECT_GT(at, previous) << option;
        previous = at;
    }
}

// ---------------------------------------------------------------- with the product

#ifdef SELVARINE_PLUGIN

TEST(RenderCliProduct, InfoShowsTheProductIdentityFromTheDefaultPlugin)
{
    // No --plugin: the tool finds the plug-in built beside it.
    const ToolRun run = render({"--info"});
    ASSERT_EQ(run.status, 0) << run.output;
    for (const char* expected : {"Effect name:     Doxaro Orvandel Selvarine", "Unique ID:       DXOs",
                                 "Programs:        24", "Parameters:      44", "Inputs:          2",
                                 "Outputs:         2", "VST version:     2400"})
        EXPECT_NE(run.output.find(expected), std::string::npos) << expected << "\n" << run.output;
}

TEST(RenderCliProduct, ListsFactoryProgramsAndParameters)
{
    const ToolRun programs = render({"--plugin", SELVARINE_PLUGIN, "--list-programs"});
    ASSERT_EQ(programs.status, 0) << programs.output;
    EXPECT_NE(programs.output.find("*  0  Clean Reverb\n"), std::string::npos) << programs.output;
    EXPECT_NE(programs.output.find("  23  Distant 2\n"), std::string::npos) << programs.output;

    const ToolRun params = render({"--plugin", SELVARINE_PLUGIN, "--set", "Mic 1 Pos=0.25", "--list-params"});
    ASSERT_EQ(params.status, 0) << params.output;
    EXPECT_NE(params.output.find("27  Mic 1 Pos"), std::string::npos) << params.output;
    EXPECT_NE(params.output.find("0.250000   0.250000"), std::string::npos) << params.output;
    EXPECT_NE(params.output.find("41  1 <--> 2"), std::string::npos) << params.output;
}

TEST(RenderCliProduct, EveryFactoryProgramRendersFiniteAudio)
{
    const std::string in = writeSignal("product-in.wav", 1, 8000);
    for (int program = 0; program < 24; ++program) {
        const std::string out = workPath("product-" + std::to_string(program) + ".wav");
        const ToolRun run = render({"--plugin", SELVARINE_PLUGIN, "--program", std::to_string(program), "--tail", "0.1",
                                in, out});
        ASSERT_EQ(run.status, 0) << "program " << program << "\n" << run.output;
        EXPECT_EQ(run.output, "") << "program " << program;
        const host::AudioBuffer output = readSignal(out);
        ASSERT_EQ(output.numChannels(), 2);
        ASSERT_EQ(output.numFrames(), 8000u + 4410u);
        double energy = 0.0;
        for (const auto& channel : output.channels)
            for (double x : channel) {
                ASSERT_TRUE(std::isfinite(x)) << "program " << program;
                energy += x * x;
            }
        EXPECT_GT(energy, 0.0) << "program " << program << " is silent";
    }
}

TEST(RenderCliProduct, ProgramByNameAndChunkRoundTrip)
{
    const std::string bank = workPath("product-bank.chunk");
    const std::string again = workPath("product-bank-again.chunk");
    const std::string single = workPath("product-single.chunk");
    ASSERT_EQ(render({"--plugin", SELVARINE_PLUGIN, "--program", "Stoner Age", "--set", "Output=0.3", "--chunk-out",
                      bank})
                  .status,
              0);
    EXPECT_EQ(readText(bank).size(), 11432u);
    ASSERT_EQ(render({"--plugin", SELVARINE_PLUGIN, "--program", "Stoner Age", "--single", "--chunk-out", single}).status,
              0);
    EXPECT_EQ(readText(single).size(), 476u);

    const ToolRun restored = render({"--plugin", SELVARINE_PLUGIN, "--chunk-in", bank, "--program", "17", "--chunk-out",
                                 again, "--list-params"});
    ASSERT_EQ(restored.status, 0) << restored.output;
    EXPECT_EQ(readText(bank), readText(again));
    EXPECT_NE(restored.output.find("Output          0.300000"), std::string::npos) << restored.output;

    // A single-program chunk handed over as a bank is refused by the plug-in.
    const ToolRun wrong = render({"--plugin", SELVARINE_PLUGIN, "--chunk-in", single, "--info"});
    EXPECT_NE(wrong.status, 0);
    EXPECT_NE(wrong.output.find("rejected the chunk"), std::string::npos) << wrong.output;
}

#endif

} // namespace
