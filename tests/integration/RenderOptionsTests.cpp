// The render tool's command line.

#include "tools/RenderOptions.h"

#include <gtest/gtest.h>

namespace {

bool parse(std::vector<const char*> args, host::RenderOptions& options, std::string& error)
{
    args.insert(args.begin(), "selvarine-render");
    return host::parseRenderOptions(static_cast<int>(args.size()), args.data(), options, error);
}

TEST(RenderOptions, ParsesAFullCommandLine)
{
    host::RenderOptions o;
    std::string error;
    ASSERT_TRUE(parse({"--plugin", "/x/p.so", "--program", "Stoner Age", "--set", "Amp Gain=0.25", "--set=1 <--> 2=1",
                       "--rate", "96000", "--block=17", "--double", "--tempo", "87.5", "--tail", "2", "--pcm24",
                       "in.wav", "out.flac"},
                      o, error))
        << error;
    EXPECT_EQ(o.pluginPath, "/x/p.so");
    EXPECT_EQ(o.program, "Stoner Age");
    ASSERT_EQ(o.settings.size(), 2u);
    EXPECT_EQ(o.settings[0].name, "Amp Gain");
    EXPECT_EQ(o.settings[0].value, 0.25f);
    EXPECT_EQ(o.settings[1].name, "1 <--> 2");
    EXPECT_EQ(o.settings[1].value, 1.0f);
    EXPECT_EQ(o.sampleRate, 96000.0);
    EXPECT_EQ(o.blockSize, 17);
    EXPECT_TRUE(o.doublePrecision);
    EXPECT_EQ(o.tempo, 87.5);
    EXPECT_EQ(o.tailSeconds, 2.0);
    EXPECT_EQ(o.encoding, host::SampleEncoding::Pcm24);
    EXPECT_EQ(o.input, "in.wav");
    EXPECT_EQ(o.output, "out.flac");
    EXPECT_TRUE(o.renders());
}

TEST(RenderOptions, DefaultsAndQueryOnlyRuns)
{
    host::RenderOptions o;
    std::string error;
    ASSERT_TRUE(parse({"in.wav", "out.wav"}, o, error)) << error;
    EXPECT_EQ(o.blockSize, 512);
    EXPECT_EQ(o.tempo, 120.0);
    EXPECT_FALSE(o.sampleRate);
    EXPECT_FALSE(o.doublePrecision);
    EXPECT_EQ(o.encoding, host::SampleEncoding::Float32);
    EXPECT_TRUE(o.pluginPath.empty());

    for (const char* query : {"--info", "--list-programs", "--list-params"}) {
        ASSERT_TRUE(parse({query}, o, error)) << query << ": " << error;
        EXPECT_FALSE(o.renders());
    }
    ASSERT_TRUE(parse({"--chunk-out", "bank.bin", "--single"}, o, error)) << error;
    EXPECT_EQ(o.chunkOut, "bank.bin");
    EXPECT_TRUE(o.singleProgramChunk);
    ASSERT_TRUE(parse({"--", "-odd name.wav", "out.wav"}, o, error)) << error;
    EXPECT_EQ(o.input, "-odd name.wav");
}

TEST(RenderOptions, FileOptionsAndBatches)
{
    host::RenderOptions o;
    std::string error;
    ASSERT_TRUE(parse({"--chunk-in", "c.bin", "--bank", "b.sxb", "--preset", "p.sxp", "--ir", "r.wav", "--save-preset",
                       "q.sxp", "--save-bank=all.sxb", "--normalize", "-1.5", "--trim-tail", "in.wav", "out.wav"},
                      o, error))
        << error;
    EXPECT_EQ(o.bankIn, "b.sxb");
    EXPECT_EQ(o.presetIn, "p.sxp");
    EXPECT_EQ(o.responsePath, "r.wav");
    EXPECT_EQ(o.presetOut, "q.sxp");
    EXPECT_EQ(o.bankOut, "all.sxb");
    EXPECT_EQ(o.normalizeDb, -1.5);
    EXPECT_TRUE(o.trimTail);
    EXPECT_FALSE(o.batch());

    // Saving a preset or bank is a run of its own, like --chunk-out.
    for (const char* save : {"--save-preset", "--save-bank"}) {
        ASSERT_TRUE(parse({"--program", "3", save, "x"}, o, error)) << save << ": " << error;
        EXPECT_FALSE(o.renders());
    }

    ASSERT_TRUE(parse({"a.wav", "b.wav", "c.wav", "--out-dir", "out", "--jobs", "3", "--quiet"}, o, error)) << error;
    EXPECT_TRUE(o.batch());
    EXPECT_TRUE(o.renders());
    EXPECT_EQ(o.inputs, (std::vector<std::string>{"a.wav", "b.wav", "c.wav"}));
    EXPECT_EQ(o.outDir, "out");
    EXPECT_EQ(o.jobs, 3);
    EXPECT_TRUE(o.quiet);
    ASSERT_TRUE(parse({"-o", "out", "one.wav"}, o, error)) << error;
    EXPECT_EQ(o.inputs, std::vector<std::string>{"one.wav"});
    EXPECT_EQ(o.jobs, 0); // one per core
    EXPECT_FALSE(o.normalizeDb);
    EXPECT_FALSE(o.trimTail);
}

struct BadCase {
    std::vector<const char*> args;
    const char* message; // part of the error
};

TEST(RenderOptions, RejectsMalformedCommandLines)
{
    const BadCase cases[] = {
        {{}, "missing input and output"},
        {{"in.wav"}, "missing output file"},
        {{"a.wav", "b.wav", "c.wav"}, "too many"},
        {{"", "out.wav"}, "must not be empty"},
        {{"--bogus", "in.wav", "out.wav"}, "unknown option --bogus"},
        {{"in.wav", "out.wav", "--block"}, "needs a value"},
        {{"--block", "0", "in.wav", "out.wav"}, "--block"},
        {{"--block", "12x", "in.wav", "out.wav"}, "--block"},
        {{"--block", "99999999999999999999", "in.wav", "out.wav"}, "--block"},
        {{"--rate", "-44100", "in.wav", "out.wav"}, "--rate"},
        {{"--rate", "fast", "in.wav", "out.wav"}, "--rate"},
        {{"--rate", "nan", "in.wav", "out.wav"}, "--rate"},
        {{"--tempo", "0", "in.wav", "out.wav"}, "--tempo"},
        {{"--tempo", "inf", "in.wav", "out.wav"}, "--tempo"},
        {{"--tail", "-1", "in.wav", "out.wav"}, "--tail"},
        {{"--set", "Output", "in.wav", "out.wav"}, "expects \"Parameter Name=value\""},
        {{"--set", "=0.5", "in.wav", "out.wav"}, "expects \"Parameter Name=value\""},
        {{"--set", "Output=1.01", "in.wav", "out.wav"}, "outside 0..1"},
        {{"--set", "Output=-0", "in.wav", "out.wav"}, ""}, // -0 is inside 0..1: accepted below
        {{"--set", "Output=-0.1", "in.wav", "out.wav"}, "outside 0..1"},
        {{"--set", "Output=half", "in.wav", "out.wav"}, "not a number"},
        {{"--program", "", "in.wav", "out.wav"}, "--program"},
        {{"--plugin=", "in.wav", "out.wav"}, "--plugin"},
        {{"--double=yes", "in.wav", "out.wav"}, "takes no value"},
        {{"--preset", "", "in.wav", "out.wav"}, "--preset needs a file name"},
        {{"--bank"}, "needs a value"},
        {{"--ir=", "in.wav", "out.wav"}, "--ir needs a file name"},
        {{"--out-dir", "out"}, "at least one input"},
        {{"a.wav", "-o"}, "needs a value"},
        {{"a.wav", "-o", ""}, "needs a folder"},
        {{"--jobs", "0", "a.wav", "-o", "out"}, "--jobs"},
        {{"--jobs", "2.5", "a.wav", "-o", "out"}, "--jobs"},
        {{"--jobs", "257", "a.wav", "-o", "out"}, "--jobs"},
        {{"--normalize", "0.5", "in.wav", "out.wav"}, "--normalize"},
        {{"--normalize", "-121", "in.wav", "out.wav"}, "--normalize"},
        {{"--normalize", "loud", "in.wav", "out.wav"}, "--normalize"},
        {{"--trim-tail=1", "in.wav", "out.wav"}, "takes no value"},
        {{"--quiet=yes", "in.wav", "out.wav"}, "takes no value"},
    };
    for (const BadCase& c : cases) {
        host::RenderOptions o;
        std::string error;
        const bool accepted = parse(c.args, o, error);
        if (std::string(c.message).empty()) {
            EXPECT_TRUE(accepted) << error;
            continue;
        }
        EXPECT_FALSE(accepted) << "accepted: " << (c.args.empty() ? "(nothing)" : c.args[0]);
        EXPECT_NE(error.find(c.message), std::string::npos) << "error: " << error;
    }
}

} // namespace
