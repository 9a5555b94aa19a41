// The product's plug-in binary driven through its exported entry point the way
// hosts drive it: any call pattern must give the same audio, unusual lifecycle
// orders must leave a working instance, the output must stay finite and free of
// subnormal numbers, and instances must not share state.

#include "host/BlockRenderer.h"
#include "tools/DemoGuitar.h"
#include "host/PluginInstance.h"
#include "host/PluginLibrary.h"

#include <gtest/gtest.h>

#include <ostream>

#include <elf.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <set>
#include <thread>

namespace {

constexpr double kRate = 44100.0;
constexpr double kSignalSeconds = 0.35;

// A guitar phrase on the left input and a quieter, later copy on the right.
const host::AudioBuffer& testSignal()
{
    static const host::AudioBuffer signal = [] {
        std::vector<demo::NoteEvent> events;
        const int frets[] = {0, 2, 2, 1, 0, 0};
        for (int s = 0; s < 6; ++s)
            events.push_back({0.01 + 0.012 * s, s, frets[s], 0.9, false});
        events.push_back({0.2, 0, 3, 0.8, true});
        host::AudioBuffer b;
        b.sampleRate = kRate;
        b.channels.push_back(demo::renderGuitar(events, kSignalSeconds, kRate, 0.5));
        std::vector<double> right(b.channels[0].size(), 0.0);
        for (std::size_t i = 100; i < right.size(); ++i)
            right[i] = 0.7 * b.channels[0][i - 100];
        b.channels.push_back(std::move(right));
        return b;
    }();
    return signal;
}

class ProductBinary : public ::testing::Test {
public:
    void SetUp() override { ASSERT_TRUE(library.load(SELVARINE_PLUGIN)) << library.error(); }

    std::unique_ptr<host::PluginInstance> create(host::HostSettings settings = {})
    {
        std::string error;
        auto instance = host::PluginInstance::create(library, settings, error);
        EXPECT_TRUE(instance) << error;
        return instance;
    }

    // The usual host start: open, rate, block size, program, mains on.
    std::unique_ptr<host::PluginInstance> start(const std::string& program, double rate = kRate)
    {
        auto plugin = create();
        if (!plugin)
            return plugin;
        plugin->dispatch(vst::effOpen);
        plugin->setSampleRate(rate);
        plugin->setBlockSize(512);
        const int index = plugin->findProgram(program);
        EXPECT_GE(index, 0) << program;
        plugin->setProgram(index);
        plugin->setMains(true);
        return plugin;
    }

    host::AudioBuffer renderProgram(const std::string& program, const host::RenderSettings& settings)
    {
        auto plugin = start(program);
        if (!plugin)
            return {};
        host::AudioBuffer out = host::renderThrough(*plugin, testSignal(), settings);
        plugin->setMains(false);
        return out;
    }

    host::PluginLibrary library;
};

// Every sample finite and, in the sample type of the render, not subnormal.
::testing::AssertionResult cleanOutput(const host::AudioBuffer& output, bool doublePrecision)
{
    for (std::size_t c = 0; c < output.channels.size(); ++c)
        for (std::size_t i = 0; i < output.channels[c].size(); ++i) {
            const double x = output.channels[c][i];
            const bool subnormal = doublePrecision ? std::fpclassify(x) == FP_SUBNORMAL
                                                   : std::fpclassify(static_cast<float>(x)) == FP_SUBNORMAL;
            if (!std::isfinite(x) || subnormal)
                return ::testing::AssertionFailure() << "sample " << x << " at channel " << c << " frame " << i;
        }
    return ::testing::AssertionSuccess();
}

double energy(const host::AudioBuffer& output)
{
    double sum = 0.0;
    for (const auto& channel : output.channels)
        for (double x : channel)
            sum += x * x;
    return sum;
}

// Index of the first sample that differs, or -1 when both are bit-identical.
long firstDifference(const host::AudioBuffer& a, const host::AudioBuffer& b)
{
    if (a.channels.size() != b.channels.size())
        return 0;
    for (std::size_t c = 0; c < a.channels.size(); ++c) {
        if (a.channels[c].size() != b.channels[c].size())
            return 0;
        for (std::size_t i = 0; i < a.channels[c].size(); ++i)
            if (std::memcmp(&a.channels[c][i], &b.channels[c][i], sizeof(double)) != 0)
                return static_cast<long>(i);
    }
    return -1;
}

// ---------------------------------------------------------------- call patterns

struct Pattern {
    const char* label;
    std::vector<int> sizes;
};

std::vector<int> randomSizes()
{
    std::mt19937 generator(20240611);
    std::uniform_int_distribution<int> size(1, 700);
    std::vector<int> sizes(64);
    for (int& s : sizes)
        s = size(generator);
    return sizes;
}

// Programs chosen to cover the mono and stereo cabinet paths, high and low
// gain, and the effects.
const char* const kPatternPrograms[] = {"Crack and Crunch", "Stoner Age", "Clean Reverb", "Wave"};

TEST_F(ProductBinary, EveryCallPatternGivesTheSameAudio)
{
    const Pattern patterns[] = {{"1", {1}},     {"17", {17}},     {"32", {32}},           {"96", {96}},
                                {"511", {511}}, {"4096", {4096}}, {"random", randomSizes()}};
    for (const char* program : kPatternPrograms) {
        for (const bool doublePrecision : {false, true}) {
            host::RenderSettings reference;
            reference.doublePrecision = doublePrecision;
            const host::AudioBuffer expected = renderProgram(program, reference);
            ASSERT_EQ(expected.numChannels(), 2);
            ASSERT_TRUE(cleanOutput(expected, doublePrecision)) << program;
            EXPECT_GT(energy(expected), 0.0) << program;

            for (const Pattern& pattern : patterns)
                for (const bool inPlace : {false, true}) {
                    host::RenderSettings settings;
                    settings.blockSizes = pattern.sizes;
                    settings.doublePrecision = doublePrecision;
                    settings.inPlace = inPlace;
                    const host::AudioBuffer output = renderProgram(program, settings);
                    EXPECT_EQ(firstDifference(output, expected), -1)
                        << program << ", blocks " << pattern.label << (inPlace ? ", in place" : ", separate")
                        << (doublePrecision ? ", double" : ", float");
                    EXPECT_TRUE(cleanOutput(output, doublePrecision)) << program << ", blocks " << pattern.label;
                }
        }
    }
}

TEST_F(ProductBinary, FloatAndDoubleRendersAgreeToFloatPrecision)
{
    host::RenderSettings asFloat, asDouble;
    asDouble.doublePrecision = true;
    const host::AudioBuffer a = renderProgram("Crack and Crunch", asFloat);
    const host::AudioBuffer b = renderProgram("Crack and Crunch", asDouble);
    ASSERT_EQ(a.numFrames(), b.numFrames());
    double worst = 0.0;
    for (std::size_t c = 0; c < 2; ++c)
        for (std::size_t i = 0; i < a.numFrames(); ++i)
            worst = std::max(worst, std::abs(a.channels[c][i] - b.channels[c][i]));
    // Only the input and output conversions differ: a few float steps at most.
    EXPECT_LT(worst, 1e-4);
}

TEST_F(ProductBinary, EveryFactoryProgramStaysFiniteAtEveryRateBand)
{
    for (const double rate : {44100.0, 48000.0, 88200.0, 96000.0, 192000.0}) {
        for (int program = 0; program < 24; ++program) {
            auto plugin = create();
            ASSERT_TRUE(plugin);
            plugin->setSampleRate(rate);
            plugin->setProgram(program);
            plugin->setMains(true);
            host::RenderSettings settings;
            settings.doublePrecision = program % 2 == 1;
            settings.tailFrames = 2000;
            const host::AudioBuffer out = host::renderThrough(*plugin, testSignal(), settings);
            EXPECT_TRUE(cleanOutput(out, settings.doublePrecision)) << "program " << program << " at " << rate;
            plugin->setMains(false);
        }
    }
}

// ---------------------------------------------------------------- lifecycle orders

struct Lifecycle {
    const char* label;
    std::function<void(host::PluginInstance&, ProductBinary&)> steps; // run on a new instance before the check
};

// Test names show the case label rather than its bytes.
void PrintTo(const Lifecycle& c, std::ostream* os)
{
    *os << c.label;
}

class ProductLifecycle : public ProductBinary, public ::testing::WithParamInterface<Lifecycle> {};

TEST_P(ProductLifecycle, LeavesAWorkingInstance)
{
    auto plugin = create();
    ASSERT_TRUE(plugin);
    GetParam().steps(*plugin, *this);

    // Whatever happened, the instance now processes a phrase into clean, audible output.
    for (const bool doublePrecision : {false, true}) {
        host::RenderSettings settings;
        settings.doublePrecision = doublePrecision;
        const host::AudioBuffer out = host::renderThrough(*plugin, testSignal(), settings);
        EXPECT_TRUE(cleanOutput(out, doublePrecision));
        EXPECT_GT(energy(out), 1e-6);
    }
    plugin->setMains(false);
}

std::vector<char> bankWithProgram5Renamed(ProductBinary&, host::PluginInstance& donor)
{
    donor.setProgram(5);
    donor.setParameter(42, 0.25f); // "Output"
    char name[] = "Renamed Five";
    donor.dispatch(vst::effSetProgramName, 0, 0, name);
    return donor.getChunk(false);
}

INSTANTIATE_TEST_SUITE_P(
    Host, ProductLifecycle,
    ::testing::Values(
        Lifecycle{"process_before_any_resume", [](host::PluginInstance&, ProductBinary&) {}},
        Lifecycle{"sample_rate_before_open",
                  [](host::PluginInstance& p, ProductBinary&) {
                      p.setSampleRate(48000.0);
                      p.dispatch(vst::effOpen);
                      p.setMains(true);
                  }},
        Lifecycle{"chunk_before_sample_rate",
                  [](host::PluginInstance& p, ProductBinary& fixture) {
                      auto donor = fixture.create();
                      ASSERT_TRUE(donor);
                      const std::vector<char> bank = bankWithProgram5Renamed(fixture, *donor);
                      ASSERT_EQ(bank.size(), 11432u);
                      EXPECT_TRUE(p.setChunk(bank, false));
                      p.setSampleRate(96000.0);
                      p.setBlockSize(256);
                      p.setMains(true);
                      EXPECT_EQ(p.programName(5), "Renamed Five");
                  }},
        Lifecycle{"program_right_after_bank_chunk",
                  [](host::PluginInstance& p, ProductBinary& fixture) {
                      auto donor = fixture.create();
                      ASSERT_TRUE(donor);
                      EXPECT_TRUE(p.setChunk(bankWithProgram5Renamed(fixture, *donor), false));
                      p.setProgram(5);
                      EXPECT_EQ(p.currentProgramName(), "Renamed Five");
                      EXPECT_EQ(p.getParameter(42), 0.25f);
                      p.setMains(true);
                  }},
        Lifecycle{"suspend_and_resume_to_flush",
                  [](host::PluginInstance& p, ProductBinary&) {
                      p.setProgram(17);
                      p.setMains(true);
                      host::renderThrough(p, testSignal(), {});
                      p.setMains(false);
                      p.setMains(true);
                  }},
        Lifecycle{"suspend_only", // the instance stays ready to process
                  [](host::PluginInstance& p, ProductBinary&) {
                      p.setMains(true);
                      p.setMains(false);
                  }},
        Lifecycle{"open_twice",
                  [](host::PluginInstance& p, ProductBinary&) {
                      p.dispatch(vst::effOpen);
                      p.dispatch(vst::effOpen);
                      p.setMains(true);
                  }},
        Lifecycle{"editor_rect_without_editor",
                  [](host::PluginInstance& p, ProductBinary&) {
                      vst::ERect* rect = nullptr;
                      const vst::VstIntPtr answered = p.dispatch(vst::effEditGetRect, 0, 0, &rect);
                      if (answered && rect) {
                          EXPECT_GT(rect->right - rect->left, 0);
                          EXPECT_GT(rect->bottom - rect->top, 0);
                      }
                      p.dispatch(vst::effEditIdle);
                      p.dispatch(vst::effEditClose);
                      p.setMains(true);
                  }},
        Lifecycle{"empty_and_out_of_range_calls",
                  [](host::PluginInstance& p, ProductBinary&) {
                      float silence[1] = {0.0f};
                      float* channels[] = {silence, silence};
                      p.process(channels, channels, 0);
                      p.setProgram(24);
                      p.setProgram(-1);
                      p.setParameter(44, 0.5f);
                      EXPECT_EQ(p.getParameter(-1), 0.0f);
                      EXPECT_FALSE(p.setChunk(std::vector<char>(100, 'x'), false));
                      EXPECT_FALSE(p.setChunk(std::vector<char>(475, 'x'), true));
                      EXPECT_EQ(p.dispatch(vst::effCanDo, 0, 0, const_cast<char*>("receiveVstTimeInfo")), 0);
                      p.setMains(true);
                  }},
        Lifecycle{"rate_changes_while_suspended",
                  [](host::PluginInstance& p, ProductBinary&) {
                      for (const double rate : {22050.0, 192000.0, 44100.0}) {
                          p.setSampleRate(rate);
                          p.setMains(true);
                          host::renderThrough(p, testSignal(), {});
                          p.setMains(false);
                      }
                      p.setParameter(7, 0.0f); // "High Res." engaged
                      p.setMains(true);
                  }}),
    [](const ::testing::TestParamInfo<Lifecycle>& info) { return std::string(info.param.label); });

// ---------------------------------------------------------------- entry and exports

TEST_F(ProductBinary, HostWithoutAVersionGetsNoEffect)
{
    host::HostSettings settings;
    settings.versionAnswer = 0;
    std::string error;
    EXPECT_FALSE(host::PluginInstance::create(library, settings, error));
    // The library stays usable for a host that answers.
    EXPECT_TRUE(create());
}

// The defined symbols of the file's dynamic symbol table.
std::set<std::string> exportedSymbols(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    const std::vector<char> image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::set<std::string> names;
    if (image.size() < sizeof(Elf64_Ehdr) || std::memcmp(image.data(), ELFMAG, SELFMAG) != 0 ||
        image[EI_CLASS] != ELFCLASS64)
        return {"<not a 64-bit ELF file>"};
    Elf64_Ehdr header;
    std::memcpy(&header, image.data(), sizeof(header));
    for (int s = 0; s < header.e_shnum; ++s) {
        Elf64_Shdr section;
        const std::size_t at = header.e_shoff + static_cast<std::size_t>(s) * header.e_shentsize;
        if (at + sizeof(section) > image.size())
            return {"<truncated section table>"};
        std::memcpy(&section, image.data() + at, sizeof(section));
        if (section.sh_type != SHT_DYNSYM)
            continue;
        Elf64_Shdr strings;
        std::memcpy(&strings, image.data() + header.e_shoff + section.sh_link * header.e_shentsize, sizeof(strings));
        for (std::size_t offset = 0; offset + sizeof(Elf64_Sym) <= section.sh_size; offset += sizeof(Elf64_Sym)) {
            Elf64_Sym symbol;
            std::memcpy(&symbol, image.data() + section.sh_offset + offset, sizeof(symbol));
            const int binding = ELF64_ST_BIND(symbol.st_info);
            if (symbol.st_shndx == SHN_UNDEF || symbol.st_name == 0 ||
                (binding != STB_GLOBAL && binding != STB_WEAK && binding != STB_GNU_UNIQUE))
                continue;
            names.insert(image.data() + strings.sh_offset + symbol.st_name);
        }
    }
    return names;
}

TEST(ProductExports, OnlyTheTwoEntryPoints)
{
    EXPECT_EQ(exportedSymbols(SELVARINE_PLUGIN), (std::set<std::string>{"VSTPluginMain", "main"}));
    // The reader itself tells the two test plug-ins' entries apart.
    const std::set<std::string> current = exportedSymbols(TEST_GAIN_PLUGIN);
    const std::set<std::string> old = exportedSymbols(TEST_GAIN_MAIN_ONLY_PLUGIN);
    EXPECT_TRUE(current.count("VSTPluginMain") == 1 && current.count("main") == 0);
    EXPECT_TRUE(old.count("main") == 1 && old.count("VSTPluginMain") == 0);
}

TEST_F(ProductBinary, BothEntryNamesGiveTheSameEffect)
{
    // The fallback entry `main` must be the same function as VSTPluginMain.
    EXPECT_EQ(library.entryName(), "VSTPluginMain");
    auto plugin = create();
    ASSERT_TRUE(plugin);
    EXPECT_EQ(plugin->effectName(), "Doxaro Orvandel Selvarine");
    EXPECT_EQ(plugin->effect().uniqueID, vst::fourCharCode('D', 'X', 'O', 's'));
}

// ---------------------------------------------------------------- instances and threads

TEST_F(ProductBinary, TwoInstancesOnTwoThreadsDoNotInterfere)
{
    for (const char* program : {"Stoner Age", "Clean Reverb"}) {
        host::RenderSettings settings;
        settings.blockSizes = {128};
        const host::AudioBuffer alone = renderProgram(program, settings);

        // The same render while a second instance runs another program on
        // another thread and has its parameters moved from this thread.
        auto first = start(program);
        auto second = start("Twin with Reverb");
        ASSERT_TRUE(first && second);
        std::atomic<bool> done{false};
        host::AudioBuffer together;
        std::thread audio([&] {
            together = host::renderThrough(*first, testSignal(), settings);
            done = true;
        });
        std::thread other([&] {
            while (!done)
                host::renderThrough(*second, testSignal(), settings);
        });
        for (int step = 0; !done; ++step) {
            second->setParameter(11, static_cast<float>(step % 10) / 10.0f);
            second->setParameter(27, static_cast<float>(step % 7) / 7.0f);
            std::this_thread::yield();
        }
        audio.join();
        other.join();
        EXPECT_EQ(firstDifference(together, alone), -1) << program;
    }
}

TEST_F(ProductBinary, ControlThreadChangesWhileAudioRunsStayClean)
{
    auto plugin = start("Clean Reverb");
    ASSERT_TRUE(plugin);
    std::atomic<bool> done{false};
    std::atomic<int> rounds{0};
    bool clean = true;
    std::thread audio([&] {
        host::RenderSettings settings;
        settings.blockSizes = {64, 300, 1};
        for (int round = 0; round < 6; ++round) {
            settings.doublePrecision = round % 2 == 1;
            clean = clean && cleanOutput(host::renderThrough(*plugin, testSignal(), settings), settings.doublePrecision);
            rounds = round + 1;
        }
        done = true;
    });
    // Program changes, the oversampling switch, cabinet and amplifier moves, a
    // bank chunk: everything a host's control thread may do while audio runs.
    const std::vector<char> bank = plugin->getChunk(false);
    for (int step = 0; !done; ++step) {
        switch (step % 6) {
        case 0:
            plugin->setProgram((step / 6) % 24);
            break;
        case 1:
            plugin->setParameter(7, (step / 6) % 2 == 0 ? 0.0f : 1.0f); // "High Res."
            break;
        case 2:
            plugin->setParameter(24, static_cast<float>(step % 5) / 4.0f); // "Cab 1 Type"
            break;
        case 3:
            plugin->setParameter(22, (step / 6) % 2 == 0 ? 0.0f : 1.0f); // "CAB type"
            break;
        case 4:
            plugin->setParameter(9, static_cast<float>(step % 3) / 2.0f); // "Amp Type"
            break;
        default:
            plugin->setChunk(bank, false);
            break;
        }
    }
    audio.join();
    EXPECT_EQ(rounds, 6);
    EXPECT_TRUE(clean);
}

} // namespace
