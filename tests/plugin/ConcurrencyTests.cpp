// One thread processes audio without pause while others change parameters,
// programs and the whole bank. Under ThreadSanitizer this must report no data
// race; in every build the output must stay finite.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "FakeHost.h"

TEST(Concurrency, ParameterProgramAndChunkChangesWhileProcessing)
{
    auto plugin = makePlugin();
    FakeHost::instance().answerTime = true;

    // A bank to restore, taken from another instance with a few edits.
    BankImage bank{};
    {
        auto donor = makePlugin();
        donor->setProgram(17);
        donor->setParameter(param::HighRes, 0.0f);
        donor->setParameter(param::Mic1Pos, 0.3f);
        void* data = nullptr;
        ASSERT_EQ(donor->getChunk(&data, false), static_cast<int>(sizeof bank));
        std::memcpy(&bank, data, sizeof bank);
    }
    FakeHost::instance().answerTime = true;

    std::atomic<bool> done{false};
    std::atomic<long> blocks{0};
    std::atomic<bool> finite{true};

    std::thread audio([&] {
        std::vector<float> leftF(512), rightF(512);
        std::vector<double> leftD(512), rightD(512);
        std::mt19937 rng(1);
        std::uniform_real_distribution<double> dist(-0.8, 0.8);
        while (!done.load() || blocks.load() < 8) {
            for (std::size_t i = 0; i < leftF.size(); ++i) {
                leftF[i] = static_cast<float>(dist(rng));
                rightF[i] = static_cast<float>(dist(rng));
                leftD[i] = dist(rng);
                rightD[i] = dist(rng);
            }
            const int frames = 1 + static_cast<int>(rng() % 512);
            float* f[2] = {leftF.data(), rightF.data()};
            double* d[2] = {leftD.data(), rightD.data()};
            plugin->processReplacing(f, f, frames);
            plugin->processDoubleReplacing(d, d, frames);
            for (int i = 0; i < frames; ++i)
                if (!std::isfinite(leftF[i]) || !std::isfinite(rightF[i]) || !std::isfinite(leftD[i]) ||
                    !std::isfinite(rightD[i]))
                    finite = false;
            // The meter and clip indicator are read by the editor on its own thread.
            (void)plugin->getInputPeak();
            ++blocks;
        }
    });

    // Cabinet changes rebuild responses on this thread, which is costly
    // (more so under the sanitizers): each step changes a handful of random
    // parameters, and over all steps every parameter is touched many times.
    std::mt19937 rng(2);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (int step = 0; step < 96; ++step) {
        switch (step % 8) {
        case 0:
            plugin->setProgram(static_cast<int>(rng() % 24));
            break;
        case 5:
            ASSERT_EQ(plugin->setChunk(&bank, sizeof bank, false), 1);
            break;
        case 6: {
            ProgramRecord record = plugin->programRecord(static_cast<int>(rng() % 24));
            ASSERT_EQ(plugin->setChunk(&record, sizeof record, true), 1);
            break;
        }
        default:
            for (int k = 0; k < 6; ++k) {
                const int i = static_cast<int>(rng() % param::Count);
                // Switches land on 0 half of the time so that every path runs.
                const float value = (rng() % 2 == 0) ? 0.0f : unit(rng);
                plugin->setParameter(i, i == param::Bypass ? 1.0f : value);
                (void)plugin->getParameter(i);
            }
            break;
        }
        (void)plugin->getClipLed();
        FakeHost::instance().tempo = 60.0 + step;
    }
    done = true;
    audio.join();

    EXPECT_TRUE(finite.load());
    EXPECT_GE(blocks.load(), 8);
}

namespace {

// A stereo 16-bit WAV file of `frames` frames: a decaying tone per channel.
void writeLongResponse(const std::string& path, int frames)
{
    std::vector<unsigned char> data;
    auto put16 = [&](std::uint32_t v) {
        data.push_back(static_cast<unsigned char>(v));
        data.push_back(static_cast<unsigned char>(v >> 8));
    };
    auto put32 = [&](std::uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    auto putTag = [&](const char* tag) {
        for (const char* c = tag; *c != '\0'; ++c)
            data.push_back(static_cast<unsigned char>(*c));
    };
    const std::uint32_t bytes = static_cast<std::uint32_t>(frames) * 4;
    putTag("RIFF");
    put32(36 + bytes);
    putTag("WAVEfmt ");
    put32(16);
    put16(1);         // PCM
    put16(2);         // channels
    put32(48000);     // rate
    put32(48000 * 4); // bytes per second
    put16(4);         // block align
    put16(16);        // bits
    putTag("data");
    put32(bytes);
    for (int i = 0; i < frames; ++i) {
        const double decay = std::exp(-i / 1500.0);
        put16(static_cast<std::uint16_t>(static_cast<std::int16_t>(20000.0 * decay * std::sin(0.3 * i))));
        put16(static_cast<std::uint16_t>(static_cast<std::int16_t>(20000.0 * decay * std::cos(0.2 * i))));
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

// The value the writer thread gives parameter `index` in round `round`;
// switches land on 0 (engaged) now and then.
float roundValue(int round, int index)
{
    if (index == param::Bypass)
        return 1.0f; // keep the chain running
    return static_cast<float>((round * 7 + index * 13) % 23) / 22.0f;
}

} // namespace

// Three host threads: audio, a user stepping through programs and restoring
// a chunk that names a long WAV response, and automation writing every
// parameter. Automation never waits for the user's writer; its values must
// all arrive, each parameter ending on the last value written, with the
// engine in the state a single-threaded host would have left it in.
TEST(Concurrency, ParameterWritesDuringProgramChangesEndOnTheLastValue)
{
    auto plugin = makePlugin();
    FakeHost::instance().answerTime = true;

    const std::string responsePath =
        testing::TempDir() + "selvarine-long-response-" + std::to_string(::getpid()) + ".wav";
    writeLongResponse(responsePath, 8192);

    std::vector<ProgramRecord> chunks;
    for (int p : {2, 9, 21}) {
        ProgramRecord record = plugin->programRecord(p);
        std::snprintf(record.irPath, sizeof record.irPath, "%s", responsePath.c_str());
        chunks.push_back(record);
    }

    std::atomic<bool> stopAudio{false};
    std::atomic<bool> automationFinishing{false}; // automation is about to write its last round
    std::atomic<bool> userInTail{false};          // the user no longer changes parameter values
    std::atomic<bool> automationDone{false};
    std::atomic<long> blocks{0};
    std::atomic<bool> finite{true};

    std::thread audio([&] {
        std::vector<float> left(256), right(256);
        for (long n = 0; !stopAudio.load() || n < 4; ++n) {
            for (std::size_t i = 0; i < left.size(); ++i)
                left[i] = right[i] = static_cast<float>(0.3 * std::sin(0.05 * double(n * 256 + long(i))));
            float* io[2] = {left.data(), right.data()};
            plugin->processReplacing(io, io, 256);
            for (float v : left)
                if (!std::isfinite(v))
                    finite = false;
            ++blocks;
        }
    });

    std::thread user([&] {
        for (int step = 0; !automationFinishing.load(); ++step) {
            plugin->setProgram((step * 5) % 24);
            ProgramRecord record = chunks[static_cast<std::size_t>(step) % chunks.size()];
            EXPECT_EQ(plugin->setChunk(&record, sizeof record, true), 1);
        }
        // From here on the user only reloads the response: long turns that
        // change no parameter value, while automation writes its last round.
        userInTail = true;
        while (!automationDone.load())
            EXPECT_TRUE(plugin->setResponsePath(responsePath.c_str()));
    });

    constexpr int kRounds = 6;
    for (int round = 0; round < kRounds; ++round)
        for (int i = 0; i < param::Count; ++i)
            plugin->setParameter(i, roundValue(round, i));
    automationFinishing = true;
    while (!userInTail.load())
        std::this_thread::yield();
    for (int i = 0; i < param::Count; ++i)
        plugin->setParameter(i, roundValue(kRounds, i));
    automationDone = true;
    user.join();
    stopAudio = true;
    audio.join();
    std::remove(responsePath.c_str());
    plugin->waitForSettings();

    const ProgramRecord current = plugin->programRecord(plugin->getProgram());
    for (int i = 0; i < param::Count; ++i) {
        EXPECT_EQ(plugin->getParameter(i), roundValue(kRounds, i)) << param::kNames[i];
        EXPECT_EQ(current.params[i], roundValue(kRounds, i)) << param::kNames[i];
    }

    // The engine as a single-threaded host leaves it with the same program.
    auto reference = makePlugin();
    ProgramRecord record = current;
    ASSERT_EQ(reference->setChunk(&record, sizeof record, true), 1);
    reference->waitForSettings();
    const Doxaro::Switches got = plugin->switches();
    const Doxaro::Switches want = reference->switches();
    EXPECT_EQ(got.oversampling, want.oversampling);
    EXPECT_EQ(got.inputMode, want.inputMode);
    EXPECT_EQ(got.antiAliasing, want.antiAliasing);
    EXPECT_EQ(got.modelIndex, want.modelIndex);
    EXPECT_EQ(got.stereoCabinet, want.stereoCabinet);
    EXPECT_EQ(got.cleanStereo, want.cleanStereo);
    EXPECT_EQ(got.cabinetsOn, want.cabinetsOn);
    EXPECT_EQ(got.limiterEngaged, want.limiterEngaged);
    EXPECT_EQ(got.outputGain, want.outputGain);
    const double* gotResponse = plugin->cabinetEngine().channelResponse(0);
    const double* wantResponse = reference->cabinetEngine().channelResponse(0);
    EXPECT_TRUE(std::equal(gotResponse, gotResponse + CabinetEngine::kStoredLength, wantResponse))
        << "the cabinet response was not rebuilt for the last values";
    EXPECT_TRUE(finite.load());
    EXPECT_GE(blocks.load(), 4);
}

// Once setParameter has returned, no later getParameter answers an older
// value, whether the value is applied on the spot (a knob) or by the settings
// worker (a cabinet setting), while the audio thread runs and the worker
// applies values in between.
TEST(Concurrency, GetParameterNeverGoesBackAfterSetParameterReturned)
{
    auto plugin = makePlugin();
    constexpr int kSteps = 3000;
    const int indices[] = {param::AmpGain, param::Mic1Distance, param::Output, param::CabBlend};
    std::atomic<int> returned[std::size(indices)] = {}; // the step whose setParameter last returned, per index
    std::atomic<bool> done{false};
    std::atomic<long> goneBack{0}, reads{0};

    std::thread audio([&] {
        std::vector<float> left(64), right(64);
        while (!done.load()) {
            float* io[2] = {left.data(), right.data()};
            plugin->processReplacing(io, io, 64);
        }
    });
    std::vector<std::thread> readers;
    for (int r = 0; r < 2; ++r)
        readers.emplace_back([&] {
            while (!done.load())
                for (std::size_t k = 0; k < std::size(indices); ++k) {
                    const int step = returned[k].load();
                    if (plugin->getParameter(indices[k]) < float(step) / kSteps)
                        ++goneBack;
                    ++reads;
                }
        });
    // The values rise step by step, so "older" is "smaller". "High Res."
    // flips too: applying it recomputes every network, a long stretch before
    // the worker reaches the cabinet settings after it.
    for (int step = 1; step <= kSteps; ++step) {
        plugin->setParameter(param::HighRes, float(step % 2));
        for (std::size_t k = 0; k < std::size(indices); ++k) {
            plugin->setParameter(indices[k], float(step) / kSteps);
            returned[k] = step;
        }
        // A pause, as between automation points, so that a value is not
        // always hidden behind the next one.
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    done = true;
    audio.join();
    for (std::thread& reader : readers)
        reader.join();
    EXPECT_EQ(goneBack.load(), 0) << "of " << reads.load() << " reads";
    plugin->waitForSettings();
    for (int index : indices)
        EXPECT_EQ(plugin->programRecord(0).params[index], 1.0f) << param::kNames[index];
}
