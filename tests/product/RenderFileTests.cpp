// The render tool as users drive it, on the product's plug-in: the reverb at
// every host rate, state from chunks, preset, bank and impulse-response
// files, output checks before processing, batches, the progress display and
// the output shaping options.

#include "ToolCommand.h"
#include "host/AudioFile.h"

#include <gtest/gtest.h>

#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

using product::quote;
using product::workFile;

struct ToolRun {
    int status = -1;    // exit status, -1 if the tool did not exit normally
    std::string output; // what it wrote to standard output and standard error
};

std::vector<std::string> toolArguments(const std::vector<std::string>& args)
{
    std::vector<std::string> all = {SELVARINE_RENDER, "--plugin", SELVARINE_PLUGIN};
    all.insert(all.end(), args.begin(), args.end());
    return all;
}

// Runs selvarine-render on the product with both streams on a pipe.
ToolRun render(const std::vector<std::string>& args)
{
    std::string command;
    for (const std::string& arg : toolArguments(args)) {
        command += quote(arg);
        command += ' ';
    }
    command += "2>&1";
    ToolRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.output.append(buffer, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// Runs selvarine-render with a terminal as its standard output and error.
ToolRun renderOnTerminal(const std::vector<std::string>& args)
{
    std::vector<std::string> all = toolArguments(args);
    std::vector<char*> argv;
    for (std::string& arg : all)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    ToolRun run;
    int terminal = -1;
    const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child < 0)
        return run;
    if (child == 0) {
        execv(argv[0], argv.data());
        _exit(127);
    }
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(terminal, buffer, sizeof buffer);
        if (n <= 0)
            break; // EIO once the child has gone
        run.output.append(buffer, std::size_t(n));
    }
    close(terminal);
    int status = 0;
    waitpid(child, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// A guitar-like burst: a decaying 196 Hz tone with overtones, half a second,
// then silence to `seconds`.
std::string writeBurst(const std::string& name, double rate, double seconds = 0.5)
{
    host::AudioBuffer buffer;
    buffer.sampleRate = rate;
    const auto frames = std::size_t(seconds * rate);
    buffer.channels.assign(1, std::vector<double>(frames));
    for (std::size_t i = 0; i < frames && double(i) < 0.5 * rate; ++i) {
        const double t = double(i) / rate;
        double x = 0.0;
        for (int h = 1; h <= 6; ++h)
            x += std::sin(2.0 * M_PI * 196.0 * h * t) / h;
        buffer.channels[0][i] = 0.25 * x * std::exp(-6.0 * t);
    }
    const std::string path = workFile(name);
    std::string error;
    EXPECT_TRUE(host::writeAudioFile(path, buffer, host::SampleEncoding::Float32, error)) << error;
    return path;
}

host::AudioBuffer readBack(const std::string& path)
{
    host::AudioBuffer buffer;
    std::string error;
    EXPECT_TRUE(host::readAudioFile(path, buffer, error)) << error;
    return buffer;
}

std::vector<unsigned char> readBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

double peakOf(const host::AudioBuffer& buffer, std::size_t from = 0, std::size_t to = SIZE_MAX)
{
    double peak = 0.0;
    for (const auto& channel : buffer.channels)
        for (std::size_t i = from; i < std::min(to, channel.size()); ++i)
            peak = std::max(peak, std::fabs(channel[i]));
    return peak;
}

std::size_t nonFinite(const host::AudioBuffer& buffer)
{
    std::size_t count = 0;
    for (const auto& channel : buffer.channels)
        count += std::size_t(std::count_if(channel.begin(), channel.end(), [](double x) { return !std::isfinite(x); }));
    return count;
}

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

} // namespace

// The reverb programs at host rates around and inside the range where the
// resonator's stretch rounds to two samples: nothing non-finite, and the tail
// dies away (50 dB down after two and a half seconds) instead of running
// into the limiter.
TEST(RenderSpring, ReverbProgramsDecayAtEveryRate)
{
    for (const double rate : {11025.0, 16000.0, 18000.0, 20000.0, 22050.0, 24000.0, 27000.0, 32000.0, 48000.0}) {
        const std::string in = writeBurst("burst.wav", rate);
        for (const char* program : {"0", "12", "13"}) {
            const std::string out = workFile("spring.wav");
            const ToolRun run = render({"--program", program, "--tail", "3", in, out});
            ASSERT_EQ(run.status, 0) << run.output;
            EXPECT_FALSE(contains(run.output, "non-finite")) << rate << " program " << program;
            const host::AudioBuffer result = readBack(out);
            ASSERT_EQ(nonFinite(result), 0u) << rate << " program " << program;
            const auto second = std::size_t(rate);
            const double early = peakOf(result, 0, second / 2);
            const double late = peakOf(result, result.numFrames() - second);
            EXPECT_GT(early, 0.01) << rate << " program " << program;
            EXPECT_LT(late, early * 3e-3) << rate << " program " << program;
        }
    }
}

// A single-program chunk whose response path area is all zeros sounds like
// the program it holds, not like silence.
TEST(RenderState, ChunkWithEmptyResponsePathSoundsLikeItsProgram)
{
    const std::string in = writeBurst("burst.wav", 44100.0);
    const std::string chunk = workFile("single.chunk");
    ASSERT_EQ(render({"--program", "12", "--single", "--chunk-out", chunk}).status, 0);
    std::vector<unsigned char> bytes = readBytes(chunk);
    ASSERT_EQ(bytes.size(), 476u);
    std::fill(bytes.begin() + 216, bytes.end(), 0);
    writeBytes(chunk, bytes);

    const std::string reference = workFile("reference.wav");
    const std::string restored = workFile("restored.wav");
    ASSERT_EQ(render({"--program", "12", in, reference}).status, 0);
    const ToolRun run = render({"--chunk-in", chunk, "--single", in, restored});
    ASSERT_EQ(run.status, 0) << run.output;
    const host::AudioBuffer a = readBack(reference);
    const host::AudioBuffer b = readBack(restored);
    EXPECT_GT(peakOf(b), 0.05);
    EXPECT_EQ(a.channels, b.channels);
}

// Preset and bank files written by the tool and read back through the
// plug-in reproduce the sound; an impulse response of a single full-scale
// sample scales the output by the response engine's factor of 1/4.
TEST(RenderState, PresetBankAndResponseFiles)
{
    const std::string in = writeBurst("burst.wav", 44100.0);
    const std::string preset = workFile("Tweaked.sxp");
    const std::string bank = workFile("tweaked.sxb");
    const std::vector<std::string> tweak = {"--program", "5", "--set", "Reverb=0.3", "--set", "Output=0.2",
                                            "--set", "Limiter On/Off=1"};
    std::vector<std::string> save = tweak;
    save.insert(save.end(), {"--save-bank", bank});
    ASSERT_EQ(render(save).status, 0);
    save = tweak;
    save.insert(save.end(), {"--save-preset", preset});
    ASSERT_EQ(render(save).status, 0);
    EXPECT_EQ(readBytes(preset).size(), 476u);
    EXPECT_EQ(readBytes(bank).size(), 11432u);

    const std::string impulse = workFile("impulse.wav");
    {
        host::AudioBuffer response;
        response.channels = {std::vector<double>(64, 0.0)};
        response.channels[0][0] = 1.0;
        std::string error;
        ASSERT_TRUE(host::writeAudioFile(impulse, response, host::SampleEncoding::Float32, error)) << error;
    }

    struct Case {
        const char* what;
        std::vector<std::string> args;
        double scale; // expected output against the tweaked program
    };
    const Case cases[] = {
        {"preset into program 0", {"--preset", preset}, 1.0},
        {"bank, then program 5", {"--bank", bank, "--program", "5"}, 1.0},
        {"bank, then the preset's program by its new name", {"--bank", bank, "--program", "5", "--preset", preset}, 1.0},
        {"response file", {"--ir", impulse, "--set", "Reverb=0.3", "--set", "Output=0.2", "--set", "Limiter On/Off=1",
                           "--program", "5"}, 0.25},
    };
    std::vector<std::string> referenceArgs = tweak;
    const std::string reference = workFile("reference.wav");
    referenceArgs.insert(referenceArgs.end(), {in, reference});
    ASSERT_EQ(render(referenceArgs).status, 0);
    const host::AudioBuffer expected = readBack(reference);
    ASSERT_GT(peakOf(expected), 0.01);

    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        const std::string out = workFile("out.wav");
        args.insert(args.end(), {in, out});
        const ToolRun run = render(args);
        ASSERT_EQ(run.status, 0) << c.what << ": " << run.output;
        const host::AudioBuffer result = readBack(out);
        ASSERT_EQ(result.numFrames(), expected.numFrames()) << c.what;
        double worst = 0.0;
        for (std::size_t ch = 0; ch < result.channels.size(); ++ch)
            for (std::size_t i = 0; i < result.numFrames(); ++i)
                worst = std::max(worst, std::fabs(result.channels[ch][i] - c.scale * expected.channels[ch][i]));
        EXPECT_LT(worst, 1e-6) << c.what;
    }
}

// The order of application: parameters come after the preset, so a --set
// wins over the preset's value; the bank comes before the program, so the
// program is picked from the loaded bank.
TEST(RenderState, OptionsApplyInTheStatedOrder)
{
    const std::string preset = workFile("Quiet.sxp");
    ASSERT_EQ(render({"--program", "2", "--set", "Reverb=0.5", "--save-preset", preset}).status, 0);
    const std::string again = workFile("Again.sxp");
    ASSERT_EQ(render({"--preset", preset, "--set", "Reverb=0.75", "--save-preset", again}).status, 0);
    const std::vector<unsigned char> bytes = readBytes(again);
    ASSERT_EQ(bytes.size(), 476u);
    // The record's values start at offset 36, in the order --list-params shows.
    const ToolRun params = render({"--list-params"});
    const std::size_t at = params.output.find("  Reverb ");
    ASSERT_NE(at, std::string::npos) << params.output;
    const std::size_t lineStart = params.output.rfind('\n', at) + 1;
    const int index = std::stoi(params.output.substr(lineStart, at - lineStart));
    float reverb = 0.0f;
    std::memcpy(&reverb, bytes.data() + 36 + 4 * index, sizeof reverb);
    EXPECT_EQ(reverb, 0.75f);

    const std::string bank = workFile("renamed.sxb");
    ASSERT_EQ(render({"--program", "7", "--save-preset", workFile("My Sound.sxp"), "--save-bank", bank}).status, 0);
    const ToolRun listed = render({"--bank", bank, "--program", "My Sound", "--list-programs"});
    ASSERT_EQ(listed.status, 0) << listed.output;
    EXPECT_TRUE(contains(listed.output, "*  7  My Sound")) << listed.output;
}

// Files the plug-in refuses: its own message on standard error, exit status
// 1, and nothing rendered or saved.
TEST(RenderState, RefusedFilesStopTheRunWithThePluginsMessage)
{
    const std::string in = writeBurst("burst.wav", 44100.0);
    const std::string preset = workFile("good.sxp");
    const std::string bank = workFile("good.sxb");
    ASSERT_EQ(render({"--save-preset", preset, "--save-bank", bank}).status, 0);
    std::vector<unsigned char> newer = readBytes(preset);
    newer[6] = 2;
    const std::string newerPreset = workFile("newer.sxp");
    writeBytes(newerPreset, newer);
    newer = readBytes(bank);
    newer[6] = 9;
    const std::string newerBank = workFile("newer.sxb");
    writeBytes(newerBank, newer);
    const std::string junk = workFile("junk.wav");
    writeBytes(junk, std::vector<unsigned char>(100, 'j'));

    struct Case {
        const char* what;
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {"bank given as preset", {"--preset", bank}, "Cannot load the preset, the file is either incompatible or broken."},
        {"preset given as bank", {"--bank", preset}, "Cannot load the preset bank, the file is either incompatible or broken."},
        {"newer preset", {"--preset", newerPreset}, "This preset is saved using the newer version of Orvandel Selvarine."},
        {"newer bank", {"--bank", newerBank}, "This preset bank is saved using the newer version of Orvandel Selvarine."},
        {"missing preset", {"--preset", workFile("absent.sxp")}, "cannot be opened"},
        {"missing bank", {"--bank", workFile("absent.sxb")}, "cannot be opened"},
        {"response that is no WAV file", {"--ir", junk}, "impulse response"},
        {"missing response", {"--ir", workFile("absent.wav")}, "impulse response"},
        {"preset to a missing folder", {"--save-preset", workFile("no-folder/x.sxp")}, "cannot be written"},
    };
    for (const Case& c : cases) {
        const std::string out = workFile("refused.wav");
        const std::string saved = workFile("after.sxb");
        fs::remove(out);
        fs::remove(saved);
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--save-bank", saved, in, out});
        const ToolRun run = render(args);
        EXPECT_EQ(run.status, 1) << c.what;
        EXPECT_TRUE(contains(run.output, c.message)) << c.what << ": " << run.output;
        EXPECT_FALSE(fs::exists(out)) << c.what;
        EXPECT_FALSE(fs::exists(saved)) << c.what;
    }
}

// The output's format and folder are checked before the plug-in is even
// loaded: with a plug-in path that does not exist, the output is what is
// reported.
TEST(RenderChecks, OutputIsCheckedBeforeProcessing)
{
    const std::string in = writeBurst("burst.wav", 44100.0);
    const std::string folder = workFile("a-folder.wav");
    fs::create_directories(folder);
    struct Case {
        const char* what;
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {"mistyped extension", {in, workFile("out.wvа")}, "cannot tell the audio format"},
        {"no extension", {in, workFile("out")}, "cannot tell the audio format"},
        {"missing folder", {in, workFile("missing/out.wav")}, "does not exist"},
        {"output is a folder", {in, folder}, "is a folder"},
        {"batch into a missing folder", {in, "-o", workFile("missing")}, "does not exist"},
        {"batch output over its input", {in, "-o", fs::path(in).parent_path().string()}, "would overwrite the input"},
        {"batch with an input of unknown type", {in, workFile("notes.txt"), "-o", workFile("batch-out")},
         "cannot tell the audio format"},
        {"batch with two inputs of one name", {in, workFile("other/burst.wav"), "-o", workFile("batch-out")},
         "would both be written"},
    };
    fs::create_directories(workFile("batch-out"));
    for (const Case& c : cases) {
        std::vector<std::string> args = {"--plugin", workFile("no-such-plugin.so")};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ToolRun run = render(args);
        EXPECT_EQ(run.status, 1) << c.what;
        EXPECT_TRUE(contains(run.output, c.message)) << c.what << ": " << run.output;
        EXPECT_FALSE(contains(run.output, "no-such-plugin")) << c.what << ": " << run.output;
    }
    EXPECT_TRUE(fs::is_empty(workFile("batch-out")));
}

// A batch with one broken file: the others are written, each exactly as a
// single render writes it; the broken one is named, and the exit status is 1.
TEST(RenderBatch, OneBadFileAmongGoodOnes)
{
    const std::string a = writeBurst("a.wav", 44100.0);
    const std::string b = writeBurst("b.wav", 48000.0, 0.8);
    const std::string c = writeBurst("c.wav", 22050.0);
    const std::string bad = workFile("bad.wav");
    writeBytes(bad, std::vector<unsigned char>(300, 'x'));
    const std::string dir = workFile("batch");
    fs::create_directories(dir);

    const std::vector<std::string> settings = {"--program", "12", "--tail", "0.5", "--set", "Reverb=0.4"};
    std::vector<std::string> args = settings;
    args.insert(args.end(), {a, bad, b, c, "--out-dir", dir, "--jobs", "2"});
    const ToolRun run = render(args);
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_TRUE(contains(run.output, bad)) << run.output;
    EXPECT_TRUE(contains(run.output, "1 of 4 files failed")) << run.output;
    EXPECT_FALSE(fs::exists(dir + "/bad.wav"));

    for (const std::string& in : {a, b, c}) {
        const std::string name = fs::path(in).filename().string();
        const std::string single = workFile("single-" + name);
        args = settings;
        args.insert(args.end(), {in, single});
        ASSERT_EQ(render(args).status, 0) << name;
        const host::AudioBuffer batched = readBack(dir + "/" + name);
        const host::AudioBuffer alone = readBack(single);
        EXPECT_EQ(batched.sampleRate, alone.sampleRate) << name;
        EXPECT_EQ(batched.channels, alone.channels) << name;
    }

    // Everything good: exit status 0, quietly on a pipe.
    const ToolRun good = render({a, b, "-o", dir});
    EXPECT_EQ(good.status, 0) << good.output;
    EXPECT_EQ(good.output, "");
}

// The progress display appears on a terminal only, and not with --quiet.
TEST(RenderBatch, ProgressOnlyOnATerminal)
{
    const std::string a = writeBurst("a.wav", 44100.0, 2.0);
    const std::string b = writeBurst("b.wav", 44100.0, 2.0);
    const std::string dir = workFile("progress");
    fs::create_directories(dir);

    const ToolRun piped = render({a, b, "-o", dir});
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(piped.output, "");
    const ToolRun single = render({a, workFile("one.wav")});
    EXPECT_EQ(single.status, 0);
    EXPECT_EQ(single.output, "");

    const ToolRun shown = renderOnTerminal({a, b, "-o", dir});
    EXPECT_EQ(shown.status, 0) << shown.output;
    EXPECT_TRUE(contains(shown.output, "a.wav")) << shown.output;
    EXPECT_TRUE(contains(shown.output, "b.wav")) << shown.output;
    EXPECT_TRUE(contains(shown.output, "x real time")) << shown.output;
    EXPECT_TRUE(contains(shown.output, "%")) << shown.output;

    const ToolRun quiet = renderOnTerminal({a, b, "-o", dir, "--quiet"});
    EXPECT_EQ(quiet.status, 0) << quiet.output;
    EXPECT_EQ(quiet.output, "");
}

// --normalize sets the written peak; --trim-tail cuts the end that stays
// below -90 dBFS and keeps everything before it unchanged.
TEST(RenderOutput, NormalizeAndTrimTail)
{
    const std::string in = writeBurst("burst.wav", 44100.0);
    const std::string plain = workFile("plain.wav");
    ASSERT_EQ(render({"--program", "3", "--tail", "6", in, plain}).status, 0);
    const host::AudioBuffer full = readBack(plain);

    for (const double db : {-1.0, -6.0, -20.0}) {
        const std::string out = workFile("normalized.wav");
        const ToolRun run = render({"--program", "3", "--tail", "6", "--normalize", std::to_string(db), in, out});
        ASSERT_EQ(run.status, 0) << run.output;
        EXPECT_NEAR(peakOf(readBack(out)), std::pow(10.0, db / 20.0), 1e-6) << db;
    }

    const std::string trimmed = workFile("trimmed.wav");
    ASSERT_EQ(render({"--program", "3", "--tail", "6", "--trim-tail", in, trimmed}).status, 0);
    const host::AudioBuffer cut = readBack(trimmed);
    const double threshold = std::pow(10.0, -90.0 / 20.0);
    ASSERT_GT(cut.numFrames(), std::size_t(0.5 * 44100));
    ASSERT_LT(cut.numFrames(), full.numFrames());
    EXPECT_GE(peakOf(cut, cut.numFrames() - 1), threshold * (1.0 - 1e-6));
    EXPECT_LT(peakOf(full, cut.numFrames()), threshold);
    for (std::size_t ch = 0; ch < cut.channels.size(); ++ch)
        for (std::size_t i = 0; i < cut.numFrames(); ++i)
            ASSERT_EQ(cut.channels[ch][i], full.channels[ch][i]) << i;
}
