// One thread processes audio without pause while another changes parameters,
// programs and the whole bank. Under ThreadSanitizer this must report no data
// race; in every build the output must stay finite.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

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
